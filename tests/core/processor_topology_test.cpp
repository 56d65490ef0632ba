#include "platform/processor_topology.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/socket_designation.h"
#include "smbios_test_tables.h"

namespace norv {
namespace {

using namespace smbios_test;

struct KeywordCase {
    std::string text;
    const char* keyword;
    std::optional<std::uint8_t> number;
};

TEST(KeywordNumber, ParsesTheNumberInTheTokenAfterTheKeyword) {
    const KeywordCase cases[] = {
        {"Proc 2", "Proc", 2},
        {"Proc2", "Proc", std::nullopt},  // no following token
        {"SLOT 1 Proc 2", "SLOT", 1},
        {"SLOT 1 Proc 2", "Proc", 2},
        {"slot 3", "SLOT", 3},
        {"Processor 5", "Proc", 5},  // the token only begins with the keyword
        {"  Proc \t  8  ", "Proc", 8},
        {"Proc #5", "Proc", 5},  // skips to the first digit of the following token
        {"Proc 12a3", "Proc", 12},
        {"Proc 0", "Proc", 0},
        {"Proc 300", "Proc", 44},  // cut to 8 bits
        {"Proc 99999999999", "Proc", static_cast<std::uint8_t>(99999999999ull % 256)},
        {"Proc x Proc 3", "Proc", std::nullopt},  // only the first keyword token is looked at
        {"CPU Proc", "Proc", std::nullopt},
        {"Pro 1", "Proc", std::nullopt},
        {"", "Proc", std::nullopt},
        {std::string("Proc\0 1", 7), "Proc", std::nullopt},  // the text ends at a NUL
        // 248 + 7 = 255 characters are read; one more cuts off the number's token.
        {std::string(248, 'x') + " Proc 9", "Proc", 9},
        {std::string(249, 'x') + " Proc 9", "Proc", std::nullopt},
    };
    for (const KeywordCase& c : cases) {
        EXPECT_EQ(ParseNumberAfterKeyword(c.text, c.keyword), c.number) << '"' << c.text << '"';
    }
}

constexpr std::uint32_t kCacheTypeBits = 0x121;  // leaf 4 EAX low bits, which must be ignored

CpuidIdentity IntelCpu(std::uint32_t maxLeaf, std::uint32_t logicalPerPackage, bool hyperThreading,
                       std::uint32_t maxCores) {
    return {std::string(kIntelVendor), maxLeaf, logicalPerPackage << 16 | 0x0800,
            hyperThreading ? kHyperThreadingBit | 0x0F8B : 0x0F8B,
            (maxCores - 1) << 26 | kCacheTypeBits};
}

CpuidIdentity AmdCpu(std::uint32_t logicalPerPackage, bool htBit) {
    return {std::string(kAmdVendor), 13, logicalPerPackage << 16 | 0x0800,
            htBit ? kHyperThreadingBit : 0, 0};
}

CpuidIdentity OtherVendor(CpuidIdentity cpu, const char* vendor) {
    cpu.vendor = vendor;
    return cpu;
}

TEST(Cpuid, HyperThreadingCoresPerPackageAndIdWidth) {
    EXPECT_TRUE(IsHyperThreadingCapable(IntelCpu(2, 2, true, 1)));
    EXPECT_FALSE(IsHyperThreadingCapable(IntelCpu(2, 2, false, 1)));
    EXPECT_FALSE(IsHyperThreadingCapable(AmdCpu(2, true)));
    EXPECT_FALSE(IsHyperThreadingCapable(OtherVendor(IntelCpu(2, 2, true, 1), "GenuineIntex")));
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(4, 16, true, 8)), 8u);
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(0x0D, 0, false, 64)), 64u);
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(3, 16, true, 8)), 1u);  // no leaf 4
    EXPECT_EQ(MaxCoresPerPackage(AmdCpu(48, true)), 48u);
    EXPECT_EQ(MaxCoresPerPackage(AmdCpu(48, false)), 1u);
    EXPECT_EQ(MaxCoresPerPackage(OtherVendor(AmdCpu(48, true), "HygonGenuine")), 1u);
    const std::pair<unsigned, unsigned> widths[] = {
        {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 3}, {9, 4}, {64, 6}, {65, 7}, {256, 8}};
    for (const auto& [count, width] : widths) EXPECT_EQ(IdWidth(count), width) << count;
}

