// Loading the SMBIOS table from a machine made of plain data: physical memory as regions of
// bytes behind the driver, and the Windows SMBIOS class as a list of objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/smbios_loader.h"
#include "platform/smbios_table.h"
#include "smbios_test_tables.h"

namespace norv {
namespace {

using namespace smbios_test;

struct RawObjectData {
    std::optional<std::int32_t> size;
    std::optional<Bytes> data;
};

class FakeRawObject : public RawSmbiosObject {
public:
    FakeRawObject(RawObjectData data, std::vector<std::size_t>& capacities)
        : data_(std::move(data)), capacities_(capacities) {}

    std::optional<std::int32_t> ReadSize() override { return data_.size; }
    // As the byte-array getter: at most capacity elements are stored.
    std::optional<Bytes> ReadData(std::size_t capacity) override {
        capacities_.push_back(capacity);
        if (!data_.data) return std::nullopt;
        Bytes stored = *data_.data;
        if (stored.size() > capacity) stored.resize(capacity);
        return stored;
    }

private:
    RawObjectData data_;
    std::vector<std::size_t>& capacities_;
};

struct PhysicalRead {
    std::uint32_t address;
    std::size_t length;
    friend bool operator==(const PhysicalRead&, const PhysicalRead&) = default;
};

class FakeMachine : public SmbiosMachine {
public:
    bool driverPresent = false;
    std::map<std::uint32_t, Bytes> memory;  // regions by start address
    bool failEveryRead = false;
    std::vector<RawObjectData> rawObjects;

    std::vector<PhysicalRead> reads;
    int queries = 0;
    std::vector<std::size_t> dataCapacities;

    bool DriverPresent() override { return driverPresent; }

    // Succeeds when the address lies inside a region; a range that runs past the region's
    // end returns only what the region holds, as a driver reports a short read.
    std::optional<Bytes> ReadPhysicalMemory(std::uint32_t address, std::size_t length) override {
        reads.push_back({address, length});
        if (failEveryRead) return std::nullopt;
        for (const auto& [start, bytes] : memory) {
            if (address < start || address - start >= bytes.size()) continue;
            const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(address - start);
            const std::size_t held = std::min(length, bytes.size() - (address - start));
            return Bytes(from, from + static_cast<std::ptrdiff_t>(held));
        }
        return std::nullopt;
    }

    RawSmbiosObjectList QueryRawSmbiosTables() override {
        ++queries;
        RawSmbiosObjectList objects;
        for (const RawObjectData& data : rawObjects)
            objects.push_back(std::make_unique<FakeRawObject>(data, dataCapacities));
        return objects;
    }
};

const Bytes kTable = Concat({Processor(0x0400, 1, kPopulated, {"Proc 1"}),
                             OemProcessor(0x0400, 0x00, 0, 1), EndOfTable(0x7F00)});
constexpr std::uint32_t kTableAddress = 0x000EB3A0;

TEST(SmbiosLoader, DriverRoadReadsTheSegmentThenTheTableAtTheEntryPointsAddress) {
    FakeMachine machine;
    machine.driverPresent = true;
    const auto length = static_cast<std::uint16_t>(kTable.size());
    machine.memory[0xF0000] = ImageWith({{0x5A0, EntryPoint(2, 7, length, kTableAddress)}});
    machine.memory[kTableAddress] = Concat({kTable, Bytes(64, 0xEE)});
    machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), Bytes(kTable.size(), 1)}};

    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, kTable);
    ASSERT_TRUE(loaded->entryPoint);
    EXPECT_EQ(loaded->entryPoint->offset, 0x5A0u);
    EXPECT_EQ(machine.reads,
              (std::vector<PhysicalRead>{{0xF0000, 0x10000}, {kTableAddress, length}}));
    EXPECT_EQ(machine.queries, 0);
}

TEST(SmbiosLoader, DriverRoadTakesTheFirstEntryPointThatPasses) {
    // A 2.0 entry point and one with a bad checksum come first; each names a table of its
    // own, so taking either would load the wrong bytes.
    Bytes badChecksum = EntryPoint(2, 7, 4, 0x1000);
    badChecksum[0x10] ^= 1;
    FakeMachine machine;
    machine.driverPresent = true;
    machine.memory[0xF0000] = ImageWith({{0x100, EntryPoint(2, 0, 4, 0x2000)},
                                           {0x200, badChecksum},
                                           {0x300, EntryPoint(2, 1, 4, 0x3000)},
                                           {0x400, EntryPoint(2, 8, 4, 0x4000)}});
    machine.memory[0x1000] = {1, 1, 1, 1};
    machine.memory[0x2000] = {2, 2, 2, 2};
    machine.memory[0x3000] = {3, 3, 3, 3};
    machine.memory[0x4000] = {4, 4, 4, 4};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, (Bytes{3, 3, 3, 3}));
    EXPECT_EQ(loaded->entryPoint->offset, 0x300u);
}

