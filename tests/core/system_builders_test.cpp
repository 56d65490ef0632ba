#include "inventory/system_builders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_record.h"

namespace norv {
namespace {

using testing::EntryWithOemNumbers;
using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;
using testing::FakeProperties;
using testing::Socket;

// The query texts, written out independently of the builders' constants.
constexpr const char* kWmi = "root\\wmi";
constexpr const char* kCimV2 = "root\\CIMv2";
constexpr const char* kProcessorWql = "SELECT * FROM Win32_Processor";
constexpr const char* kAsrWql = "SELECT ASRIsEnabled, ASRTimeOut FROM ASRInfo";
constexpr const char* kUidWql = "SELECT UIDLightState FROM UIDLightInfo";
constexpr const char* kResMemWql = "SELECT * FROM ResMemInfo";
constexpr const char* kBoardWql =
    "SELECT CartID, NumModules, CartStatus, Removable, CartError, CartPIRN FROM MemoryBoardInfo";
constexpr const char* kDimmWql = "SELECT * FROM MemoryDIMMInfo";

// ---- queries

using Builder = std::function<bool(SensorInventory&, HealthDataSource&, std::uint8_t&)>;

TEST(SystemBuilders, EachSendsItsExactQueriesInOrder) {
    struct Case {
        const char* name;
        Builder build;
        std::vector<std::string> wql;
    };
    const std::vector<Case> cases = {
        {"asr", BuildAsrSensor, {kAsrWql}},
        {"uid light", BuildUidLightSensors, {kUidWql}},
        {"firmware", BuildFirmwareSensors, {}},
        {"memory subsystem", BuildMemorySubsystemSensors, {kResMemWql}},
        {"memory boards", BuildMemoryBoardSensors, {kResMemWql, kBoardWql}},
        {"dimms", BuildDimmSensors, {kResMemWql, kDimmWql}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {{{"Present", true}, {"NumberCartridges", 1}}});
        SensorInventory inventory;
        std::uint8_t counter = 10;
        c.build(inventory, source, counter);
        ASSERT_EQ(source.SentQueries().size(), c.wql.size());
        for (std::size_t i = 0; i < c.wql.size(); ++i) {
            EXPECT_EQ(source.SentQueries()[i].nameSpace, kWmi);
            EXPECT_EQ(source.SentQueries()[i].wql, c.wql[i]);
        }
    }
}

// ---- processors

FakeProperties Processor(const char* socketDesignation) {
    return {{"DeviceID", std::string("CPU")},
            {"SocketDesignation", std::string(socketDesignation)}};
}

ProcessorInfo CompleteInfo(std::vector<ProcessorEntry> entries) {
    ProcessorInfo info;
    info.status = ProcessorInfoStatus::Complete;
    info.entries = std::move(entries);
    return info;
}

TEST(ProcessorBuilder, TwoProcessorsAreNumberedFromTheCounterAndNamedFromZero) {
    FakeHealthDataSource source;
    source.Serve(kCimV2, kProcessorWql, {Processor("Proc 1"), Processor("Proc 2")});
    FakeProcessorInfoSource processors(
        CompleteInfo({EntryWithOemNumbers(0, 1), EntryWithOemNumbers(0, 2)}));
    SensorInventory inventory;
    std::uint8_t counter = 1;

    ASSERT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));

