// Building SMBIOS structure tables for tests, and reading dumped ones.
#pragma once

#include "platform/smbios_entry_point.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace norv::smbios_test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kPopulated = 0x41;  // populated, CPU enabled
inline constexpr std::uint8_t kEmpty = 0x00;

inline void Append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) Append(all, part);
    return all;
}

// Header (type, length, handle), the rest of the formatted area, then the string set.
inline Bytes Structure(std::uint8_t type, std::uint16_t handle, const Bytes& body,
                       const std::vector<std::string>& strings) {
    Bytes bytes = {type, static_cast<std::uint8_t>(4 + body.size()),
                   static_cast<std::uint8_t>(handle), static_cast<std::uint8_t>(handle >> 8)};
    Append(bytes, body);
    for (const std::string& text : strings) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    if (strings.empty()) bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

inline Bytes EndOfTable(std::uint16_t handle) {
    return Structure(127, handle, {}, {});
}

// A 42-byte processor structure (the 2.5 layout) with its designation string number and
// status byte.
inline Bytes Processor(std::uint16_t handle, std::uint8_t designation, std::uint8_t status,
                       const std::vector<std::string>& strings) {
    Bytes body(42 - 4, 0);
    body[0x04 - 4] = designation;
    body[0x18 - 4] = status;
    body[0x28 - 4] = 0x77;  // beyond the 40 bytes that are kept
    return Structure(4, handle, body, strings);
}

// A 10-byte OEM processor record of the socket with the given handle.
inline Bytes OemProcessor(std::uint16_t socketHandle, std::uint8_t apicId, std::uint8_t slot,
                          std::uint8_t proc, std::uint16_t handle = 0xC500) {
    return Structure(197, handle,
                     {static_cast<std::uint8_t>(socketHandle),
                      static_cast<std::uint8_t>(socketHandle >> 8), apicId, 0, slot, proc},
                     {});
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// An entry point as firmware writes it: anchor, checksum byte at 4 that makes the first
// length bytes sum to 0, version, table length and address.
inline Bytes EntryPoint(std::uint8_t major, std::uint8_t minor, std::uint16_t tableLength,
                        std::uint32_t tableAddress, std::uint8_t length = 0x1F) {
    Bytes bytes(31, 0);
    bytes[0] = '_', bytes[1] = 'S', bytes[2] = 'M', bytes[3] = '_';
    bytes[5] = length;
    bytes[6] = major;
    bytes[7] = minor;
    bytes[0x16] = static_cast<std::uint8_t>(tableLength);
    bytes[0x17] = static_cast<std::uint8_t>(tableLength >> 8);
    for (int i = 0; i < 4; ++i)
        bytes[0x18 + i] = static_cast<std::uint8_t>(tableAddress >> (8 * i));
    unsigned sum = 0;
    for (std::size_t i = 0; i < length && i < bytes.size(); ++i) sum += bytes[i];
    bytes[4] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    return bytes;
}

// A scanned memory image (the BIOS segment by default) with bytes placed at offsets; what
// runs past its end is cut.
inline Bytes ImageWith(std::initializer_list<std::pair<std::size_t, Bytes>> placed,
                       std::size_t size = kSmbiosScanLength) {
    Bytes image(size, 0xA5);
    for (const auto& [offset, bytes] : placed)
        for (std::size_t i = 0; i < bytes.size() && offset + i < size; ++i)
            image[offset + i] = bytes[i];
    return image;
}

inline Bytes WithByte(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

}  // namespace norv::smbios_test
