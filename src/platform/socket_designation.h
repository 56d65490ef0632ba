// Slot and processor numbers written into a socket's designation text, such as
// "Proc 2" or "SLOT 1 Proc 2".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace norv {

inline constexpr std::string_view kProcKeyword = "Proc";
inline constexpr std::string_view kSlotKeyword = "SLOT";

// Texts are cut to this many characters (and at a NUL) before they are split.
inline constexpr std::size_t kSocketDesignationMaxLength = 255;

// Splits text into tokens at spaces and tabs and finds the first token that begins with
// keyword (ASCII letters compared without regard to case) and has a token after it. The
// number is the run of decimal digits from the first digit of that following token, cut to
// 8 bits. "Proc 2" with "Proc" gives 2; "Proc2" gives nothing (no following token), and so
// does a following token without a digit.
std::optional<std::uint8_t> ParseNumberAfterKeyword(std::string_view text,
                                                    std::string_view keyword);

}  // namespace norv
