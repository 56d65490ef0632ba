// Decimal and hexadecimal digits written without a stream or a format string: the record
// texts of a whole log are built on every refresh. The writers put their digits at `out`
// and return the place after them; the appenders add them at the end of a text.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv {

// At most this many decimal digits: those of the largest 64-bit value.
inline constexpr std::size_t kMaxDecimalDigits = 20;

// The decimal digits of `value`, with leading zeros up to `minWidth` digits (what "%0*u"
// prints); `out` has room for max(minWidth, kMaxDecimalDigits) characters.
inline char* WriteDecimal(char* out, std::uint64_t value, std::size_t minWidth = 1) {
    char digits[kMaxDecimalDigits];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    for (std::size_t pad = length; pad < minWidth; ++pad) *out++ = '0';
    for (const char* digit = digits; digit != end; ++digit) *out++ = *digit;
    return out;
}

// `value` below 100 as two decimal digits, a leading zero included.
inline char* WriteTwoDigits(char* out, std::uint32_t value) {
    *out++ = static_cast<char>('0' + value / 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
}

// The low eight bits of `value` as two lower-case hexadecimal digits.
inline char* WriteHexByte(char* out, std::uint32_t value) {
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    *out++ = kHexDigits[(value >> 4) & 0xF];
    *out++ = kHexDigits[value & 0xF];
    return out;
}

inline void AppendDecimal(std::string& text, std::uint64_t value) {
    char digits[kMaxDecimalDigits];
    text.append(digits, WriteDecimal(digits, value));
}

}  // namespace norv