    EXPECT_EQ(counter, 1);  // the processor block is not counted
    ASSERT_EQ(inventory.Count(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const SensorRecord& r = inventory.At(i);
        EXPECT_EQ(r.Present(), 1);
        EXPECT_EQ(r.SensorNumber(), 1 + i);
        EXPECT_EQ(r.Name(), "CPU " + std::to_string(i));
        EXPECT_EQ(r.Kind(), SensorKind::Cpu);
        EXPECT_EQ(r.KeyNumber1(), 0);
        EXPECT_EQ(r.KeyNumber2(), 1 + i);
        EXPECT_EQ(r.OwnerId(), 0);
        EXPECT_TRUE(r.HasField(kFieldOwnerId));
        EXPECT_EQ(r.OwnerLun(), 0);
        EXPECT_EQ(r.SensorType(), 0x07u);
        EXPECT_EQ(r.EntityId(), 0x03u);
        EXPECT_EQ(r.EntityInstance(), 1 + i);  // from "Proc n"
        EXPECT_EQ(r.EventReadingType(), 0x6Fu);
        EXPECT_EQ(r.StateMask(), 0x7FF);
        EXPECT_EQ(r.CurrentState(), 7);
    }
}

TEST(ProcessorBuilder, EntityInstanceIsTheNumberAfterProcOrZero) {
    const std::vector<std::pair<const char*, std::uint8_t>> cases = {
        {"Proc 3", 3}, {"SLOT 2 Proc 4", 4}, {"Proc3", 0}, {"CPU 1", 0}, {"", 0}};
    for (const auto& [designation, instance] : cases) {
        SCOPED_TRACE(designation);
        FakeHealthDataSource source;
        source.Serve(kCimV2, kProcessorWql, {Processor(designation)});
        FakeProcessorInfoSource processors;
        SensorInventory inventory;
        std::uint8_t counter = 1;
        BuildProcessorSensors(inventory, source, processors, counter);
        ASSERT_EQ(inventory.Count(), 1u);
        EXPECT_EQ(inventory.At(0).EntityInstance(), instance);
    }
}

TEST(ProcessorBuilder, ProcessorObjectsAreQueriedOnceAndOutliveClear) {
    FakeHealthDataSource source;
    source.Serve(kCimV2, kProcessorWql, {Processor("Proc 1"), Processor("Proc 2")});
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    for (int build = 0; build < 3; ++build) {
        SCOPED_TRACE(build);
        inventory.Clear();
        std::uint8_t counter = 1;
        ASSERT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
        EXPECT_EQ(inventory.Count(), 2u);
        EXPECT_EQ(inventory.At(1).EntityInstance(), 2);
    }
    EXPECT_EQ(source.TimesSent(kCimV2, kProcessorWql), 1u);
    EXPECT_EQ(processors.reads, 3u);  // the socket data is read on every build
}

TEST(ProcessorBuilder, QueryThatReturnedNothingIsTriedAgain) {
    FakeHealthDataSource source;
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    std::uint8_t counter = 1;

    EXPECT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
    EXPECT_EQ(inventory.Count(), 0u);
    EXPECT_FALSE(inventory.ProcessorsQueried());

    source.Serve(kCimV2, kProcessorWql, {Processor("Proc 1")});
    inventory.Clear();
    EXPECT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
    EXPECT_EQ(inventory.Count(), 1u);
    EXPECT_TRUE(inventory.ProcessorsQueried());
    EXPECT_EQ(source.TimesSent(kCimV2, kProcessorWql), 2u);
}

// ---- recovery timer and identification light

TEST(AsrBuilder, OneRecordFromTheFirstObjectCounterByObjectCount) {
    struct Case {
        std::vector<FakeProperties> objects;
        std::size_t records;
        std::uint8_t state;
        std::uint8_t counterAfter;
    };
    const std::vector<Case> cases = {
        {{{{"ASRIsEnabled", true}}}, 1, 18, 51},
        {{{{"ASRIsEnabled", false}}}, 1, 17, 51},
        {{{{"ASRTimeOut", 10}}}, 1, 17, 51},  // enabled flag missing
        {{{{"ASRIsEnabled", false}}, {{"ASRIsEnabled", true}}}, 1, 17, 52},
        {{}, 0, 0, 50},
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        SCOPED_TRACE(n);
        const Case& c = cases[n];
        FakeHealthDataSource source;
        source.Serve(kAsrWql, c.objects);
        SensorInventory inventory;
        std::uint8_t counter = 50;
        EXPECT_TRUE(BuildAsrSensor(inventory, source, counter));
        EXPECT_EQ(counter, c.counterAfter);
        ASSERT_EQ(inventory.Count(), c.records);
        if (c.records == 0) continue;
        const SensorRecord& r = inventory.At(0);
        EXPECT_EQ(r.Name(), "ASR");
        EXPECT_EQ(r.Present(), 1);
        EXPECT_EQ(r.SensorNumber(), 50);
        EXPECT_EQ(r.OwnerId(), 0);
        EXPECT_EQ(r.SensorType(), 0x23u);
        EXPECT_EQ(r.EntityId(), 0u);
        EXPECT_TRUE(r.HasField(kFieldEntityId));
        EXPECT_EQ(r.EventReadingType(), 0x6Fu);
        EXPECT_EQ(r.StateMask(), 0x10F);
        EXPECT_EQ(r.CurrentState(), c.state);
    }
}

TEST(UidLightBuilder, LightStatesMapToUsageStates) {
    const std::vector<std::pair<std::int32_t, std::uint8_t>> cases = {
        {1, 1}, {2, 0}, {4, 2}, {0, 18}, {3, 18}, {5, 18}, {0x102, 0}};  // low byte counts
    for (const auto& [lightState, state] : cases) {
        SCOPED_TRACE(lightState);
        FakeHealthDataSource source;
        source.Serve(kUidWql, {{{"UIDLightState", lightState}}});
        SensorInventory inventory;
        std::uint8_t counter = 51;
        EXPECT_TRUE(BuildUidLightSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 1u);
        EXPECT_EQ(inventory.At(0).CurrentState(), state);
    }
}

TEST(UidLightBuilder, OneSensorPerLightNumberedFromTheCounter) {
    FakeHealthDataSource source;
    source.Serve(kUidWql, {{{"UIDLightState", 1}}, {{"UIDLightState", 2}}});
    SensorInventory inventory;
    std::uint8_t counter = 255;
    EXPECT_TRUE(BuildUidLightSensors(inventory, source, counter));
    EXPECT_EQ(counter, 1);
    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_EQ(inventory.At(0).SensorNumber(), 255);
    EXPECT_EQ(inventory.At(1).SensorNumber(), 0);  // wraps
    const SensorRecord& r = inventory.At(1);
    EXPECT_EQ(r.Name(), "UID Light signal");
    EXPECT_EQ(r.Present(), 1);
    EXPECT_EQ(r.SensorType(), 0xC0u);
    EXPECT_EQ(r.EventReadingType(), 0x02u);
    EXPECT_EQ(r.StateMask(), 0x07);
    EXPECT_EQ(r.EntityId(), 0u);
    EXPECT_EQ(r.OwnerId(), 0);
}

// ---- firmware and operating-system sensors

TEST(FirmwareBuilder, SevenFixedRecordsNumberedOneToFive) {
    struct Row {
        const char* name;
        SensorKind kind;
        std::uint8_t ownerId;
        std::uint8_t sensorNumber;
        std::uint32_t sensorType;
        std::uint32_t entityId;
        std::uint8_t present;
        std::uint16_t stateMask;
    };
    const std::vector<Row> rows = {
        {"POST Error", SensorKind::PostError, 0x01, 1, 0x0F, 0x22, 1, 0x007},
        {"NMI", SensorKind::Nmi, 0x01, 2, 0x13, 0, 1, 0x3FF},
        {"Slot Notify", SensorKind::SlotNotify, 0x01, 3, 0x21, 0, 1, 0x3FF},
        {"Network Adapters", SensorKind::NetworkAdapters, 0x01, 4, 0x21, 0, 1, 0x3FF},
        {"RTC", SensorKind::Rtc, 0x01, 5, 0x29, 0, 0, 0x007},
        {"Kron Maintenance", SensorKind::LogMaintenance, 0x00, 0, 0x10, 0, 0, 0x03F},
        {"", SensorKind::OsStop, 0x41, 0, 0x20, 0, 0, 0x03F},
    };
    FakeHealthDataSource source;
    SensorInventory inventory;
    std::uint8_t counter = 1;
    EXPECT_TRUE(BuildFirmwareSensors(inventory, source, counter));
    EXPECT_EQ(counter, 7);
    ASSERT_EQ(inventory.Count(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const SensorRecord& r = inventory.At(i);
        EXPECT_EQ(r.Name(), row.name);
        EXPECT_EQ(r.Kind(), row.kind);
        EXPECT_EQ(r.OwnerId(), row.ownerId);
        EXPECT_EQ(r.SensorNumber(), row.sensorNumber);
        EXPECT_TRUE(r.HasField(kFieldSensorNumber));
        EXPECT_EQ(r.SensorType(), row.sensorType);
        EXPECT_EQ(r.EntityId(), row.entityId);
        EXPECT_EQ(r.Present(), row.present);
        EXPECT_EQ(r.StateMask(), row.stateMask);
        EXPECT_EQ(r.OwnerLun(), 0);
        EXPECT_EQ(r.EntityInstance(), 0);
        EXPECT_EQ(r.EventReadingType(), 0x6Fu);
        EXPECT_EQ(r.CurrentState(), 18);
    }
}

// ---- memory subsystem

FakeProperties MemorySubsystem(std::int32_t status, bool mirrored = false, bool spare = false,
                               bool raid = false) {
    return {{"Present", true},
            {"MemorySubsystemStatus", status},
            {"SupportsMirrored", mirrored},
            {"SupportsOnlineSpare", spare},
            {"SupportsRAID", raid},
            {"NumberCartridges", 1},
            {"NumberModules", 4}};
}

TEST(MemorySubsystemBuilder, StatusSelectsTypeStateAndStates) {
    struct Case {
        std::int32_t status;
        bool mirrored, spare, raid;
        std::uint32_t readingType;
        std::uint8_t state;
        std::uint8_t present;
    };
    const std::vector<Case> cases = {
        {0, false, false, false, 0x0A, 4, 1},    {0, true, false, false, 0x0A, 4, 1},
        {1, false, false, false, 0x0A, 3, 1},    {1, true, true, true, 0x0A, 3, 1},
        {2, false, false, false, 0x0A, 6, 1},    {3, false, false, false, 0x0A, 1, 1},
        {4, false, false, false, 0x0A, 4, 1},    {4, true, false, false, 0x0B, 1, 1},
        {4, false, true, false, 0x0B, 1, 1},     {4, false, false, true, 0x0B, 1, 1},
        {5, false, false, false, 0x0B, 0, 1},    {6, false, false, false, 0x0B, 2, 1},
        {7, true, false, false, 0x0B, 0, 1},     {8, false, false, false, 0x0B, 2, 1},
        {9, false, false, false, 0x0B, 0, 1},    {10, false, false, false, 0x0B, 2, 1},
        {11, true, false, false, 0x0A, 3, 1},    {12, false, false, false, 0x0A, 6, 1},
        {13, false, false, false, 0x0B, 18, 0},  {13, true, false, false, 0x0B, 18, 0},
        {200, false, false, false, 0x0B, 18, 0}, {-1, false, false, false, 0x0B, 18, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "status " << c.status << " mirrored " << c.mirrored
                                          << " spare " << c.spare << " raid " << c.raid);
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {MemorySubsystem(c.status, c.mirrored, c.spare, c.raid)});
        SensorInventory inventory;
        std::uint8_t counter = 10;
        EXPECT_TRUE(BuildMemorySubsystemSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 1u);
        const SensorRecord& r = inventory.At(0);
        EXPECT_EQ(r.EventReadingType(), c.readingType);
        EXPECT_EQ(r.CurrentState(), c.state);
        EXPECT_EQ(r.Present(), c.present);
        EXPECT_EQ(r.StateMask(), c.readingType == 0x0B ? 0xFF : 0x7B);
    }
}

TEST(MemorySubsystemBuilder, RecordIdentity) {
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {MemorySubsystem(1), MemorySubsystem(5)});
    SensorInventory inventory;
    std::uint8_t counter = 10;
    EXPECT_TRUE(BuildMemorySubsystemSensors(inventory, source, counter));
    EXPECT_EQ(counter, 12);
    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_EQ(inventory.At(0).SensorNumber(), 10);
    const SensorRecord& r = inventory.At(1);
    EXPECT_EQ(r.SensorNumber(), 11);
    EXPECT_EQ(r.Name(), "Adv Mem Protect");
    EXPECT_EQ(r.OwnerId(), 0x01);
    EXPECT_EQ(r.SensorType(), 0x0Cu);
    EXPECT_EQ(r.EntityId(), 0x08u);
    EXPECT_EQ(r.EntityInstance(), 0);
}