struct CountCase {
    const char* name;
    ProcessorCountInput input;
    ProcessorCountStatus status;
    std::uint8_t logicalPerCore, coresPerPackage, packages;
    std::vector<TopologyRecord> topology;
};

using S = ProcessorCountStatus;

TEST(Counting, StatusCountsAndTopology) {
    // clang-format off
    const CountCase cases[] = {
        {"single core without leaf 4", {IntelCpu(2, 1, false, 8), 2, false, {0, 6}}, S::SingleCore, 1, 1, 2, {{0, 0, 0, 0}, {6, 6, 0, 0}}},
        {"single core by leaf 4", {IntelCpu(11, 1, false, 1), 2, false, {0, 1}}, S::SingleCore, 1, 1, 2, {{0, 0, 0, 0}, {1, 1, 0, 0}}},
        {"reported count cut to 8 bits", {IntelCpu(2, 1, false, 1), 258, false, {3}}, S::SingleCore, 1, 1, 2, {{3, 3, 0, 0}}},
        {"AMD without the bit", {AmdCpu(2, false), 2, false, {0, 1}}, S::SingleCore, 1, 1, 2, {{0, 0, 0, 0}, {1, 1, 0, 0}}},
        {"multi-core capable, one core found", {AmdCpu(2, true), 2, false, {0, 2}}, S::MultiCoreCapableOneCoreFound, 1, 1, 2, {{0, 0, 0, 0}, {2, 1, 0, 0}}},
        {"two dual-core packages", {AmdCpu(2, true), 4, false, {0, 1, 2, 3}}, S::MultiCore, 1, 2, 2, {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 1, 0, 0}, {3, 1, 1, 1}}},
        {"three cores round the width up", {AmdCpu(3, true), 3, false, {0, 1, 2}}, S::MultiCore, 1, 3, 1, {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 2, 2}}},
        {"hyper-threading single core", {IntelCpu(2, 2, true, 1), 4, false, {0, 1, 6, 7}}, S::HyperThreadingSingleCore, 2, 1, 2, {{0, 0, 0, 0}, {1, 0, 0, 1}, {6, 3, 0, 0}, {7, 3, 0, 1}}},
        {"hyper-threading capable but off", {IntelCpu(2, 2, true, 1), 2, false, {0, 6}}, S::HyperThreadingCapableSingleCoreOneThread, 1, 1, 2, {{0, 0, 0, 0}, {6, 3, 0, 0}}},
        {"hyper-threading four cores", {IntelCpu(13, 8, true, 4), 8, false, {0, 1, 2, 3, 4, 5, 6, 7}}, S::HyperThreadingMultiCore, 2, 4, 1,
         {{0, 0, 0, 0}, {1, 0, 0, 1}, {2, 0, 1, 0}, {3, 0, 1, 1}, {4, 0, 2, 0}, {5, 0, 2, 1}, {6, 0, 3, 0}, {7, 0, 3, 1}}},
        {"hyper-threading off, two quad cores", {IntelCpu(11, 16, true, 8), 8, false, {0, 2, 4, 6, 16, 18, 20, 22}}, S::HyperThreadingCapableMultiCoreOneThread, 1, 4, 2,
         {{0, 0, 0, 0}, {2, 0, 1, 0}, {4, 0, 2, 0}, {6, 0, 3, 0}, {16, 1, 0, 0}, {18, 1, 1, 0}, {20, 1, 2, 0}, {22, 1, 3, 0}}},
        // Without a logical count in leaf 1 the cores-per-package value stands in.
        {"missing logical count", {IntelCpu(4, 0, true, 2), 2, false, {0, 1}}, S::HyperThreadingCapableMultiCoreOneThread, 1, 2, 1, {{0, 0, 0, 0}, {1, 0, 1, 0}}},
        // A restricted process is not pinned: no records, packages 255.
        {"restricted, hyper-threading", {IntelCpu(13, 8, true, 4), 8, true, {0, 1}}, S::AffinityRestrictedHyperThreadingCapable, 1, 1, 255, {}},
        {"restricted, single core", {IntelCpu(2, 1, false, 1), 2, true, {0, 1}}, S::AffinityRestricted, 1, 1, 255, {}},
        {"restricted, multi-core", {AmdCpu(8, true), 16, true, {}}, S::AffinityRestricted, 1, 1, 255, {}},
        {"nothing visited, hyper-threading", {IntelCpu(13, 8, true, 4), 8, false, {}}, S::HyperThreadingCapableSingleCoreOneThread, 1, 1, 8, {}},
        {"nothing visited, multi-core", {AmdCpu(8, true), 8, false, {}}, S::MultiCoreCapableOneCoreFound, 1, 1, 8, {}},
    };
    // clang-format on
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessorCount count = CountProcessors(c.input);
        EXPECT_EQ(count.status, c.status);
        EXPECT_EQ(count.logicalPerCore, c.logicalPerCore);
        EXPECT_EQ(count.coresPerPackage, c.coresPerPackage);
        EXPECT_EQ(count.packages, c.packages);
        EXPECT_EQ(count.topology, c.topology);
    }
}

