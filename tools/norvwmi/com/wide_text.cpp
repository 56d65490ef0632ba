#include "com/wide_text.h"

#include <new>

namespace norvwmi {

std::string BstrToUtf8(BSTR text) {
    if (!text) return {};
    return WideToUtf8(std::wstring_view(text, ::SysStringLen(text)));
}

norv::win::UniqueBstr MakeBstr(std::string_view utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    BSTR text = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text) throw std::bad_alloc();
    return norv::win::UniqueBstr(text);
}

}  // namespace norvwmi
