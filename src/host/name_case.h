// WMI compares class, property and keyword names without regard to letter case; the names
// the provider reads are ASCII, so the fold is ASCII's.
#pragma once

#include <algorithm>
#include <string_view>

namespace norv {

template <typename Char>
constexpr Char FoldAsciiCase(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
constexpr bool SameName(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return std::ranges::equal(
        a, b, [](Char x, Char y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

constexpr bool SameName(std::string_view a, std::string_view b) {
    return SameName<char>(a, b);
}
constexpr bool SameName(std::wstring_view a, std::wstring_view b) {
    return SameName<wchar_t>(a, b);
}

}  // namespace norv