TEST(MemorySubsystemBuilder, StatusThatCannotBeReadIsNotShown) {
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {{{"Present", true}}});
    SensorInventory inventory;
    std::uint8_t counter = 10;
    EXPECT_TRUE(BuildMemorySubsystemSensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 1u);
    EXPECT_EQ(inventory.At(0).Present(), 0);
    EXPECT_EQ(inventory.At(0).CurrentState(), 18);
}

TEST(MemorySubsystemBuilder, SubsystemNotPresentStopsKeepingEarlierRecords) {
    FakeHealthDataSource source;
    FakeProperties absent = MemorySubsystem(1);
    absent["Present"] = false;
    source.Serve(kResMemWql, {MemorySubsystem(1), absent, MemorySubsystem(5)});
    SensorInventory inventory;
    std::uint8_t counter = 10;
    EXPECT_FALSE(BuildMemorySubsystemSensors(inventory, source, counter));
    EXPECT_EQ(counter, 10);
    EXPECT_EQ(inventory.Count(), 1u);
}

// ---- memory cartridges

FakeProperties Memory(std::int32_t cartridges, std::int32_t modules) {
    return {{"Present", true}, {"NumberCartridges", cartridges}, {"NumberModules", modules}};
}

FakeProperties Board(std::int32_t cartId, std::int32_t status, std::int32_t pirn) {
    return {{"CartID", cartId}, {"CartStatus", status}, {"CartPIRN", pirn}};
}

