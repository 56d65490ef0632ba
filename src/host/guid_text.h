// GUIDs in their registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", read at
// compile time so that a class table row cannot carry a malformed identifier.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv {

// The fields of a GUID in COM's layout: the text's first three groups are data1..data3,
// the last two groups are the eight bytes of data4 in text order.
struct GuidFields {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const GuidFields&, const GuidFields&) = default;
};

namespace detail {

constexpr int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` hex digits starting at `at`; nullopt if any is not a hex digit.
constexpr std::optional<std::uint32_t> ReadHex(std::string_view text, std::size_t at,
                                               std::size_t digits) noexcept {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexDigitValue(text[at + i]);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace detail

inline constexpr std::size_t kGuidTextLength = 38;

// Accepts exactly the braced form with upper- or lower-case hex digits.
constexpr std::optional<GuidFields> ParseGuidText(std::string_view text) noexcept {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    for (const std::size_t dash : {9u, 14u, 19u, 24u}) {
        if (text[dash] != '-') return std::nullopt;
    }
    const auto data1 = detail::ReadHex(text, 1, 8);
    const auto data2 = detail::ReadHex(text, 10, 4);
    const auto data3 = detail::ReadHex(text, 15, 4);
    if (!data1 || !data2 || !data3) return std::nullopt;
    GuidFields guid;
    guid.data1 = *data1;
    guid.data2 = static_cast<std::uint16_t>(*data2);
    guid.data3 = static_cast<std::uint16_t>(*data3);
    // data4: two bytes before the last dash, six after it.
    constexpr std::array<std::size_t, 8> kByteOffsets = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < kByteOffsets.size(); ++i) {
        const auto byte = detail::ReadHex(text, kByteOffsets[i], 2);
        if (!byte) return std::nullopt;
        guid.data4[i] = static_cast<std::uint8_t>(*byte);
    }
    return guid;
}

}  // namespace norv