// The processors that the count puts in one package are those Linux puts in one socket.
void ExpectSamePackages(const CpuidIdentity& cpu,
                        const std::vector<std::pair<std::uint8_t, unsigned>>& facts,
                        ProcessorCount& count) {
    ProcessorCountInput input{cpu, static_cast<std::uint32_t>(facts.size()), false, {}};
    for (const auto& fact : facts) input.initialApicIds.push_back(fact.first);
    count = CountProcessors(input);
    ASSERT_EQ(count.topology.size(), facts.size());
    std::map<unsigned, std::set<std::uint8_t>> packagesOfSocket;
    std::map<std::uint8_t, std::set<unsigned>> socketsOfPackage;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        EXPECT_EQ(count.topology[i].apicId, facts[i].first);
        packagesOfSocket[facts[i].second].insert(count.topology[i].packageId);
        socketsOfPackage[count.topology[i].packageId].insert(facts[i].second);
    }
    for (const auto& [socket, packages] : packagesOfSocket) EXPECT_EQ(packages.size(), 1u);
    for (const auto& [package, sockets] : socketsOfPackage) EXPECT_EQ(sockets.size(), 1u);
}

TEST(CountingRealMachines, TwoSocketEpyc) {
    std::ifstream file(std::string(NORV_TEST_DATA_DIR) + "/processor_topology/epyc7451.txt");
    std::vector<std::pair<std::uint8_t, unsigned>> facts;
    std::string line;
    while (std::getline(file, line)) {
        unsigned apic = 0, socket = 0;
        if (line[0] != '#' && std::sscanf(line.c_str(), "%u %u", &apic, &socket) == 2)
            facts.emplace_back(static_cast<std::uint8_t>(apic), socket);
    }
    ASSERT_EQ(facts.size(), 96u);
    // Leaf 1 carries the package's 48 threads; AMD takes the multi-core path, so "cores" per
    // package counts threads.
    ProcessorCount count;
    ExpectSamePackages(AmdCpu(48, true), facts, count);
    EXPECT_EQ(count.status, ProcessorCountStatus::MultiCore);
    EXPECT_EQ(count.coresPerPackage, 48);
    EXPECT_EQ(count.packages, 2);
    EXPECT_EQ(count.topology[48].coreId, 1);  // apic 1: the second thread of the first core
}

