#include "platform/processor_topology.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// Socket designation numbers.

struct KeywordCase {
    std::string text;
    const char* keyword;
    std::optional<std::uint8_t> number;
};

class KeywordNumber : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordNumber, ParsesTheNumberInTheTokenAfterTheKeyword) {
    EXPECT_EQ(ParseNumberAfterKeyword(GetParam().text, GetParam().keyword), GetParam().number)
        << '"' << GetParam().text << "\" with " << GetParam().keyword;
}

const KeywordCase kKeywordCases[] = {
    {"Proc 2", "Proc", 2},
    {"Proc2", "Proc", std::nullopt},  // no following token
    {"SLOT 1 Proc 2", "SLOT", 1},
    {"SLOT 1 Proc 2", "Proc", 2},
    {"Proc 2 SLOT 1", "SLOT", 1},
    {"slot 3", "SLOT", 3},
    {"PROC 4", "Proc", 4},
    {"Processor 5", "Proc", 5},  // the token only begins with the keyword
    {"Proc\t7", "Proc", 7},
    {"  Proc \t  8  ", "Proc", 8},
    {"Proc #5", "Proc", 5},  // skips to the first digit of the following token
    {"Proc 12a3", "Proc", 12},
    {"Proc 0", "Proc", 0},
    {"Proc 300", "Proc", 44},  // cut to 8 bits
    {"Proc 99999999999", "Proc", static_cast<std::uint8_t>(99999999999ull % 256)},
    {"Proc x", "Proc", std::nullopt},
    // Only the first keyword token with a follower is looked at.
    {"Proc x Proc 3", "Proc", std::nullopt},
    {"CPU Proc", "Proc", std::nullopt},
    {"Pro 1", "Proc", std::nullopt},
    {"SOCKET 0", "Proc", std::nullopt},
    {"SOCKET 0", "SLOT", std::nullopt},
    {"", "Proc", std::nullopt},
    {" \t ", "Proc", std::nullopt},
    {std::string("Proc\0 1", 7), "Proc", std::nullopt},  // the text ends at a NUL
    // 248 + 7 = 255 characters are read; one more cuts off the number's token.
    {std::string(248, 'x') + " Proc 9", "Proc", 9},
    {std::string(249, 'x') + " Proc 9", "Proc", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, KeywordNumber, ::testing::ValuesIn(kKeywordCases));

// CPUID facts.

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

TEST(Cpuid, HyperThreadingCapableOnlyForIntelWithTheBit) {
    EXPECT_TRUE(IsHyperThreadingCapable(IntelCpu(2, 2, true, 1)));
    EXPECT_FALSE(IsHyperThreadingCapable(IntelCpu(2, 2, false, 1)));
    EXPECT_FALSE(IsHyperThreadingCapable(AmdCpu(2, true)));
    CpuidIdentity other = IntelCpu(2, 2, true, 1);
    other.vendor = "GenuineIntex";
    EXPECT_FALSE(IsHyperThreadingCapable(other));
}

TEST(Cpuid, MaxCoresPerPackage) {
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(4, 16, true, 8)), 8u);
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(0x0D, 0, false, 64)), 64u);
    EXPECT_EQ(MaxCoresPerPackage(IntelCpu(3, 16, true, 8)), 1u);  // no leaf 4
    EXPECT_EQ(MaxCoresPerPackage(AmdCpu(48, true)), 48u);
    EXPECT_EQ(MaxCoresPerPackage(AmdCpu(48, false)), 1u);
    CpuidIdentity other = AmdCpu(48, true);
    other.vendor = "HygonGenuine";
    EXPECT_EQ(MaxCoresPerPackage(other), 1u);
}

TEST(Cpuid, IdWidthIsTheBitsForIdsBelowTheCount) {
    const std::pair<unsigned, unsigned> cases[] = {{0, 0},  {1, 0},  {2, 1},   {3, 2},  {4, 2},
                                                   {5, 3},  {8, 3},  {9, 4},   {16, 4}, {48, 6},
                                                   {64, 6}, {65, 7}, {255, 8}, {256, 8}};
    for (const auto& [count, width] : cases) EXPECT_EQ(IdWidth(count), width) << count;
}