struct DriverFailureCase {
    const char* name;
    std::map<std::uint32_t, Bytes> memory;
    bool failEveryRead = false;
};

void PrintTo(const DriverFailureCase& tested, std::ostream* out) {
    *out << tested.name;
}

class DriverRoadFailure : public ::testing::TestWithParam<DriverFailureCase> {};

// A present driver that yields no table leaves no table: the Windows class is not asked,
// though it would answer.
TEST_P(DriverRoadFailure, LeavesNoTableAndDoesNotFallBackToTheWindowsClass) {
    FakeMachine machine;
    machine.driverPresent = true;
    machine.memory = GetParam().memory;
    machine.failEveryRead = GetParam().failEveryRead;
    machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), kTable}};
    EXPECT_FALSE(LoadSmbiosTable(machine));
    EXPECT_EQ(machine.queries, 0);
    ASSERT_FALSE(machine.reads.empty());
    EXPECT_EQ(machine.reads.front(), (PhysicalRead{0xF0000, 0x10000}));
}

Bytes WithoutLastByte(Bytes bytes) {
    bytes.pop_back();
    return bytes;
}

const DriverFailureCase kDriverFailureCases[] = {
    {"EveryReadFails", {}, true},
    {"SegmentUnreadable", {{kTableAddress, kTable}}},
    // The segment read returns one byte short of 64 KB, its entry point and table intact.
    {"SegmentShort",
     {{0xF0000, WithoutLastByte(ImageWith({{0x40, EntryPoint(2, 7, 30, kTableAddress)}}))},
      {kTableAddress, Bytes(30, 0)}}},
    {"NoEntryPoint", {{0xF0000, ImageWith({})}, {kTableAddress, kTable}}},
    {"TableUnreadable", {{0xF0000, ImageWith({{0x40, EntryPoint(2, 7, 30, kTableAddress)}})}}},
    // The table read returns one byte fewer than the entry point names.
    {"TableShorterThanItsLength",
     {{0xF0000, ImageWith({{0x40, EntryPoint(2, 7, 31, kTableAddress)}})},
      {kTableAddress, Bytes(30, 0)}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DriverRoadFailure, ::testing::ValuesIn(kDriverFailureCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(SmbiosLoader, WindowsClassRoadReadsSizeBytesOfTheOneObject) {
    FakeMachine machine;
    machine.memory[0xF0000] = ImageWith({{0x40, EntryPoint(2, 7, 4, 0x1000)}});
    machine.memory[0x1000] = {9, 9, 9, 9};
    machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), Concat({kTable, {7, 7}})}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, kTable);
    EXPECT_FALSE(loaded->entryPoint);
    EXPECT_EQ(machine.queries, 1);
    EXPECT_EQ(machine.dataCapacities, std::vector<std::size_t>{kTable.size()});
    EXPECT_TRUE(machine.reads.empty());
}

TEST(SmbiosLoader, WindowsClassDataShorterThanSizeIsZeroFilledToSize) {
    FakeMachine machine;
    machine.rawObjects = {{10, Bytes{4, 5, 6}}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, (Bytes{4, 5, 6, 0, 0, 0, 0, 0, 0, 0}));
}

// The Windows class may report a table longer than 64 KB: it is walked to its whole Size, so
// a processor past the first 64 KB is still found.
TEST(SmbiosLoader, WindowsClassTableBeyond64KBIsWalkedToItsSize) {
    Bytes table;
    for (std::uint16_t handle = 0x100; table.size() <= 0x10000; ++handle)
        Append(table, Structure(0x80, handle, {}, {std::string(250, 'x')}));
    Append(table, kTable);
    FakeMachine machine;
    machine.rawObjects = {{static_cast<std::int32_t>(table.size()), table}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes.size(), table.size());
    EXPECT_EQ(CollectProcessorStructures(loaded->bytes).size(), 1u);
}

struct WindowsFailureCase {
    const char* name;
    std::vector<RawObjectData> objects;
};

void PrintTo(const WindowsFailureCase& tested, std::ostream* out) {
    *out << tested.name;
}

class WindowsClassRoadFailure : public ::testing::TestWithParam<WindowsFailureCase> {};

TEST_P(WindowsClassRoadFailure, LeavesNoTable) {
    FakeMachine machine;
    machine.rawObjects = GetParam().objects;
    EXPECT_FALSE(LoadSmbiosTable(machine));
    EXPECT_EQ(machine.queries, 1);
    EXPECT_TRUE(machine.reads.empty());
}

const WindowsFailureCase kWindowsFailureCases[] = {
    {"NoObject", {}},
    {"TwoObjects", {{4, Bytes{1, 2, 3, 4}}, {4, Bytes{1, 2, 3, 4}}}},
    {"SizeUnreadable", {{std::nullopt, Bytes{1, 2, 3, 4}}}},
    {"SizeZero", {{0, Bytes{1, 2, 3, 4}}}},
    {"SizeNegative", {{-4, Bytes{1, 2, 3, 4}}}},
    {"DataUnreadable", {{4, std::nullopt}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, WindowsClassRoadFailure, ::testing::ValuesIn(kWindowsFailureCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

// Real firmware: dmidecode --dump-bin files hold the entry point at 0 (its table address
// rewritten to 0x20) and the table from 0x20. The entry point goes into the BIOS segment and
// the table to physical address 0x20, where the entry point says it is.

struct DumpCase {
    const char* file;
    bool hasVersion2EntryPoint;
    std::size_t processorStructures;
};

void PrintTo(const DumpCase& tested, std::ostream* out) {
    *out << tested.file;
}

class DumpedFirmware : public ::testing::TestWithParam<DumpCase> {};

TEST_P(DumpedFirmware, DriverRoadLoadsTheTableTheEntryPointNames) {
    const Bytes dump =
        ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/uroot/" + GetParam().file + ".bin");
    ASSERT_GT(dump.size(), 0x20u);
    FakeMachine machine;
    machine.driverPresent = true;
    machine.memory[0xF0000] = ImageWith({{0xE010, Bytes(dump.begin(), dump.begin() + 0x1F)}});
    machine.memory[0x20] = Bytes(dump.begin() + 0x20, dump.end());

    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_EQ(loaded.has_value(), GetParam().hasVersion2EntryPoint);
    EXPECT_EQ(machine.queries, 0);
    if (!loaded) return;
    EXPECT_EQ(loaded->entryPoint->offset, 0xE010u);
    EXPECT_EQ(loaded->entryPoint->TableAddress(), 0x20u);
    const std::size_t length = loaded->entryPoint->TableLength();
    ASSERT_LE(0x20 + length, dump.size());
    EXPECT_EQ(loaded->bytes, Bytes(dump.begin() + 0x20,
                                   dump.begin() + 0x20 + static_cast<std::ptrdiff_t>(length)));
    EXPECT_EQ(CollectProcessorStructures(loaded->bytes).size(), GetParam().processorStructures);
}

const DumpCase kDumpCases[] = {
    {"SuperMicro-X9DBL", true, 2},
    {"Synology-RS3614xsp", true, 1},
    {"Lenovo-ThinkPad-W510", true, 1},
    {"Gigabyte-GA-MA74GMT-S2", true, 1},
    {"MSI-MS-7816", true, 1},
    {"Asus-UX307LA", true, 1},
    // Firmware with only the 3.x entry point has no table on this road.
    {"GigaByte-X399", false, 0},
    {"Lenovo-ThinkPad-T480", false, 0},
};

INSTANTIATE_TEST_SUITE_P(Dumps, DumpedFirmware, ::testing::ValuesIn(kDumpCases),
                         [](const auto& tested) {
                             std::string name = tested.param.file;
                             std::erase(name, '-');
                             return name;
                         });

TEST(SmbiosLoader, WindowsClassRoadCarriesARealTableUnchanged) {
    const Bytes table =
        ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/sidero/SuperMicro-Dual-Xeon.dmi");
    ASSERT_EQ(table.size(), 6852u);
    FakeMachine machine;
    machine.rawObjects = {{static_cast<std::int32_t>(table.size()), table}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, table);
    EXPECT_EQ(CollectProcessorStructures(loaded->bytes).size(), 2u);
}

}  // namespace
}  // namespace norv