TEST(MemoryBoardBuilder, SystemBoardAndCartridgeRecords) {
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {Memory(1, 16)});
    source.Serve(kBoardWql, {Board(0, 2, 1)});
    SensorInventory inventory;
    std::uint8_t counter = 11;
    ASSERT_TRUE(BuildMemoryBoardSensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 2u);
    const SensorRecord& board = inventory.At(0);
    EXPECT_EQ(board.Kind(), SensorKind::Cartridge);
    EXPECT_EQ(board.OwnerId(), 0x01);
    EXPECT_EQ(board.SensorType(), 0x0Cu);
    EXPECT_EQ(board.EventReadingType(), 0x6Fu);
    EXPECT_EQ(board.StateMask(), 0xFF);
    EXPECT_EQ(board.EntityId(), 0x07u);
    EXPECT_EQ(board.EntityInstance(), 0);
    EXPECT_EQ(board.CurrentState(), 6);
    const SensorRecord& interlock = inventory.At(1);
    EXPECT_EQ(interlock.Kind(), SensorKind::CartridgePirn);
    EXPECT_EQ(interlock.OwnerId(), 0x01);
    EXPECT_EQ(interlock.SensorType(), 0x21u);
    EXPECT_EQ(interlock.EventReadingType(), 0x6Fu);
    EXPECT_EQ(interlock.StateMask(), 0x3E7);
    EXPECT_EQ(interlock.EntityId(), 0x08u);
    EXPECT_EQ(interlock.EntityInstance(), 0);
    EXPECT_EQ(interlock.CurrentState(), 5);

    FakeHealthDataSource twoCartridges;
    twoCartridges.Serve(kResMemWql, {Memory(2, 4)});
    SensorInventory cartridges;
    ASSERT_TRUE(BuildMemoryBoardSensors(cartridges, twoCartridges, counter));
    ASSERT_EQ(cartridges.Count(), 4u);
    EXPECT_EQ(cartridges.At(1).EntityId(), 0x08u);
    EXPECT_EQ(cartridges.At(1).EntityInstance(), 2);
    EXPECT_EQ(cartridges.At(3).EntityInstance(), 2);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(cartridges.At(i).CurrentState(), 17);  // no board objects at all
    }
}

