// Obtaining the SMBIOS structure table: from physical memory through the health driver when
// the driver is there, else from the Windows SMBIOS class. The machine sits behind a small
// interface, so the choice of road and every way it can fail are tested on plain data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/smbios_entry_point.h"

namespace norv {

// The Windows SMBIOS class and what is read of it.
inline constexpr std::string_view kRawSmbiosNamespace = "root\\wmi";
inline constexpr std::string_view kRawSmbiosQuery =
    "SELECT Size,SMBiosData FROM MSSmBios_RawSMBiosTables";
inline constexpr std::string_view kRawSmbiosSizeProperty = "Size";
inline constexpr std::string_view kRawSmbiosDataProperty = "SMBiosData";

// One object of the Windows SMBIOS class.
class RawSmbiosObject {
public:
    virtual ~RawSmbiosObject() = default;
    // "Size" read as an integer; nothing when it cannot be read.
    virtual std::optional<std::int32_t> ReadSize() = 0;
    // The low 8 bits of the first elements of "SMBiosData", at most capacity of them;
    // nothing when the property cannot be read as an integer array.
    virtual std::optional<std::vector<std::uint8_t>> ReadData(std::size_t capacity) = 0;
};

using RawSmbiosObjectList = std::vector<std::unique_ptr<RawSmbiosObject>>;

class SmbiosMachine {
public:
    virtual ~SmbiosMachine() = default;
    // Whether the health driver's device opens.
    virtual bool DriverPresent() = 0;
    // Physical memory from address through the driver: the bytes it returned, which may be
    // fewer than length; nothing on failure.
    virtual std::optional<std::vector<std::uint8_t>> ReadPhysicalMemory(std::uint32_t address,
                                                                        std::size_t length) = 0;
    // The result objects of kRawSmbiosQuery in kRawSmbiosNamespace; empty when the class is
    // missing or the query cannot run.
    virtual RawSmbiosObjectList QueryRawSmbiosTables() = 0;
};

struct LoadedSmbiosTable {
    std::vector<std::uint8_t> bytes;             // the structure table, its whole length
    std::optional<SmbiosEntryPoint> entryPoint;  // where the driver's road found it
};

// The driver's road when the driver is present (the entry point in 0xF0000..0xFFFFF, then
// the table at its address and length; a read that returns fewer bytes than asked fails the
// road), else the Windows class, which must give exactly one object with a Size above 0. A
// present driver without a table is not followed by the Windows class. Nothing when no table
// was read.
std::optional<LoadedSmbiosTable> LoadSmbiosTable(SmbiosMachine& machine);

}  // namespace norv
