// The controller, its addressing root and its sensor collection: fixed texts, the firmware
// version text and the case-exact keys.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "inventory/controller_record.h"
#include "support/case_file.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"

namespace norv {
namespace {

const ManagementControllerRecord kController = MakeManagementControllerRecord("32473", "417");

// A lookup's match is read off the key columns (instance_columns_test.cpp); here the
// firmware version text.
TEST(SystemCases, AsReviewed) {
    test::ExpectCases("system_cases.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::string what;
        in >> what;
        DriverVersionNumbers version{};
        const bool read = static_cast<bool>(in >> version.major >> version.minor >> version.build >>
                                            version.bootleg);
        return FirmwareVersionText(read ? std::optional(version) : std::nullopt);
    });
}

// The fixed texts of the three classes are carried by the golden outputs of every platform
// (tests/data/golden); here what comes from the controller's record and the presence bits.
TEST(SystemData, TextsFromTheControllerRecordAndPresenceBits) {
    ManagementControllerRecord other = kController;
    other.name = "Other Controller";
    other.ipmiVersion = "2.0";
    other.manufacturerId = "11";
    other.productId = "22";
    const ComputerSystemData system =
        MakeComputerSystemData(other, DriverVersionNumbers{7, 90, 1234, 5});
    EXPECT_EQ(system.name + "|" + system.elementName + "|" + system.description + "|" +
                  system.otherIdentifyingInfo[0],
              "Other Controller|Other Controller|BMC 0 - IPMI v2.0 - fw v7.90.12.34.00.05|11-22");
    EXPECT_EQ(system.dedicated, std::vector<std::uint16_t>{14});
    EXPECT_EQ(system.presenceMask, 0x1Fu);
    EXPECT_EQ(MakeAdminDomainData().presenceMask,
              AdminDomainData::kNameFormatBit | AdminDomainData::kRolesBit);
    EXPECT_EQ(MakeSensorCollectionData(kController).instanceId, "417:0");
    // A neutral build must never claim a real vendor's enterprise number.
    EXPECT_EQ(TheManagementController().manufacturerId, "32473");
    EXPECT_EQ(TheManagementController().instanceId, "0:0");
}

}  // namespace
}  // namespace norv
