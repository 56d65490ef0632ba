#include "system/sensor_collection_data.h"

#include <gtest/gtest.h>

namespace norv {
namespace {

TEST(SensorCollectionData, HoldsTheFixedTextsAndTheControllersInstanceId) {
    const SensorCollectionData record =
        MakeSensorCollectionData(MakeManagementControllerRecord("32473", "417"));
    EXPECT_EQ(record.instanceId, "417:0");
    EXPECT_EQ(record.elementName, "Sensor Collection");
    EXPECT_EQ(record.caption, "Sensors");
    EXPECT_EQ(record.description, "Sensor Collection");
}

TEST(SensorCollectionData, TheModulesCollectionEndsInTheControllerInstance) {
    const SensorCollectionData record = MakeSensorCollectionData(TheManagementController());
    EXPECT_EQ(record.instanceId, TheManagementController().instanceId);
    EXPECT_TRUE(record.instanceId.ends_with(":0"));
}

TEST(SensorCollectionData, TheKeyMatchesTheInstanceIdExactly) {
    const SensorCollectionData record =
        MakeSensorCollectionData(MakeManagementControllerRecord("32473", "AB12"));
    EXPECT_TRUE(MatchesSensorCollectionKey(record, "AB12:0"));
    EXPECT_FALSE(MatchesSensorCollectionKey(record, "ab12:0"));
    EXPECT_FALSE(MatchesSensorCollectionKey(record, "AB12:0 "));
    EXPECT_FALSE(MatchesSensorCollectionKey(record, "AB12"));
    EXPECT_FALSE(MatchesSensorCollectionKey(record, ""));
}

}  // namespace
}  // namespace norv
