// WMI compares class, property, qualifier and namespace names without regard to
// case, and orders property names the same way.
#pragma once

#include <algorithm>
#include <string_view>

namespace norvwmi {

constexpr char FoldAsciiCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

constexpr bool NameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return FoldAsciiCase(x) < FoldAsciiCase(y);
    });
}

}  // namespace norvwmi
