// SMBIOS images for tests, written as hex text in tests/data/core/smbios_images.txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"

namespace norv::smbios_test {

using Bytes = std::vector<std::uint8_t>;

// "41" is a byte, "00*34" a byte repeated, "\"CPU 1\"" a text's characters (no NUL), and
// "|" only separates structures for the reader.
inline Bytes Hex(const std::string& text) {
    Bytes bytes;
    std::istringstream in(text);
    for (std::string token; !(in >> std::ws).eof();) {
        if (in.peek() == '"') {
            in >> std::quoted(token);
            bytes.insert(bytes.end(), token.begin(), token.end());
            continue;
        }
        in >> token;
        if (token == "|") continue;
        const std::size_t star = token.find('*');
        const auto value =
            static_cast<std::uint8_t>(std::stoul(token.substr(0, star), nullptr, 16));
        bytes.insert(bytes.end(),
                     star == std::string::npos ? 1 : std::stoul(token.substr(star + 1)), value);
    }
    return bytes;
}

// "SIZE @OFFSET BYTES @OFFSET BYTES..." (hex numbers): a memory image of SIZE bytes of 0xA5
// with the bytes placed at the offsets; what runs past its end is cut.
inline Bytes Image(const std::string& text) {
    std::istringstream in(text);
    std::size_t size = 0;
    in >> std::hex >> size;
    Bytes image(size, 0xA5);
    std::string placed;
    std::getline(in, placed, '@');
    while (std::getline(in, placed, '@')) {
        std::istringstream part(placed);
        std::size_t offset = 0;
        part >> std::hex >> offset;
        const Bytes bytes = Hex(std::string(std::istreambuf_iterator<char>(part), {}));
        for (std::size_t i = 0; i < bytes.size() && offset + i < size; ++i)
            image[offset + i] = bytes[i];
    }
    return image;
}

// A definition ("@name = TEXT") of smbios_images.txt.
inline std::string Defined(const std::string& name) {
    return test::Definitions("smbios_images.txt").at("@" + name);
}

inline std::string HexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    char byte[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", unsigned{b});
        text += (text.empty() ? "" : " ") + std::string(byte);
    }
    return text;
}

}  // namespace norv::smbios_test
