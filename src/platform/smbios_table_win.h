// The process-wide SMBIOS table: read once from the health driver or the Windows SMBIOS class,
// then walked by every build of the processor sensors. An unnamed mutex, made when the module
// loads and closed when it unloads, serialises loading and walking within the process.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/smbios_loader.h"
#include "platform/smbios_table.h"
#include "platform/win_resource.h"

namespace norv {

// The health driver's device and its physical-memory read.
inline constexpr const char* kHealthDriverDevice = "\\\\.\\KeshHlth";
inline constexpr DWORD kReadPhysicalMemoryControlCode = 0x72154;

// Opens the health driver's device for reading and writing, shared for both.
win::UniqueFile OpenHealthDriver();

// Physical memory from address into buffer, through the health driver: the address goes in
// as 4 bytes, the memory comes out in buffer. The count of bytes the driver says it wrote (at
// most buffer.size()); nothing when the device does not open, the request fails or the buffer
// is too large for one request.
std::optional<std::size_t> ReadPhysicalMemory(std::uint32_t address,
                                              std::span<std::uint8_t> buffer);

// The machine this process runs on: the driver's device and the Windows SMBIOS class.
class WindowsSmbiosMachine : public SmbiosMachine {
public:
    bool DriverPresent() override;
    std::optional<std::vector<std::uint8_t>> ReadPhysicalMemory(std::uint32_t address,
                                                                std::size_t length) override;
    RawSmbiosObjectList QueryRawSmbiosTables() override;
};

class SmbiosTable {
public:
    SmbiosTable();
    SmbiosTable(const SmbiosTable&) = delete;
    SmbiosTable& operator=(const SmbiosTable&) = delete;

    // Drops the table held, if any, and reads it anew; whether a table is now held.
    bool Load();
    bool Load(SmbiosMachine& machine);
    bool IsLoaded();

    // The index-th (0-based) structure of the type, cut to copyLength bytes, with its
    // strings; nothing when there is none or no table is held.
    std::optional<SmbiosStructure> FindStructure(std::uint8_t type, std::size_t index,
                                                 std::uint8_t copyLength);

    // A copy of the table, loaded first if none is held; nothing when it cannot be loaded.
    std::optional<std::vector<std::uint8_t>> Contents();
    std::optional<std::vector<std::uint8_t>> Contents(SmbiosMachine& machine);

private:
    bool LoadHeld(SmbiosMachine& machine);

    win::UniqueHandle lock_;
    bool loaded_ = false;
    std::vector<std::uint8_t> tableData_;
    std::array<std::uint8_t, kEntryPointCopyLength> entryPoint_{};
};

// The table of this process.
SmbiosTable& ProcessSmbiosTable();

}  // namespace norv
