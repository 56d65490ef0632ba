// Text crosses the WMI boundary as UTF-16; the host keeps it as UTF-8.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/win_resource.h"

namespace norvwmi {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
std::string BstrToUtf8(BSTR text);  // a null BSTR is empty text

// Throws std::bad_alloc when the BSTR cannot be allocated.
norv::win::UniqueBstr MakeBstr(std::string_view utf8);

}  // namespace norvwmi
