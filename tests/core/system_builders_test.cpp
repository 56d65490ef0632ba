#include "inventory/system_builders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"

namespace norv {
namespace {

using testing::Build;
using testing::Builder;
using testing::EntryWithOemNumbers;
using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;
using testing::FakeProperties;

FakeProperties Processor(const char* socketDesignation) {
    return {{"DeviceID", std::string("CPU")},
            {"SocketDesignation", std::string(socketDesignation)}};
}

// The default platform's records, name, type, entity and mask of every kind, are held in
// tests/data/core/default_inventory.txt (inventory_build_test.cpp); here the rules.
TEST(ProcessorBuilder, ProcessorsAreNumberedFromTheCounterAndNamedFromZero) {
    FakeHealthDataSource source;
    source.Serve(kProcessorNamespace, kProcessorQuery,
                 {Processor("Proc 1"), Processor("SLOT 2 Proc 4")});
    ProcessorInfo info;
    info.status = ProcessorInfoStatus::Complete;
    info.entries = {EntryWithOemNumbers(0, 1), EntryWithOemNumbers(0, 2)};
    FakeProcessorInfoSource processors(info);
    SensorInventory inventory;
    std::uint8_t counter = 1;
    ASSERT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
    EXPECT_EQ(counter, 1);  // the processor block is not counted
    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_TRUE(inventory.At(0).HasField(kFieldOwnerId));
    // The entity instance is the number after "Proc".
    EXPECT_EQ(testing::Identity(inventory.At(1)),
              "0.2 CPU 1: kind 13 type 07/6F entity 03.4 mask 7FF key 0/2 state 7");
}

TEST(ProcessorBuilder, EntityInstanceIsTheNumberAfterProcOrZero) {
    for (const auto& [designation, instance] : std::vector<std::pair<const char*, std::uint8_t>>{
             {"Proc 3", 3}, {"Proc3", 0}, {"CPU 1", 0}, {"", 0}}) {
        FakeHealthDataSource source;
        source.Serve(kProcessorNamespace, kProcessorQuery, {Processor(designation)});
        FakeProcessorInfoSource processors;
        SensorInventory inventory;
        std::uint8_t counter = 1;
        BuildProcessorSensors(inventory, source, processors, counter);
        ASSERT_EQ(inventory.Count(), 1u);
        EXPECT_EQ(inventory.At(0).EntityInstance(), instance) << designation;
    }
}

TEST(ProcessorBuilder, ObjectsAreQueriedUntilSomeArriveThenKeptAcrossClear) {
    FakeHealthDataSource source;
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    std::uint8_t counter = 1;
    EXPECT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
    EXPECT_EQ(inventory.Count(), 0u);
    EXPECT_FALSE(inventory.ProcessorsQueried());
    source.Serve(kProcessorNamespace, kProcessorQuery, {Processor("Proc 1"), Processor("Proc 2")});
    for (int build = 0; build < 3; ++build) {
        inventory.Clear();
        ASSERT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
        EXPECT_EQ(inventory.Count(), 2u);
        EXPECT_EQ(inventory.At(1).EntityInstance(), 2);
    }
    EXPECT_TRUE(inventory.ProcessorsQueried());
    EXPECT_EQ(source.TimesSent(kProcessorNamespace, kProcessorQuery), 2u);
    EXPECT_EQ(processors.reads, 4u);  // the socket data is read on every build
}

TEST(AsrBuilder, OneRecordFromTheFirstObjectCounterByObjectCount) {
    struct Case {
        std::vector<FakeProperties> objects;
        std::uint8_t state, counterAfter;
    };
    const std::vector<Case> cases = {
        {{{{"ASRIsEnabled", true}}}, 18, 51},
        {{{{"ASRIsEnabled", false}}}, 17, 51},
        {{{{"ASRTimeOut", 10}}}, 17, 51},  // enabled flag missing
        {{{{"ASRIsEnabled", false}}, {{"ASRIsEnabled", true}}}, 17, 52},
    };
    for (const Case& c : cases) {
        const auto run = Build(BuildAsrSensor, kAsrQuery, c.objects, 50);
        EXPECT_TRUE(run.ok);
        EXPECT_EQ(run.counter, c.counterAfter);
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].SensorNumber(), 50);
        EXPECT_EQ(run[0].CurrentState(), c.state);
    }
    EXPECT_TRUE(Build(BuildAsrSensor, kAsrQuery, cases[0].objects, 50)[0].HasField(kFieldEntityId));
    EXPECT_EQ(Build(BuildAsrSensor, kAsrQuery, {}, 50).Count(), 0u);
}

