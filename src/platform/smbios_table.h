// Walking an SMBIOS structure table: each structure is a formatted area (byte 0 type, byte 1
// its length, bytes 2..3 handle) followed by a set of NUL-terminated strings that ends with
// an extra NUL. The table comes from outside, so every read is bounds-checked; the walk
// stops at the first structure that is malformed and keeps what it found before it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace norv {

inline constexpr std::size_t kStructureTypeOffset = 0x00;
inline constexpr std::size_t kStructureLengthOffset = 0x01;
inline constexpr std::size_t kStructureHandleOffset = 0x02;  // 16-bit
inline constexpr std::size_t kStructureHeaderLength = 4;

// Processor Information (type 4).
inline constexpr std::uint8_t kProcessorStructureType = 4;
inline constexpr std::uint8_t kProcessorCopyLength = 40;
inline constexpr std::size_t kSocketDesignationOffset = 0x04;  // string number
inline constexpr std::size_t kProcessorStatusOffset = 0x18;
inline constexpr std::uint8_t kSocketPopulatedBit = 0x40;

// The platform vendor's OEM processor structure (type 197).
inline constexpr std::uint8_t kOemProcessorStructureType = 197;
inline constexpr std::uint8_t kOemProcessorCopyLength = 10;
inline constexpr std::size_t kOemProcessorHandleOffset = 0x04;  // 16-bit, of its type-4 socket
inline constexpr std::size_t kOemApicIdOffset = 0x06;  // the socket's first logical processor
inline constexpr std::size_t kOemSlotOffset = 0x08;
inline constexpr std::size_t kOemProcOffset = 0x09;
inline constexpr std::uint8_t kOemNumberNotGiven = 0xFF;  // at the slot and proc offsets

// A structure as found in the table, pointing into it.
struct SmbiosStructureView {
    std::span<const std::uint8_t> formatted;  // the whole formatted area, header included
    std::span<const std::uint8_t> stringSet;  // the strings' bytes, without the final NUL pair

    std::uint8_t Type() const { return formatted[kStructureTypeOffset]; }
    std::uint16_t Handle() const;
    // Index 0 empty, string n at index n.
    std::vector<std::string> Strings() const;
};

// Visits the structures of table in order. A structure ends the walk, unvisited, when its
// header does not fit, its formatted length is below 4, its formatted area runs past the
// end or its string set lacks the terminating double NUL.
class SmbiosStructureWalker {
public:
    explicit SmbiosStructureWalker(std::span<const std::uint8_t> table) : table_(table) {}

    std::optional<SmbiosStructureView> Next();

private:
    std::span<const std::uint8_t> table_;
    std::size_t position_ = 0;
};

// A structure's formatted area cut to a copy length, with its strings.
struct SmbiosStructure {
    std::vector<std::uint8_t> formatted;  // min(formatted length, copy length) bytes
    std::vector<std::string> strings;     // index 0 empty, string n at index n
};

// The index-th (0-based) structure of the given type.
std::optional<SmbiosStructure> FindStructure(std::span<const std::uint8_t> table, std::uint8_t type,
                                             std::size_t index, std::uint8_t copyLength);

// A processor socket: the first 40 bytes of its type-4 structure, zero-filled beyond the
// structure's length, so that fields of later versions read as 0 in older structures.
struct ProcessorStructure {
    std::array<std::uint8_t, kProcessorCopyLength> bytes{};
    std::vector<std::string> strings;  // index 0 empty

    std::uint16_t Handle() const;
    std::uint8_t SocketDesignationNumber() const { return bytes[kSocketDesignationOffset]; }
    bool Populated() const { return (bytes[kProcessorStatusOffset] & kSocketPopulatedBit) != 0; }
};

// Every type-4 structure in table order.
std::vector<ProcessorStructure> CollectProcessorStructures(std::span<const std::uint8_t> table);

// The first 10 bytes (zero-filled) of the first type-197 structure whose socket handle is
// handle. A structure too short to hold the handle belongs to no socket.
using OemProcessorBytes = std::array<std::uint8_t, kOemProcessorCopyLength>;
std::optional<OemProcessorBytes> FindOemProcessor(std::span<const std::uint8_t> table,
                                                  std::uint16_t handle);

// String number of strings (index 0 empty); empty for 0 or a number beyond the list.
std::string GetSocketString(std::uint8_t number, const std::vector<std::string>& strings);

}  // namespace norv
