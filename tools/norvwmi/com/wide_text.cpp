#include "com/wide_text.h"

#include <climits>
#include <new>

namespace norvwmi {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(size);
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), wideLength);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int narrowLength =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), narrowLength, nullptr,
                          nullptr);
    return narrow;
}

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