TEST(UidLightBuilder, LightStatesMapToUsageStatesAndNumbersWrap) {
    const std::pair<std::int32_t, std::uint8_t> cases[] = {{1, 1},  {2, 0},  {4, 2},    {0, 18},
                                                           {3, 18}, {5, 18}, {0x102, 0}};
    for (const auto& [lightState, state] : cases) {
        const auto run =
            Build(BuildUidLightSensors, kUidLightQuery, {{{"UIDLightState", lightState}}}, 51);
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].CurrentState(), state) << lightState;
    }
    const auto run = Build(BuildUidLightSensors, kUidLightQuery, {{{"UIDLightState", 1}}, {}}, 255);
    EXPECT_EQ(run.counter, 1);
    ASSERT_EQ(run.Count(), 2u);
    EXPECT_EQ(run[0].SensorNumber(), 255);
    EXPECT_EQ(run[1].SensorNumber(), 0);
}

TEST(FirmwareBuilder, SevenFixedRecordsNumberedOneToFive) {
    FakeHealthDataSource source;
    const auto run = Build(BuildFirmwareSensors, source, 1);
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.counter, 7);
    ASSERT_EQ(run.Count(), 7u);
    EXPECT_EQ(testing::Identity(run[0]),
              "1.1 POST Error: kind 19 type 0F/6F entity 22.0 mask 7 key 255/255 state 18");
    EXPECT_EQ(testing::Identity(run[6]),
              "65.0 : kind 20 type 20/6F entity 00.0 mask 3F key 255/255 state 18 (hidden)");
    for (std::size_t i = 0; i < 7; ++i) EXPECT_TRUE(run[i].HasField(kFieldSensorNumber));
}

FakeProperties Memory(std::int32_t cartridges, std::int32_t modules, std::int32_t status = 1,
                      bool mirrored = false, bool spare = false, bool raid = false) {
    return {{"Present", true},
            {"MemorySubsystemStatus", status},
            {"SupportsMirrored", mirrored},
            {"SupportsOnlineSpare", spare},
            {"SupportsRAID", raid},
            {"NumberCartridges", cartridges},
            {"NumberModules", modules}};
}

TEST(MemorySubsystemBuilder, StatusSelectsTypeStateAndPresence) {
    struct Case {
        std::int32_t status;
        bool mirrored, spare, raid;
        std::uint32_t readingType;
        std::uint8_t state, present;
    };
    // clang-format off
    const Case cases[] = {
        {0, false, false, false, 0x0A, 4, 1}, {0, true, false, false, 0x0A, 4, 1}, {1, true, true, true, 0x0A, 3, 1},
        {2, false, false, false, 0x0A, 6, 1}, {3, false, false, false, 0x0A, 1, 1}, {4, false, false, false, 0x0A, 4, 1},
        {4, true, false, false, 0x0B, 1, 1},  {4, false, true, false, 0x0B, 1, 1},  {4, false, false, true, 0x0B, 1, 1},
        {5, false, false, false, 0x0B, 0, 1}, {6, false, false, false, 0x0B, 2, 1}, {7, true, false, false, 0x0B, 0, 1},
        {8, false, false, false, 0x0B, 2, 1}, {9, false, false, false, 0x0B, 0, 1}, {10, false, false, false, 0x0B, 2, 1},
        {11, true, false, false, 0x0A, 3, 1}, {12, false, false, false, 0x0A, 6, 1}, {13, true, false, false, 0x0B, 18, 0},
        {200, false, false, false, 0x0B, 18, 0}, {-1, false, false, false, 0x0B, 18, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.status << c.mirrored << c.spare << c.raid);
        const auto run = Build(BuildMemorySubsystemSensors, kMemorySubsystemQuery,
                               {Memory(1, 4, c.status, c.mirrored, c.spare, c.raid)});
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].EventReadingType(), c.readingType);
        EXPECT_EQ(run[0].CurrentState(), c.state);
        EXPECT_EQ(run[0].Present(), c.present);
        EXPECT_EQ(run[0].StateMask(), c.readingType == 0x0B ? 0xFF : 0x7B);
    }
    const auto unreadable =
        Build(BuildMemorySubsystemSensors, kMemorySubsystemQuery, {{{"Present", true}}});
    EXPECT_EQ(unreadable[0].Present(), 0);
    EXPECT_EQ(unreadable[0].CurrentState(), 18);
}

