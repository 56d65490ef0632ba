// Loading the SMBIOS table from a machine made of plain data: physical memory as regions of
// bytes behind the driver, and the Windows SMBIOS class as a list of objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
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

    // A range that runs past a region's end returns only what the region holds, as a driver
    // reports a short read.
    std::optional<Bytes> ReadPhysicalMemory(std::uint32_t address, std::size_t length) override {
        reads.push_back({address, length});
        if (failEveryRead) return std::nullopt;
        for (const auto& [start, bytes] : memory) {
            if (address < start || address - start >= bytes.size()) continue;
            const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(address - start);
            return Bytes(from, from + static_cast<std::ptrdiff_t>(
                                          std::min(length, bytes.size() - (address - start))));
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

const Bytes kTable = Hex(Defined("table"));
constexpr std::uint32_t kTableAddress = 0x000EB3A0;
constexpr std::uint32_t kSegment = 0xF0000;

TEST(SmbiosLoader, DriverRoadReadsTheSegmentThenTheTableOfTheFirstEntryPointThatPasses) {
    FakeMachine machine;
    machine.driverPresent = true;
    const auto length = static_cast<std::uint16_t>(kTable.size());
    // A 2.0 entry point comes first; it names a table of its own.
    machine.memory[kSegment] = Image(Defined("segment"));
    machine.memory[0x2000] = {2, 2, 2, 2};
    machine.memory[kTableAddress] = kTable;
    machine.memory[kTableAddress].resize(kTable.size() + 64, 0xEE);
    machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), Bytes(kTable.size(), 1)}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, kTable);
    ASSERT_TRUE(loaded->entryPoint);
    EXPECT_EQ(loaded->entryPoint->offset, 0x5A0u);
    EXPECT_EQ(machine.reads,
              (std::vector<PhysicalRead>{{kSegment, 0x10000}, {kTableAddress, length}}));
    EXPECT_EQ(machine.queries, 0);
}

// A present driver that yields no table leaves no table: the Windows class is not asked,
// though it would answer.
TEST(SmbiosLoader, DriverRoadFailureDoesNotFallBackToTheWindowsClass) {
    Bytes shortSegment = Image(Defined("segment-30"));
    shortSegment.pop_back();  // one byte short of 64 KB, its entry point and table intact
    const std::pair<const char*, std::map<std::uint32_t, Bytes>> cases[] = {
        {"every read fails", {}},
        {"segment unreadable", {{kTableAddress, kTable}}},
        {"segment short", {{kSegment, shortSegment}, {kTableAddress, Bytes(30, 0)}}},
        {"no entry point", {{kSegment, Image(Defined("segment-none"))}, {kTableAddress, kTable}}},
        {"table unreadable", {{kSegment, Image(Defined("segment-30"))}}},
        {"table shorter than its length",
         {{kSegment, Image(Defined("segment-31"))}, {kTableAddress, Bytes(30, 0)}}},
    };
    for (const auto& [name, memory] : cases) {
        FakeMachine machine;
        machine.driverPresent = true;
        machine.memory = memory;
        machine.failEveryRead = memory.empty();
        machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), kTable}};
        EXPECT_FALSE(LoadSmbiosTable(machine)) << name;
        EXPECT_EQ(machine.queries, 0) << name;
        ASSERT_FALSE(machine.reads.empty());
        EXPECT_EQ(machine.reads.front(), (PhysicalRead{kSegment, 0x10000})) << name;
    }
}

TEST(SmbiosLoader, WindowsClassRoadReadsSizeBytesOfTheOneObject) {
    FakeMachine machine;
    machine.memory[kSegment] = Image(Defined("segment-1000"));
    machine.memory[0x1000] = {9, 9, 9, 9};
    Bytes longer = kTable;
    longer.insert(longer.end(), {7, 7});
    machine.rawObjects = {{static_cast<std::int32_t>(kTable.size()), longer}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes, kTable);
    EXPECT_FALSE(loaded->entryPoint);
    EXPECT_EQ(machine.queries, 1);
    EXPECT_EQ(machine.dataCapacities, std::vector<std::size_t>{kTable.size()});
    EXPECT_TRUE(machine.reads.empty());
    // Data shorter than the size is zero filled to the size.
    FakeMachine shortData;
    shortData.rawObjects = {{10, Bytes{4, 5, 6}}};
    EXPECT_EQ(LoadSmbiosTable(shortData)->bytes, (Bytes{4, 5, 6, 0, 0, 0, 0, 0, 0, 0}));
}

// The Windows class may report a table longer than 64 KB: it is walked to its whole size, so
// a processor past the first 64 KB is still found.
TEST(SmbiosLoader, WindowsClassTableBeyond64KBIsWalkedToItsSize) {
    Bytes table;
    while (table.size() <= 0x10000) {
        const Bytes filler = Hex("80 04 00 01 78*250 00 00");
        table.insert(table.end(), filler.begin(), filler.end());
    }
    table.insert(table.end(), kTable.begin(), kTable.end());
    FakeMachine machine;
    machine.rawObjects = {{static_cast<std::int32_t>(table.size()), table}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes.size(), table.size());
    EXPECT_EQ(CollectProcessorStructures(loaded->bytes).size(), 1u);
}

TEST(SmbiosLoader, WindowsClassRoadFailuresLeaveNoTable) {
    const std::vector<RawObjectData> cases[] = {
        {},
        {{4, Bytes{1, 2, 3, 4}}, {4, Bytes{1, 2, 3, 4}}},  // two objects
        {{std::nullopt, Bytes{1, 2, 3, 4}}},
        {{0, Bytes{1, 2, 3, 4}}},
        {{-4, Bytes{1, 2, 3, 4}}},
        {{4, std::nullopt}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        FakeMachine machine;
        machine.rawObjects = cases[i];
        EXPECT_FALSE(LoadSmbiosTable(machine)) << i;
        EXPECT_EQ(machine.queries, 1);
    }
}

}  // namespace
}  // namespace norv