TEST(CountingRealMachines, TwoSocketXeonWithMoreIdsThanThreads) {
    // Two 8-core, 16-thread packages that address 32 logical ids: ids 0..15 and 32..47.
    std::vector<std::pair<std::uint8_t, unsigned>> facts;
    for (unsigned socket = 0; socket < 2; ++socket)
        for (unsigned id = 0; id < 16; ++id)
            facts.emplace_back(static_cast<std::uint8_t>(socket * 32 + id), socket);
    ProcessorCount count;
    ExpectSamePackages(IntelCpu(13, 32, true, 16), facts, count);
    EXPECT_EQ(count.status, ProcessorCountStatus::HyperThreadingMultiCore);
    EXPECT_EQ(count.logicalPerCore, 2);
    EXPECT_EQ(count.coresPerPackage, 8);
    EXPECT_EQ(count.packages, 1);  // the reported count over the addressable ids
    EXPECT_EQ(count.topology[17], (TopologyRecord{33, 1, 0, 1}));
}

// A count function that hands out one result and counts its calls.
struct FakeCount {
    ProcessorCount result;
    int calls = 0;
    std::function<ProcessorCount()> Function() {
        return [this] { return ++calls, result; };
    }
};

FakeCount Counted(ProcessorCountStatus status, std::vector<TopologyRecord> topology) {
    FakeCount fake;
    fake.result.status = status;
    fake.result.packages = static_cast<std::uint8_t>(topology.size());
    fake.result.topology = std::move(topology);
    return fake;
}

const Bytes kTwoSocketTable = Concat({
    Processor(0x0400, 1, kPopulated, {"Proc 1"}),
    Processor(0x0401, 1, kPopulated, {"Proc 2"}),
    OemProcessor(0x0401, 0x20, 2, 1),
    OemProcessor(0x0400, 0x00, 1, 0xFF),
    EndOfTable(0x7F00),
});

// The list in one line: status, then each entry's APIC id, package, core and logical id, its
// socket's designation and OEM APIC id.
std::string Describe(const ProcessorInfo& info) {
    std::string text = "status " + std::to_string(static_cast<int>(info.status)) + ":";
    for (const ProcessorEntry& e : info.entries) {
        char entry[64];
        std::snprintf(entry, sizeof entry, " %02X.%u.%u.%u %s/%02X", unsigned{e.topology.apicId},
                      unsigned{e.topology.packageId}, unsigned{e.topology.coreId},
                      unsigned{e.topology.logicalId}, GetSocketString(1, e.strings).c_str(),
                      unsigned{e.oemProcessor[kOemApicIdOffset]});
        text += entry;
    }
    return text;
}

