// WMI compares class, property, qualifier, namespace and keyword names without regard to
// letter case, and orders property names the same way; the names read here are ASCII, so
// the fold is ASCII's. The module and its host both compare names with these.
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

// Whether `a` comes before `b` with letters folded, as WMI orders the keys of __RELPATH.
constexpr bool NameLess(std::string_view a, std::string_view b) {
    return std::ranges::lexicographical_compare(
        a, b, [](char x, char y) { return FoldAsciiCase(x) < FoldAsciiCase(y); });
}

}  // namespace norv
