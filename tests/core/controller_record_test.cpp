#include "inventory/controller_record.h"

#include <gtest/gtest.h>

namespace norv {
namespace {

TEST(ManagementControllerRecord, FixedFieldsAndInstanceSuffix) {
    const auto record = MakeManagementControllerRecord("32473", "417");
    EXPECT_EQ(record.name, "IPMI Controller 0");
    EXPECT_EQ(record.ipmiVersion, "1.5");
    EXPECT_EQ(record.manufacturerId, "32473");
    EXPECT_EQ(record.productId, "0");
    EXPECT_EQ(record.instanceId, "417:0");
}

TEST(ManagementControllerRecord, BuildDefaultsAreTheDocumentationEnterpriseNumber) {
    // A neutral build must never claim a real vendor's enterprise number.
    EXPECT_EQ(TheManagementController().manufacturerId, "32473");
    EXPECT_EQ(TheManagementController().instanceId, "0:0");
}

}  // namespace
}  // namespace norv