TEST(MemoryBoardBuilder, CartStatusAndPirnStates) {
    struct Case {
        FakeProperties board;
        std::uint8_t boardState;
        std::uint8_t interlockState;
    };
    const std::vector<Case> cases = {
        {Board(1, 1, 0), 4, 7},
        {Board(1, 2, 1), 6, 5},
        {Board(1, 3, 2), 18, 17},
        {Board(1, 0, 0), 17, 17},                        // status 0: the object is passed over
        {Board(2, 2, 0), 17, 17},                        // another cartridge
        {{{"CartID", 1}, {"CartStatus", 2}}, 6, 17},     // interlock not reported
        {{{"CartStatus", 2}, {"CartPIRN", 0}}, 17, 17},  // no cartridge id
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        SCOPED_TRACE(n);
        const Case& c = cases[n];
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {Memory(2, 4)});
        source.Serve(kBoardWql, {c.board});
        SensorInventory inventory;
        std::uint8_t counter = 11;
        ASSERT_TRUE(BuildMemoryBoardSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 4u);
        EXPECT_EQ(inventory.At(0).CurrentState(), c.boardState);      // MEM CART 1
        EXPECT_EQ(inventory.At(2).CurrentState(), c.interlockState);  // MEM CART 1 PIRN
    }
}