// Counting.

struct CountResult {
    ProcessorCountStatus status;
    std::uint8_t logicalPerCore;
    std::uint8_t coresPerPackage;
    std::uint8_t packages;
};

struct CountCase {
    const char* name;
    ProcessorCountInput input;
    CountResult expected;
    std::vector<TopologyRecord> topology;
};

class Counting : public ::testing::TestWithParam<CountCase> {};

TEST_P(Counting, StatusCountsAndTopology) {
    const ProcessorCount count = CountProcessors(GetParam().input);
    EXPECT_EQ(count.status, GetParam().expected.status);
    EXPECT_EQ(count.logicalPerCore, GetParam().expected.logicalPerCore);
    EXPECT_EQ(count.coresPerPackage, GetParam().expected.coresPerPackage);
    EXPECT_EQ(count.packages, GetParam().expected.packages);
    ASSERT_EQ(count.topology.size(), GetParam().topology.size());
    for (std::size_t i = 0; i < count.topology.size(); ++i) {
        const TopologyRecord& got = count.topology[i];
        const TopologyRecord& want = GetParam().topology[i];
        EXPECT_EQ(got, want) << i << ": got {" << +got.apicId << ", " << +got.packageId << ", "
                             << +got.coreId << ", " << +got.logicalId << "}";
    }
}

using S = ProcessorCountStatus;

