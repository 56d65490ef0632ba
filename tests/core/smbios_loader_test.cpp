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
#include "support/case_file.h"

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

// A case of smbios_loads.txt: "driver" (present), "fail" (every physical read
// fails), "mem ADDRESS NAME" (a region of memory: a definition, an image for "segment..."),
// "raw SIZE NAME" (an object of the Windows class; "-" for no size or no data).
std::string LoadCase(const std::string& input) {
    std::istringstream in = test::CaseInput(input);
    FakeMachine machine;
    for (std::string what; in >> what;) {
        std::string name;
        if (what == "driver") machine.driverPresent = true;
        if (what == "fail") machine.failEveryRead = true;
        if (what == "mem") {
            std::uint32_t address = 0;
            in >> address >> name;
            machine.memory[address] =
                name.starts_with("segment") ? Image(Defined(name)) : Hex(Defined(name));
        }
        if (what == "raw") {
            std::string size;
            in >> size >> name;
            machine.rawObjects.push_back(
                {size == "-" ? std::nullopt : std::optional(std::stoi(size, nullptr, 0)),
                 name == "-" ? std::nullopt : std::optional(Hex(Defined(name)))});
        }
    }
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    char text[64];
    std::string answer = "none";
    if (loaded && loaded->bytes == Hex(Defined("table")))
        answer = "the table";
    else if (loaded)
        answer = HexText(loaded->bytes);
    if (loaded && loaded->entryPoint) {
        std::snprintf(text, sizeof text, " (entry point at %zX)", loaded->entryPoint->offset);
        answer += text;
    }
    answer += "; reads";
    for (const PhysicalRead& read : machine.reads) {
        std::snprintf(text, sizeof text, " %X+%zX", read.address, read.length);
        answer += text;
    }
    answer += "; queries " + std::to_string(machine.queries) + ", capacities";
    for (const std::size_t capacity : machine.dataCapacities)
        answer += " " + std::to_string(capacity);
    return answer;
}

TEST(SmbiosLoader, RoadsAndFailuresAsReviewed) {
    test::ExpectCases("smbios_loads.txt", LoadCase);
}

// The Windows class may report a table longer than 64 KB: it is walked to its whole size, so
// a processor past the first 64 KB is still found.
TEST(SmbiosLoader, WindowsClassTableBeyond64KBIsWalkedToItsSize) {
    Bytes table;
    const Bytes filler = Hex("80 04 00 01 78*250 00 00");
    while (table.size() <= 0x10000) table.insert(table.end(), filler.begin(), filler.end());
    const Bytes socket = Hex(Defined("table"));
    table.insert(table.end(), socket.begin(), socket.end());
    FakeMachine machine;
    machine.rawObjects = {{static_cast<std::int32_t>(table.size()), table}};
    const std::optional<LoadedSmbiosTable> loaded = LoadSmbiosTable(machine);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->bytes.size(), table.size());
    EXPECT_EQ(CollectProcessorStructures(loaded->bytes).size(), 1u);
}

}  // namespace
}  // namespace norv