TEST(MemoryBoardBuilder, SearchStartsAtTheCartridgeOrdinalAndWraps) {
    struct Case {
        const char* name;
        std::vector<FakeProperties> boards;
        std::vector<std::uint8_t> states;  // MEM CART 1, 2, then their interlocks
    };
    const std::vector<Case> cases = {
        // Cartridge 2 starts at index 1, so of its two objects it finds the later one.
        {"start", {Board(2, 1, 0), Board(1, 0, 1), Board(2, 2, 1), Board(1, 2, 0)}, {6, 6, 7, 5}},
        // Cartridge 2's only object lies before its start.
        {"wrap", {Board(2, 2, 1), Board(1, 1, 0)}, {4, 6, 7, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {Memory(2, 4)});
        source.Serve(kBoardWql, c.boards);
        SensorInventory inventory;
        std::uint8_t counter = 11;
        ASSERT_TRUE(BuildMemoryBoardSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(inventory.At(i).CurrentState(), c.states[i]) << inventory.At(i).Name();
        }
    }
}

TEST(MemoryBuilders, NoPresentMemorySubsystemAddsNothing) {
    const std::vector<std::pair<const char*, Builder>> builders = {
        {"memory boards", BuildMemoryBoardSensors}, {"dimms", BuildDimmSensors}};
    FakeProperties absent = Memory(2, 4);
    absent["Present"] = false;
    for (const auto& [name, build] : builders) {
        for (const auto& objects : {std::vector<FakeProperties>{}, std::vector{absent}}) {
            SCOPED_TRACE(::testing::Message() << name << ", objects " << objects.size());
            FakeHealthDataSource source;
            source.Serve(kResMemWql, objects);
            source.Serve(kBoardWql, {Board(1, 2, 0)});
            SensorInventory inventory;
            std::uint8_t counter = 20;
            EXPECT_FALSE(build(inventory, source, counter));
            EXPECT_EQ(counter, 20);
            EXPECT_EQ(inventory.Count(), 0u);
        }
    }
}

// ---- DIMMs

FakeProperties Dimm(std::int32_t cartId, std::int32_t moduleId, std::int32_t status,
                    std::int32_t present = 1) {
    return {{"Present", present}, {"CartID", cartId}, {"ModuleID", moduleId}, {"Status", status}};
}

TEST(DimmBuilder, CounterAdvancesByTheEightBitProduct) {
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {Memory(16, 17)});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    EXPECT_TRUE(BuildDimmSensors(inventory, source, counter));
    EXPECT_EQ(counter, 36);  // 20 + 272, modulo 256
    EXPECT_EQ(inventory.Count(), 272u);
    EXPECT_EQ(inventory.At(271).SensorNumber(), 35);
}