const CountCase kCountCases[] = {
    // Single-core packages without Hyper-Threading: ids taken as they are.
    {"SingleCoreWithoutLeaf4",
     {IntelCpu(2, 1, false, 8), 2, false, {0, 6}},
     {S::SingleCore, 1, 1, 2},
     {{0, 0, 0, 0}, {6, 6, 0, 0}}},
    {"SingleCoreByLeaf4",
     {IntelCpu(11, 1, false, 1), 2, false, {0, 1}},
     {S::SingleCore, 1, 1, 2},
     {{0, 0, 0, 0}, {1, 1, 0, 0}}},
    {"ReportedCountCutTo8Bits",
     {IntelCpu(2, 1, false, 1), 258, false, {3}},
     {S::SingleCore, 1, 1, 2},
     {{3, 3, 0, 0}}},
    {"AmdWithoutTheBitIsSingleCore",
     {AmdCpu(2, false), 2, false, {0, 1}},
     {S::SingleCore, 1, 1, 2},
     {{0, 0, 0, 0}, {1, 1, 0, 0}}},
    // Multi-core capable without Hyper-Threading (AMD): core bits below the package bits.
    {"MultiCoreCapableOneCoreFound",
     {AmdCpu(2, true), 2, false, {0, 2}},
     {S::MultiCoreCapableOneCoreFound, 1, 1, 2},
     {{0, 0, 0, 0}, {2, 1, 0, 0}}},
    {"TwoDualCorePackages",
     {AmdCpu(2, true), 4, false, {0, 1, 2, 3}},
     {S::MultiCore, 1, 2, 2},
     {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 1, 0, 0}, {3, 1, 1, 1}}},
    {"ThreeCoreCountRoundsTheWidthUp",
     {AmdCpu(3, true), 3, false, {0, 1, 2}},
     {S::MultiCore, 1, 3, 1},
     {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 2, 2}}},
    // Hyper-Threading capable (Intel).
    {"HyperThreadingSingleCore",
     {IntelCpu(2, 2, true, 1), 4, false, {0, 1, 6, 7}},
     {S::HyperThreadingSingleCore, 2, 1, 2},
     {{0, 0, 0, 0}, {1, 0, 0, 1}, {6, 3, 0, 0}, {7, 3, 0, 1}}},
    {"HyperThreadingCapableButOff",
     {IntelCpu(2, 2, true, 1), 2, false, {0, 6}},
     {S::HyperThreadingCapableSingleCoreOneThread, 1, 1, 2},
     {{0, 0, 0, 0}, {6, 3, 0, 0}}},
    {"HyperThreadingFourCores",
     {IntelCpu(13, 8, true, 4), 8, false, {0, 1, 2, 3, 4, 5, 6, 7}},
     {S::HyperThreadingMultiCore, 2, 4, 1},
     {{0, 0, 0, 0},
      {1, 0, 0, 1},
      {2, 0, 1, 0},
      {3, 0, 1, 1},
      {4, 0, 2, 0},
      {5, 0, 2, 1},
      {6, 0, 3, 0},
      {7, 0, 3, 1}}},
    {"HyperThreadingOffTwoQuadCores",
     {IntelCpu(11, 16, true, 8), 8, false, {0, 2, 4, 6, 16, 18, 20, 22}},
     {S::HyperThreadingCapableMultiCoreOneThread, 1, 4, 2},
     {{0, 0, 0, 0},
      {2, 0, 1, 0},
      {4, 0, 2, 0},
      {6, 0, 3, 0},
      {16, 1, 0, 0},
      {18, 1, 1, 0},
      {20, 1, 2, 0},
      {22, 1, 3, 0}}},
    // Without a logical count in leaf 1 the cores-per-package value stands in.
    {"MissingLogicalCountUsesCores",
     {IntelCpu(4, 0, true, 2), 2, false, {0, 1}},
     {S::HyperThreadingCapableMultiCoreOneThread, 1, 2, 1},
     {{0, 0, 0, 0}, {1, 0, 1, 0}}},
    // A restricted process is not pinned: no records, packages 255.
    {"RestrictedHyperThreadingCapable",
     {IntelCpu(13, 8, true, 4), 8, true, {0, 1}},
     {S::AffinityRestrictedHyperThreadingCapable, 1, 1, 255},
     {}},
    {"RestrictedSingleCore",
     {IntelCpu(2, 1, false, 1), 2, true, {0, 1}},
     {S::AffinityRestricted, 1, 1, 255},
     {}},
    {"RestrictedMultiCore",
     {AmdCpu(8, true), 16, true, {}},
     {S::AffinityRestricted, 1, 1, 255},
     {}},
    {"NothingVisitedHyperThreading",
     {IntelCpu(13, 8, true, 4), 8, false, {}},
     {S::HyperThreadingCapableSingleCoreOneThread, 1, 1, 8},
     {}},
    {"NothingVisitedMultiCore",
     {AmdCpu(8, true), 8, false, {}},
     {S::MultiCoreCapableOneCoreFound, 1, 1, 8},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, Counting, ::testing::ValuesIn(kCountCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

// Real machines: initial APIC ids and physical package ids as Linux read them.
struct CpuFact {
    std::uint8_t initialApicId;
    unsigned physicalId;
};

// The processors that the count puts in one package are those Linux puts in one socket.
void ExpectSamePackages(const ProcessorCount& count, const std::vector<CpuFact>& facts) {
    ASSERT_EQ(count.topology.size(), facts.size());
    std::map<unsigned, std::set<std::uint8_t>> packagesOfSocket;
    std::map<std::uint8_t, std::set<unsigned>> socketsOfPackage;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        EXPECT_EQ(count.topology[i].apicId, facts[i].initialApicId);
        packagesOfSocket[facts[i].physicalId].insert(count.topology[i].packageId);
        socketsOfPackage[count.topology[i].packageId].insert(facts[i].physicalId);
    }
    for (const auto& [socket, packages] : packagesOfSocket) EXPECT_EQ(packages.size(), 1u);
    for (const auto& [package, sockets] : socketsOfPackage) EXPECT_EQ(sockets.size(), 1u);
}

ProcessorCountInput InputOf(const CpuidIdentity& cpuid, const std::vector<CpuFact>& facts) {
    ProcessorCountInput input{cpuid, static_cast<std::uint32_t>(facts.size()), false, {}};
    for (const CpuFact& fact : facts) input.initialApicIds.push_back(fact.initialApicId);
    return input;
}

// AMD EPYC 7451, two sockets of 24 cores with two threads each, in Linux's processor order.
const std::vector<CpuFact> kEpyc7451 = {
    {0, 0},   {2, 0},   {4, 0},   {8, 0},   {10, 0},  {12, 0},  {16, 0},  {18, 0},  {20, 0},
    {24, 0},  {26, 0},  {28, 0},  {32, 0},  {34, 0},  {36, 0},  {40, 0},  {42, 0},  {44, 0},
    {48, 0},  {50, 0},  {52, 0},  {56, 0},  {58, 0},  {60, 0},  {64, 1},  {66, 1},  {68, 1},
    {72, 1},  {74, 1},  {76, 1},  {80, 1},  {82, 1},  {84, 1},  {88, 1},  {90, 1},  {92, 1},
    {96, 1},  {98, 1},  {100, 1}, {104, 1}, {106, 1}, {108, 1}, {112, 1}, {114, 1}, {116, 1},
    {120, 1}, {122, 1}, {124, 1}, {1, 0},   {3, 0},   {5, 0},   {9, 0},   {11, 0},  {13, 0},
    {17, 0},  {19, 0},  {21, 0},  {25, 0},  {27, 0},  {29, 0},  {33, 0},  {35, 0},  {37, 0},
    {41, 0},  {43, 0},  {45, 0},  {49, 0},  {51, 0},  {53, 0},  {57, 0},  {59, 0},  {61, 0},
    {65, 1},  {67, 1},  {69, 1},  {73, 1},  {75, 1},  {77, 1},  {81, 1},  {83, 1},  {85, 1},
    {89, 1},  {91, 1},  {93, 1},  {97, 1},  {99, 1},  {101, 1}, {105, 1}, {107, 1}, {109, 1},
    {113, 1}, {115, 1}, {117, 1}, {121, 1}, {123, 1}, {125, 1},
};

// An Opteron 6328 guest: two sockets of eight, initial APIC ids 0..7 and 32..39.
const std::vector<CpuFact> kOpteronGuest = {
    {0, 0},  {1, 0},  {2, 0},  {3, 0},  {4, 0},  {5, 0},  {6, 0},  {7, 0},
    {32, 1}, {33, 1}, {34, 1}, {35, 1}, {36, 1}, {37, 1}, {38, 1}, {39, 1},
};

TEST(CountingRealMachines, TwoSocketEpyc) {
    // Leaf 1 EBX bits 23..16 carry the package's 48 threads; AMD takes the multi-core
    // path, so "cores" per package counts threads.
    const ProcessorCount count = CountProcessors(InputOf(AmdCpu(48, true), kEpyc7451));
    EXPECT_EQ(count.status, ProcessorCountStatus::MultiCore);
    EXPECT_EQ(count.coresPerPackage, 48);
    EXPECT_EQ(count.packages, 2);
    ExpectSamePackages(count, kEpyc7451);
    EXPECT_EQ(count.topology[48].coreId, 1);  // apic 1: the second thread of the first core
}

TEST(CountingRealMachines, TwoSocketXeonWithMoreIdsThanThreads) {
    // Two 8-core, 16-thread Xeons whose packages address 32 logical ids (16 cores of 2):
    // socket 0 holds initial APIC ids 0..15, socket 1 32..47.
    std::vector<CpuFact> facts;
    for (unsigned socket = 0; socket < 2; ++socket)
        for (unsigned id = 0; id < 16; ++id)
            facts.push_back({static_cast<std::uint8_t>(socket * 32 + id), socket});
    const ProcessorCount count = CountProcessors(InputOf(IntelCpu(13, 32, true, 16), facts));
    EXPECT_EQ(count.status, ProcessorCountStatus::HyperThreadingMultiCore);
    EXPECT_EQ(count.logicalPerCore, 2);
    EXPECT_EQ(count.coresPerPackage, 8);
    // The reported count is divided by the addressable ids, not by the threads found.
    EXPECT_EQ(count.packages, 1);
    ExpectSamePackages(count, facts);
    EXPECT_EQ(count.topology[17], (TopologyRecord{33, 1, 0, 1}));
}

// The processor list.

class FakeCount {
public:
    explicit FakeCount(ProcessorCount result) : result_(std::move(result)) {}
    std::function<ProcessorCount()> Function() {
        return [this] {
            ++calls_;
            return result_;
        };
    }
    int calls() const { return calls_; }

private:
    ProcessorCount result_;
    int calls_ = 0;
};

ProcessorCount SingleCoreCount(std::vector<TopologyRecord> topology) {
    ProcessorCount count;
    count.status = ProcessorCountStatus::SingleCore;
    count.packages = static_cast<std::uint8_t>(topology.size());
    count.topology = std::move(topology);
    return count;
}

ProcessorCount HyperThreadingCount(std::vector<TopologyRecord> topology) {
    ProcessorCount count;
    count.status = ProcessorCountStatus::HyperThreadingMultiCore;
    count.topology = std::move(topology);
    return count;
}

const Bytes kTwoSocketTable = Concat({
    Processor(0x0400, 1, kPopulated, {"Proc 1"}),
    Processor(0x0401, 1, kPopulated, {"Proc 2"}),
    OemProcessor(0x0401, 0x20, 2, 1),
    OemProcessor(0x0400, 0x00, 1, 0xFF),
    EndOfTable(0x7F00),
});

TEST(ProcessorInfo, WithoutATableNothingIsCounted) {
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(std::nullopt, fake.Function());
    EXPECT_EQ(info.status, ProcessorInfoStatus::NoTable);
    EXPECT_TRUE(info.entries.empty());
    EXPECT_TRUE(info.structures.empty());
    EXPECT_EQ(fake.calls(), 0);
}

TEST(ProcessorInfo, TwoSingleCoreSocketsTakeTheRecordsInOrder) {
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}, {6, 6, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    EXPECT_EQ(fake.calls(), 1);
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_EQ(info.entries.size(), 2u);
    EXPECT_EQ(info.structures.size(), 2u);
    // In order, even though neither OEM APIC id is 6.
    EXPECT_EQ(info.entries[0].topology, (TopologyRecord{0, 0, 0, 0}));
    EXPECT_EQ(info.entries[1].topology, (TopologyRecord{6, 6, 0, 0}));
    EXPECT_EQ(info.entries[0].strings, (std::vector<std::string>{"", "Proc 1"}));
    EXPECT_EQ(info.entries[1].strings, (std::vector<std::string>{"", "Proc 2"}));
    EXPECT_EQ(info.entries[1].oemProcessor[kOemApicIdOffset], 0x20);
    EXPECT_EQ(info.entries[0].processor[2], 0x00);
    EXPECT_EQ(info.entries[1].processor[2], 0x01);
}

TEST(ProcessorInfo, SingleCoreWithAnotherNumberOfRecordsMatchesByApicId) {
    FakeCount fake(SingleCoreCount({{0x20, 0x20, 0, 0}, {0, 0, 0, 0}, {7, 7, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_EQ(info.entries.size(), 2u);
    EXPECT_EQ(info.entries[0].topology.apicId, 0);
    EXPECT_EQ(info.entries[1].topology.apicId, 0x20);
}

TEST(ProcessorInfo, EachLogicalProcessorOfAPackageCarriesItsSocket) {
    FakeCount fake(HyperThreadingCount({{0x00, 0, 0, 0},
                                        {0x01, 0, 0, 1},
                                        {0x20, 1, 0, 0},
                                        {0x21, 1, 0, 1},
                                        {0x02, 0, 1, 0},
                                        {0x22, 1, 1, 0}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    // The sockets first, then for each socket its other processors in record order.
    const std::vector<std::pair<std::uint8_t, std::string>> expected = {
        {0x00, "Proc 1"}, {0x20, "Proc 2"}, {0x01, "Proc 1"},
        {0x02, "Proc 1"}, {0x21, "Proc 2"}, {0x22, "Proc 2"}};
    ASSERT_EQ(info.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info.entries[i].topology.apicId, expected[i].first) << i;
        EXPECT_EQ(GetSocketString(1, info.entries[i].strings), expected[i].second) << i;
        EXPECT_EQ(info.entries[i].oemProcessor[kOemApicIdOffset],
                  expected[i].second == "Proc 1" ? 0x00 : 0x20);
    }
}

TEST(ProcessorInfo, ALaterRecordWithTheSameApicIdWins) {
    FakeCount fake(
        HyperThreadingCount({{0x00, 0, 0, 0}, {0x00, 3, 0, 0}, {0x05, 3, 1, 0}, {0x20, 1, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.entries.size(), 3u);
    EXPECT_EQ(info.entries[0].topology, (TopologyRecord{0x00, 3, 0, 0}));
    EXPECT_EQ(info.entries[2].topology, (TopologyRecord{0x05, 3, 1, 0}));
}

TEST(ProcessorInfo, ASocketWhoseApicIdMatchesNothingTakesNoCopies) {
    // Socket 2 names APIC id 0x20, which no visited processor has: its package is unknown,
    // so the processors of package 0 are not attributed to it.
    FakeCount fake(HyperThreadingCount({{0x00, 0, 0, 0}, {0x01, 0, 0, 1}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_EQ(info.entries.size(), 3u);
    EXPECT_EQ(info.entries[1].topology, TopologyRecord{});
    EXPECT_EQ(info.entries[2].topology.apicId, 0x01);
    EXPECT_EQ(GetSocketString(1, info.entries[2].strings), "Proc 1");
}

TEST(ProcessorInfo, RestrictedAffinityLeavesZeroTopology) {
    ProcessorCount restricted;
    restricted.status = ProcessorCountStatus::AffinityRestricted;
    restricted.packages = kPackagesWhenRestricted;
    FakeCount fake(restricted);
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_EQ(info.entries.size(), 2u);
    EXPECT_EQ(info.entries[0].topology, TopologyRecord{});
    EXPECT_EQ(info.entries[1].topology, TopologyRecord{});
}

TEST(ProcessorInfo, APopulatedSocketWithoutOemRecordStopsTheList) {
    const Bytes table = Concat({
        Processor(0x0400, 1, kEmpty, {"Proc 9"}),  // not populated: needs no record
        Processor(0x0401, 1, kPopulated, {"Proc 1"}),
        Processor(0x0402, 1, kPopulated, {"Proc 2"}),
        Processor(0x0403, 1, kPopulated, {"Proc 3"}),
        OemProcessor(0x0401, 0, 1, 1),
        OemProcessor(0x0403, 2, 3, 3),
    });
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(table, fake.Function());
    EXPECT_EQ(info.status, ProcessorInfoStatus::MissingOemRecord);
    EXPECT_EQ(fake.calls(), 0);
    ASSERT_EQ(info.entries.size(), 1u);
    EXPECT_EQ(info.entries[0].strings[1], "Proc 1");
    EXPECT_EQ(info.entries[0].topology, TopologyRecord{});
    EXPECT_EQ(info.structures.size(), 4u);
}

TEST(ProcessorInfo, ATableWithoutSocketsIsCompleteAndEmpty) {
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(Concat({EndOfTable(1)}), fake.Function());
    EXPECT_EQ(info.status, ProcessorInfoStatus::Complete);
    EXPECT_TRUE(info.entries.empty());
}

TEST(ProcessorInfo, RealDualSocketTableWithOemRecordsAdded) {
    const Bytes dump =
        ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/sidero/SuperMicro-Dual-Xeon.dmi");
    ASSERT_FALSE(dump.empty());
    // As dumped, no OEM records: the first populated socket stops the list.
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}, {32, 32, 0, 0}}));
    const ProcessorInfo plain = GetProcessorInfo(dump, fake.Function());
    EXPECT_EQ(plain.status, ProcessorInfoStatus::MissingOemRecord);
    EXPECT_TRUE(plain.entries.empty());
    ASSERT_EQ(plain.structures.size(), 2u);

    // The same table with the vendor's records for its sockets (handles 4 and 8) placed
    // before its end-of-table structure, which is the last 4 + 2 bytes.
    Bytes table(dump.begin(), dump.end() - 6);
    Append(table, OemProcessor(0x0008, 32, 0xFF, 2));
    Append(table, OemProcessor(0x0004, 0, 0xFF, 1));
    table.insert(table.end(), dump.end() - 6, dump.end());
    const ProcessorInfo info = GetProcessorInfo(table, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_EQ(info.entries.size(), 2u);
    EXPECT_EQ(GetSocketString(info.entries[0].processor[kSocketDesignationOffset],
                              info.entries[0].strings),
              "CPU 1");
    EXPECT_EQ(info.entries[1].topology.apicId, 32);
    EXPECT_EQ(ProcessorKeyOf(info, 0), (ProcessorKey{0, 1}));
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{0, 2}));
}

// Keys of the processors.

TEST(ProcessorKeys, FromTheOemBytesWhenTheListIsComplete) {
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}, {0x20, 0x20, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(kTwoSocketTable, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    EXPECT_EQ(ProcessorKeyOf(info, 0), (ProcessorKey{1, 0}));  // proc 0xFF: not given
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{2, 1}));
}

// Past the entries, or when a socket lacks its OEM record, the populated socket with the
// processor's ordinal serves, whatever the number of processors; beyond the populated
// sockets there is no key.
TEST(ProcessorKeys, FromThePopulatedSocketWithTheSameOrdinal) {
    const Bytes table = Concat({
        Processor(0x0400, 1, kEmpty, {"SLOT 9 Proc 9"}),
        Processor(0x0401, 1, kPopulated, {"SLOT 1 Proc 1"}),
        Processor(0x0402, 2, kPopulated, {"Intel", "Proc 2"}),
        Processor(0x0403, 0, kPopulated, {"SLOT 3 Proc 3"}),  // no designation string
    });
    FakeCount fake(SingleCoreCount({}));
    const ProcessorInfo info = GetProcessorInfo(table, fake.Function());
    ASSERT_EQ(info.status, ProcessorInfoStatus::MissingOemRecord);
    EXPECT_EQ(ProcessorKeyOf(info, 0), (ProcessorKey{1, 1}));
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{0, 2}));
    EXPECT_EQ(ProcessorKeyOf(info, 2), (ProcessorKey{0, 0}));
    EXPECT_EQ(ProcessorKeyOf(info, 3), (ProcessorKey{0, 0}));
    EXPECT_EQ(ProcessorKeyOf(info, 200), (ProcessorKey{0, 0}));
}

TEST(ProcessorKeys, MoreProcessorsThanEntriesFallBackToSockets) {
    const Bytes table = Concat({
        Processor(0x0400, 1, kPopulated, {"SLOT 4 Proc 1"}),
        Processor(0x0401, 1, kPopulated, {"SLOT 4 Proc 2"}),
        OemProcessor(0x0400, 0, 7, 8),
        OemProcessor(0x0401, 1, 7, 9),
    });
    FakeCount fake(SingleCoreCount({{0, 0, 0, 0}, {1, 1, 0, 0}}));
    const ProcessorInfo info = GetProcessorInfo(table, fake.Function());
    ASSERT_EQ(info.entries.size(), 2u);
    EXPECT_EQ(ProcessorKeyOf(info, 1), (ProcessorKey{7, 9}));
    // A third processor: no entry, no third populated socket.
    EXPECT_EQ(ProcessorKeyOf(info, 2), (ProcessorKey{0, 0}));
}

TEST(ProcessorKeys, NoneWithoutATable) {
    FakeCount fake(SingleCoreCount({}));
    const ProcessorInfo info = GetProcessorInfo(std::nullopt, fake.Function());
    EXPECT_EQ(ProcessorKeyOf(info, 0), (ProcessorKey{0, 0}));
}

}  // namespace
}  // namespace norv
