// A number as the message compiler and MOF write hexadecimal: "0x" and upper-case digits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace norv {

inline std::string HexText(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

}  // namespace norv