TEST(DimmBuilder, RecordOfACartridgeDimm) {
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {Memory(2, 4)});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    ASSERT_TRUE(BuildDimmSensors(inventory, source, counter));
    const SensorRecord& r = inventory.At(6);  // CART 2: DIMM 3
    EXPECT_EQ(r.Kind(), SensorKind::CartridgeDimm);
    EXPECT_EQ(r.KeyNumber1(), 2);
    EXPECT_EQ(r.KeyNumber2(), 3);
    EXPECT_EQ(r.OwnerId(), 0x01);
    EXPECT_EQ(r.SensorType(), 0x0Cu);
    EXPECT_EQ(r.EntityId(), 0x20u);
    EXPECT_EQ(r.EntityInstance(), 3);
    EXPECT_EQ(r.EventReadingType(), 0x6Fu);
    EXPECT_EQ(r.StateMask(), 0x1FF);
    EXPECT_EQ(r.CurrentState(), 17);
}

TEST(DimmBuilder, StatusStates) {
    const std::vector<std::pair<std::int32_t, std::uint8_t>> cases = {
        {0, 17}, {1, 8}, {2, 6}, {3, 6},  {4, 6},   {5, 7},   {6, 7},
        {7, 7},  {8, 7}, {9, 0}, {10, 7}, {11, 17}, {99, 17}, {-1, 17}};
    for (const auto& [status, state] : cases) {
        SCOPED_TRACE(status);
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {Memory(1, 2)});
        source.Serve(kDimmWql, {Dimm(0, 2, status)});
        SensorInventory inventory;
        std::uint8_t counter = 20;
        ASSERT_TRUE(BuildDimmSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 2u);
        EXPECT_EQ(inventory.At(0).CurrentState(), 17);  // SysBoard DIMM 1: no object
        EXPECT_EQ(inventory.At(1).CurrentState(), state);
    }
}

TEST(DimmBuilder, ObjectsThatDoNotPassAreSkipped) {
    const std::vector<std::pair<const char*, FakeProperties>> cases = {
        {"not present", Dimm(1, 2, 9, 0)},
        {"present 2", Dimm(1, 2, 9, 2)},
        {"other cartridge", Dimm(2, 2, 9)},
        {"other module", Dimm(1, 1, 9)},
        {"no module id", {{"Present", 1}, {"CartID", 1}, {"Status", 9}}},
    };
    for (const auto& [name, object] : cases) {
        SCOPED_TRACE(name);
        FakeHealthDataSource source;
        source.Serve(kResMemWql, {Memory(2, 2)});
        source.Serve(kDimmWql, {object});
        SensorInventory inventory;
        std::uint8_t counter = 20;
        ASSERT_TRUE(BuildDimmSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 4u);
        EXPECT_EQ(inventory.At(1).CurrentState(), 17);  // CART 1: DIMM 2
    }
}

TEST(DimmBuilder, SearchStartsAtTheModulePositionAndWraps) {
    // Two objects answer for SysBoard DIMM 1: the search starts at index 1 ((0 x 1 + 1) mod 2)
    // and so finds the second.
    FakeHealthDataSource source;
    source.Serve(kResMemWql, {Memory(1, 1)});
    source.Serve(kDimmWql, {Dimm(0, 1, 9), Dimm(0, 1, 1)});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    ASSERT_TRUE(BuildDimmSensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 1u);
    EXPECT_EQ(inventory.At(0).CurrentState(), 8);

    // CART 2: DIMM 2 starts at (1 x 2 + 2) mod 3 = 1 and wraps to 0; CART 1: DIMM 1 starts at 1.
    FakeHealthDataSource wrapped;
    wrapped.Serve(kResMemWql, {Memory(2, 2)});
    wrapped.Serve(kDimmWql, {Dimm(2, 2, 9), Dimm(1, 1, 2), Dimm(1, 1, 5)});
    SensorInventory cartridges;
    ASSERT_TRUE(BuildDimmSensors(cartridges, wrapped, counter));
    ASSERT_EQ(cartridges.Count(), 4u);
    EXPECT_EQ(cartridges.At(0).CurrentState(), 6);  // Dimm(1, 1, 2), index 1
    EXPECT_EQ(cartridges.At(3).CurrentState(), 0);  // Dimm(2, 2, 9), index 0
}

}  // namespace
}  // namespace norv
