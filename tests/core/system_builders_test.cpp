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
    FakeProcessorInfoSource processors = testing::TwoSockets();
    SensorInventory inventory;
    std::uint8_t counter = 1;
    ASSERT_TRUE(BuildProcessorSensors(inventory, source, processors, counter));
    EXPECT_EQ(counter, 1);  // the processor block is not counted
    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_TRUE(inventory.At(0).HasField(kFieldOwnerId));
    // The entity instance is the number after "Proc" (processor_count.txt holds that rule).
    EXPECT_EQ(testing::Identity(inventory.At(1)),
              "0.2 CPU 1: kind 13 type 07/6F entity 03.4 mask 7FF key 0/2 state 7");
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

// 16 cartridges of 17 modules: 272 records, numbered by an eight-bit counter.
TEST(DimmBuilder, TheCounterWrapsInEightBits) {
    FakeHealthDataSource source;
    source.Serve(kMemorySubsystemQuery,
                 {{{"Present", true}, {"NumberCartridges", 16}, {"NumberModules", 17}}});
    const auto many = Build(BuildDimmSensors, source, 20);
    EXPECT_EQ(many.counter, 36);  // 20 + 272, modulo 256
    EXPECT_EQ(many.inventory.Count(), 272u);
    EXPECT_EQ(many.inventory.At(271).SensorNumber(), 35);
}

}  // namespace
}  // namespace norv
