// Text crosses the WMI boundary as UTF-16; the host keeps it as UTF-8, converted as the
// module converts (platform/utf8_text.h).
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/utf8_text.h"
#include "platform/win_resource.h"

namespace norvwmi {

inline std::wstring Utf8ToWide(std::string_view text) {
    return norv::win::FromUtf8(text);
}
inline std::string WideToUtf8(std::wstring_view text) {
    return norv::win::ToUtf8(text);
}
std::string BstrToUtf8(BSTR text);  // a null BSTR is empty text

// Throws std::bad_alloc when the BSTR cannot be allocated.
norv::win::UniqueBstr MakeBstr(std::string_view utf8);

}  // namespace norvwmi