TEST(MemorySubsystemBuilder, OneRecordPerObjectAndAnAbsentSubsystemStopsTheRun) {
    const auto run =
        Build(BuildMemorySubsystemSensors, kMemorySubsystemQuery, {Memory(1, 4), Memory(1, 4, 5)});
    EXPECT_EQ(run.counter, 12);
    ASSERT_EQ(run.Count(), 2u);
    EXPECT_EQ(testing::Identity(run[1]),
              "1.11 Adv Mem Protect: kind 12 type 0C/0B entity 08.0 mask FF key 255/255 state 0");
    FakeProperties absent = Memory(1, 4);
    absent["Present"] = false;
    const auto stopped = Build(BuildMemorySubsystemSensors, kMemorySubsystemQuery,
                               {Memory(1, 4), absent, Memory(1, 4)});
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.counter, 10);
    EXPECT_EQ(stopped.Count(), 1u);
}

FakeProperties Board(std::int32_t cartId, std::int32_t status, std::int32_t pirn) {
    return {{"CartID", cartId}, {"CartStatus", status}, {"CartPIRN", pirn}};
}

testing::Built Boards(std::int32_t cartridges, std::vector<FakeProperties> boards) {
    FakeHealthDataSource source;
    source.Serve(kMemorySubsystemQuery, {Memory(cartridges, 4)});
    source.Serve(kMemoryBoardQuery, std::move(boards));
    return Build(BuildMemoryBoardSensors, source, 11);
}

TEST(MemoryBoardBuilder, SystemBoardAndCartridgeRecords) {
    const auto run = Boards(1, {Board(0, 2, 1)});
    ASSERT_EQ(run.Count(), 2u);
    EXPECT_EQ(testing::Identity(run[0]),
              "1.11 SysBoard DIMMs: kind 10 type 0C/6F entity 07.0 mask FF key 0/255 state 6");
    EXPECT_EQ(
        testing::Identity(run[1]),
        "1.12 MEM CART 0 PIRN: kind 9 type 21/6F entity 08.0 mask 3E7 key 0/255 state 5 (hidden)");
    const auto two = Boards(2, {});
    ASSERT_EQ(two.Count(), 4u);
    EXPECT_EQ(testing::Identity(two[3]),
              "1.14 MEM CART 2 PIRN: kind 9 type 21/6F entity 08.2 mask 3E7 key 2/255 state 17");
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(two[i].CurrentState(), 17);  // no board objects
}

TEST(MemoryBoardBuilder, StatesAndASearchThatStartsAtTheCartridgeOrdinalAndWraps) {
    struct Case {
        std::vector<FakeProperties> boards;
        std::vector<std::uint8_t> states;  // MEM CART 1, 2, then their interlocks
    };
    const std::vector<Case> cases = {
        {{Board(1, 1, 0)}, {4, 17, 7, 17}},
        {{Board(1, 3, 2)}, {18, 17, 17, 17}},
        {{Board(1, 0, 0)}, {17, 17, 17, 17}},  // status 0: the object is passed over
        {{{{"CartID", 1}, {"CartStatus", 2}}}, {6, 17, 17, 17}},     // interlock not reported
        {{{{"CartStatus", 2}, {"CartPIRN", 0}}}, {17, 17, 17, 17}},  // no cartridge id
        // Cartridge 2 starts at index 1, so of its two objects it finds the later one.
        {{Board(2, 1, 0), Board(1, 0, 1), Board(2, 2, 1), Board(1, 2, 0)}, {6, 6, 7, 5}},
        // Cartridge 2's only object lies before its start.
        {{Board(2, 2, 1), Board(1, 1, 0)}, {4, 6, 7, 5}},
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const auto run = Boards(2, cases[n].boards);
        ASSERT_EQ(run.Count(), 4u);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(run[i].CurrentState(), cases[n].states[i]) << n << "/" << i;
    }
}

