// The controller, its addressing root and its sensor collection: fixed texts, the firmware
// version text and the case-exact keys.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "golden_text.h"
#include "inventory/controller_record.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"

namespace norv {
namespace {

using Texts = std::vector<std::string>;

const ManagementControllerRecord kController = MakeManagementControllerRecord("32473", "417");

// The bracketed fields of a case's input.
std::vector<std::string> Fields(const std::string& input) {
    std::vector<std::string> fields;
    for (std::size_t open = input.find('['); open != std::string::npos; open = input.find('[', open + 1))
        fields.push_back(input.substr(open + 1, input.find(']', open) - open - 1));
    return fields;
}

TEST(SystemCases, AsReviewed) {
    const ComputerSystemData system = MakeComputerSystemData(kController, std::nullopt);
    const AdminDomainData domain = MakeAdminDomainData();
    const SensorCollectionData collection =
        MakeSensorCollectionData(MakeManagementControllerRecord("32473", "AB12"));
    test::ExpectCases("system_cases.txt", [&](const std::string& input) {
        std::istringstream in(input);
        std::string what;
        in >> what;
        const std::vector<std::string> keys = Fields(input);
        if (what == "firmware") {
            DriverVersionNumbers version{};
            const bool read = static_cast<bool>(in >> version.major >> version.minor >> version.build >> version.bootleg);
            return FirmwareVersionText(read ? std::optional(version) : std::nullopt);
        }
        const bool match = what == "system"   ? MatchesComputerSystemKeys(system, keys[0], keys[1])
                           : what == "domain" ? MatchesAdminDomainKeys(domain, keys[0], keys[1])
                                              : MatchesSensorCollectionKey(collection, keys[0]);
        return std::string(match ? "match" : "no match");
    });
}

TEST(ComputerSystemData, EveryPropertyOfTheControllerFromItsRecord) {
    const ComputerSystemData record =
        MakeComputerSystemData(kController, DriverVersionNumbers{7, 90, 1234, 5});
    EXPECT_EQ(record.name, "IPMI Controller 0");
    EXPECT_EQ(record.elementName, "IPMI Controller 0");
    EXPECT_EQ(record.caption, "BMC 0");
    EXPECT_EQ(record.description, "BMC 0 - IPMI v1.5 - fw v7.90.12.34.00.05");
    EXPECT_EQ(record.nameFormat, "Other");
    EXPECT_EQ(record.roles, Texts{"Hardware Management Controller"});
    EXPECT_EQ(record.identifyingDescriptions, Texts{"Manufacturer ID-Product ID"});
    EXPECT_EQ(record.otherIdentifyingInfo, Texts{"32473-0"});
    EXPECT_EQ(record.dedicated, std::vector<std::uint16_t>{14});
    EXPECT_EQ(record.presenceMask, 0x1Fu);

    ManagementControllerRecord other = kController;
    other.name = "Other Controller";
    other.ipmiVersion = "2.0";
    other.manufacturerId = "11";
    other.productId = "22";
    const ComputerSystemData fromOther = MakeComputerSystemData(other, std::nullopt);
    EXPECT_EQ(fromOther.name, "Other Controller");
    EXPECT_EQ(fromOther.elementName, "Other Controller");
    EXPECT_EQ(fromOther.description, "BMC 0 - IPMI v2.0 - fw v1.00");
    EXPECT_EQ(fromOther.otherIdentifyingInfo, Texts{"11-22"});
}

TEST(ManagementControllerRecord, FixedFieldsAndTheNeutralBuildDefaults) {
    EXPECT_EQ(kController.name, "IPMI Controller 0");
    EXPECT_EQ(kController.ipmiVersion, "1.5");
    EXPECT_EQ(kController.manufacturerId, "32473");
    EXPECT_EQ(kController.productId, "0");
    EXPECT_EQ(kController.instanceId, "417:0");
    // A neutral build must never claim a real vendor's enterprise number.
    EXPECT_EQ(TheManagementController().manufacturerId, "32473");
    EXPECT_EQ(TheManagementController().instanceId, "0:0");
}

TEST(AdminDomainAndSensorCollectionData, FixedTexts) {
    const AdminDomainData domain = MakeAdminDomainData();
    const std::string root = "Management Access Point (MAP) Addressing Root";
    EXPECT_EQ(domain.name, root);
    EXPECT_EQ(domain.elementName, root);
    EXPECT_EQ(domain.caption, "MAP Addressing Root");
    EXPECT_EQ(domain.description, "DMTF WBEM/CIM SMA " + root);  // one blank after "SMA"
    EXPECT_EQ(domain.nameFormat, "AS");
    EXPECT_EQ(domain.roles, Texts{root});
    EXPECT_EQ(domain.presenceMask, AdminDomainData::kNameFormatBit | AdminDomainData::kRolesBit);

    const SensorCollectionData collection = MakeSensorCollectionData(kController);
    EXPECT_EQ(collection.instanceId, "417:0");
    EXPECT_EQ(collection.elementName, "Sensor Collection");
    EXPECT_EQ(collection.caption, "Sensors");
    EXPECT_EQ(collection.description, "Sensor Collection");
    EXPECT_EQ(MakeSensorCollectionData(TheManagementController()).instanceId, "0:0");
}

}  // namespace
}  // namespace norv
