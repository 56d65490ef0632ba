#include "platform/smbios_loader.h"

#include <utility>

namespace norv {
namespace {

std::optional<LoadedSmbiosTable> LoadThroughDriver(SmbiosMachine& machine) {
    const std::optional<std::vector<std::uint8_t>> image =
        machine.ReadPhysicalMemory(kSmbiosScanAddress, kSmbiosScanLength);
    if (!image || image->size() != kSmbiosScanLength) return std::nullopt;
    const std::optional<SmbiosEntryPoint> entryPoint = FindSmbiosEntryPoint(*image);
    if (!entryPoint) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> table =
        machine.ReadPhysicalMemory(entryPoint->TableAddress(), entryPoint->TableLength());
    if (!table || table->size() != entryPoint->TableLength()) return std::nullopt;
    return LoadedSmbiosTable{std::move(*table), entryPoint};
}

std::optional<LoadedSmbiosTable> LoadThroughWindowsClass(SmbiosMachine& machine) {
    const RawSmbiosObjectList objects = machine.QueryRawSmbiosTables();
    if (objects.size() != 1 || !objects.front()) return std::nullopt;
    RawSmbiosObject& object = *objects.front();
    const std::optional<std::int32_t> size = object.ReadSize();
    if (!size || *size <= 0) return std::nullopt;
    const auto length = static_cast<std::size_t>(*size);
    std::optional<std::vector<std::uint8_t>> data = object.ReadData(length);
    if (!data) return std::nullopt;
    // The table is Size bytes long even when the array holds fewer; the rest reads as 0,
    // which ends the structure walk there.
    data->resize(length, 0);
    return LoadedSmbiosTable{std::move(*data), std::nullopt};
}

}  // namespace

std::optional<LoadedSmbiosTable> LoadSmbiosTable(SmbiosMachine& machine) {
    return machine.DriverPresent() ? LoadThroughDriver(machine) : LoadThroughWindowsClass(machine);
}

}  // namespace norv