TEST(MemoryBuilders, NoPresentMemorySubsystemAddsNothing) {
    FakeProperties absent = Memory(2, 4);
    absent["Present"] = false;
    for (const Builder& build : {Builder(BuildMemoryBoardSensors), Builder(BuildDimmSensors)}) {
        for (const auto& objects : {std::vector<FakeProperties>{}, std::vector{absent}}) {
            const auto run = Build(build, kMemorySubsystemQuery, objects, 20);
            EXPECT_FALSE(run.ok);
            EXPECT_EQ(run.counter, 20);
            EXPECT_EQ(run.Count(), 0u);
        }
    }
}

FakeProperties Dimm(std::int32_t cartId, std::int32_t moduleId, std::int32_t status,
                    std::int32_t present = 1) {
    return {{"Present", present}, {"CartID", cartId}, {"ModuleID", moduleId}, {"Status", status}};
}

testing::Built Dimms(std::int32_t cartridges, std::int32_t modules,
                     std::vector<FakeProperties> dimms) {
    FakeHealthDataSource source;
    source.Serve(kMemorySubsystemQuery, {Memory(cartridges, modules)});
    source.Serve(kDimmQuery, std::move(dimms));
    return Build(BuildDimmSensors, source, 20);
}

TEST(DimmBuilder, RecordsAndTheEightBitCounter) {
    const auto many = Dimms(16, 17, {});
    EXPECT_EQ(many.counter, 36);  // 20 + 272, modulo 256
    EXPECT_EQ(many.Count(), 272u);
    EXPECT_EQ(many[271].SensorNumber(), 35);
    EXPECT_EQ(testing::Identity(Dimms(2, 4, {})[6]),
              "1.26 CART 2: DIMM 3: kind 7 type 0C/6F entity 20.3 mask 1FF key 2/3 state 17");
}

TEST(DimmBuilder, StatusStates) {
    const std::pair<std::int32_t, std::uint8_t> cases[] = {
        {0, 17}, {1, 8}, {2, 6}, {3, 6},  {4, 6},   {5, 7},  {6, 7},
        {7, 7},  {8, 7}, {9, 0}, {10, 7}, {11, 17}, {-1, 17}};
    for (const auto& [status, state] : cases) {
        const auto run = Dimms(1, 2, {Dimm(0, 2, status)});
        ASSERT_EQ(run.Count(), 2u);
        EXPECT_EQ(run[0].CurrentState(), 17);  // SysBoard DIMM 1: no object
        EXPECT_EQ(run[1].CurrentState(), state) << status;
    }
}

TEST(DimmBuilder, ObjectsThatDoNotPassAreSkippedAndTheSearchWraps) {
    for (const FakeProperties& object :
         {Dimm(1, 2, 9, 0), Dimm(1, 2, 9, 2), Dimm(2, 2, 9), Dimm(1, 1, 9),
          FakeProperties{{"Present", 1}, {"CartID", 1}, {"Status", 9}}}) {
        const auto run = Dimms(2, 2, {object});
        ASSERT_EQ(run.Count(), 4u);
        EXPECT_EQ(run[1].CurrentState(), 17);  // CART 1: DIMM 2
    }
    // SysBoard DIMM 1 starts at index (0 x 1 + 1) mod 2 = 1 and so finds the second object.
    EXPECT_EQ(Dimms(1, 1, {Dimm(0, 1, 9), Dimm(0, 1, 1)})[0].CurrentState(), 8);
    // CART 2: DIMM 2 starts at (1 x 2 + 2) mod 3 = 1 and wraps to 0; CART 1: DIMM 1 starts at 1.
    const auto wrapped = Dimms(2, 2, {Dimm(2, 2, 9), Dimm(1, 1, 2), Dimm(1, 1, 5)});
    EXPECT_EQ(wrapped[0].CurrentState(), 6);
    EXPECT_EQ(wrapped[3].CurrentState(), 0);
}

}  // namespace
}  // namespace norv