TEST(ProcessorInfo, EachLogicalProcessorCarriesItsSocket) {
    struct Case {
        const char* rule;
        ProcessorCountStatus status;
        std::vector<TopologyRecord> topology;
        const char* list;
    };
    // clang-format off
    const Case cases[] = {
        {"single-core sockets take the records in order, though neither OEM APIC id is 6",
         S::SingleCore, {{0, 0, 0, 0}, {6, 6, 0, 0}}, "status 0: 00.0.0.0 Proc 1/00 06.6.0.0 Proc 2/20"},
        {"or by APIC id when there are more", S::SingleCore, {{0x20, 0x20, 0, 0}, {0, 0, 0, 0}, {7, 7, 0, 0}},
         "status 0: 00.0.0.0 Proc 1/00 20.32.0.0 Proc 2/20"},
        {"the sockets first, then each socket's other processors in record order", S::HyperThreadingMultiCore,
         {{0x00, 0, 0, 0}, {0x01, 0, 0, 1}, {0x20, 1, 0, 0}, {0x21, 1, 0, 1}, {0x02, 0, 1, 0}},
         "status 0: 00.0.0.0 Proc 1/00 20.1.0.0 Proc 2/20 01.0.0.1 Proc 1/00 02.0.1.0 Proc 1/00 21.1.0.1 Proc 2/20"},
        {"a later record with the same APIC id wins", S::HyperThreadingMultiCore,
         {{0x00, 0, 0, 0}, {0x00, 3, 0, 0}, {0x05, 3, 1, 0}, {0x20, 1, 0, 0}},
         "status 0: 00.3.0.0 Proc 1/00 20.1.0.0 Proc 2/20 05.3.1.0 Proc 1/00"},
        {"no visited processor has socket 2's APIC id: its package is unknown", S::HyperThreadingMultiCore,
         {{0x00, 0, 0, 0}, {0x01, 0, 0, 1}}, "status 0: 00.0.0.0 Proc 1/00 00.0.0.0 Proc 2/20 01.0.0.1 Proc 1/00"},
        {"a restricted process leaves zero topology", S::AffinityRestricted, {},
         "status 0: 00.0.0.0 Proc 1/00 00.0.0.0 Proc 2/20"},
    };
    // clang-format on
    for (const Case& c : cases) {
        FakeCount fake = Counted(c.status, c.topology);
        const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
        EXPECT_EQ(Describe(info), c.list) << c.rule;
        EXPECT_EQ(fake.calls, 1);
        EXPECT_EQ(info.structures.size(), 2u);
    }
    FakeCount fake = Counted(S::SingleCore, {{0, 0, 0, 0}, {6, 6, 0, 0}});
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    EXPECT_EQ(info.entries[0].strings, (std::vector<std::string>{"", "Proc 1"}));
    EXPECT_EQ(info.entries[1].processor[2], 0x01);
    EXPECT_EQ(ProcessorKeyOf(info, 0), (ProcessorKey{1, 0}));  // proc 0xFF: not given
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{2, 1}));

    FakeCount none = Counted(S::SingleCore, {{0, 0, 0, 0}});
    const ProcessorInfo noTable = GetProcessorInfo(std::nullopt, none.Function());
    EXPECT_EQ(Describe(noTable), "status 1:");
    EXPECT_EQ(none.calls, 0);
    EXPECT_EQ(ProcessorKeyOf(noTable, 0), (ProcessorKey{0, 0}));
    EXPECT_TRUE(GetProcessorInfo(Concat({EndOfTable(1)}), none.Function()).entries.empty());
}

TEST(ProcessorInfo, APopulatedSocketWithoutOemRecordStopsTheListAndKeysComeFromSockets) {
    const Bytes table = Concat({
        Processor(0x0400, 1, kEmpty, {"SLOT 9 Proc 9"}),  // not populated: needs no record
        Processor(0x0401, 1, kPopulated, {"SLOT 1 Proc 1"}),
        Processor(0x0402, 2, kPopulated, {"Intel", "Proc 2"}),
        Processor(0x0403, 0, kPopulated, {"SLOT 3 Proc 3"}),  // no designation string
        OemProcessor(0x0401, 0, 1, 1),
    });
    FakeCount fake = Counted(S::SingleCore, {{0, 0, 0, 0}});
    const ProcessorInfo info = GetProcessorInfo(table, fake.Function());
    EXPECT_EQ(info.status, ProcessorInfoStatus::MissingOemRecord);
    EXPECT_EQ(fake.calls, 0);
    ASSERT_EQ(info.entries.size(), 1u);
    EXPECT_EQ(info.entries[0].strings[1], "SLOT 1 Proc 1");
    EXPECT_EQ(info.entries[0].topology, TopologyRecord{});
    EXPECT_EQ(info.structures.size(), 4u);
    // Past the entries the populated socket with the processor's ordinal serves.
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{0, 2}));
    EXPECT_EQ(ProcessorKeyOf(info, 2), (ProcessorKey{0, 0}));
    EXPECT_EQ(ProcessorKeyOf(info, 200), (ProcessorKey{0, 0}));
}

}  // namespace
}  // namespace norv
