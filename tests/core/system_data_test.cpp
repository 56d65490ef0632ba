// The controller, its addressing root and its sensor collection: fixed texts, the firmware
// version text and the case-exact keys.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "inventory/controller_record.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"

namespace norv {
namespace {

using Texts = std::vector<std::string>;

const ManagementControllerRecord kController = MakeManagementControllerRecord("32473", "417");

TEST(FirmwareVersionText, MajorMinorAndTheRevisionGroups) {
    struct Case {
        std::optional<DriverVersionNumbers> version;
        const char* text;
    };
    const Case cases[] = {
        {DriverVersionNumbers{7, 90, 0, 0}, "7.90"},  // no groups when build and bootleg are 0
        {DriverVersionNumbers{0, 0, 0, 0}, "0.00"},
        {DriverVersionNumbers{2, 5, 0, 0}, "2.05"},  // the minor number padded, never cut
        {DriverVersionNumbers{1, 123, 0, 0}, "1.123"},
        {DriverVersionNumbers{7, 90, 1234, 5}, "7.90.12.34.00.05"},
        {DriverVersionNumbers{7, 90, 0, 1}, "7.90.00.00.00.01"},
        {DriverVersionNumbers{7, 90, 1, 0}, "7.90.00.01.00.00"},
        {DriverVersionNumbers{7, 90, 9999, 9999}, "7.90.99.99.99.99"},
        // Each group from its low 8 bits: 65535 / 100 = 655 gives 143, 25600 / 100 = 256 gives 0.
        {DriverVersionNumbers{65535, 65535, 65535, 25600}, "65535.65535.143.35.00.00"},
        {std::nullopt, "1.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FirmwareVersionText(c.version), c.text);
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

TEST(SystemKeys, MatchExactlyWithRegardToCase) {
    const ComputerSystemData system = MakeComputerSystemData(kController, std::nullopt);
    const AdminDomainData domain = MakeAdminDomainData();
    const char* root = "Management Access Point (MAP) Addressing Root";
    EXPECT_TRUE(MatchesComputerSystemKeys(system, "ComputerSystem", "IPMI Controller 0"));
    for (const auto& [cls, name] :
         std::vector<std::pair<const char*, const char*>>{{"computersystem", "IPMI Controller 0"},
                                                          {"ComputerSystem", "ipmi controller 0"},
                                                          {"ComputerSystem", "IPMI Controller 0 "},
                                                          {"", "IPMI Controller 0"},
                                                          {"ComputerSystem", ""},
                                                          {"AdminDomain", "IPMI Controller 0"}}) {
        EXPECT_FALSE(MatchesComputerSystemKeys(system, cls, name)) << cls << "/" << name;
    }
    EXPECT_TRUE(MatchesAdminDomainKeys(domain, "AdminDomain", root));
    for (const auto& [cls, name] : std::vector<std::pair<const char*, const char*>>{
             {"admindomain", root},
             {"AdminDomain", "Management Access Point (MAP) addressing root"},
             {"AdminDomain", "MAP Addressing Root"},
             {"", root},
             {"AdminDomain", ""},
             {"ComputerSystem", root}}) {
        EXPECT_FALSE(MatchesAdminDomainKeys(domain, cls, name)) << cls << "/" << name;
    }
    const SensorCollectionData collection =
        MakeSensorCollectionData(MakeManagementControllerRecord("32473", "AB12"));
    EXPECT_TRUE(MatchesSensorCollectionKey(collection, "AB12:0"));
    for (const char* key : {"ab12:0", "AB12:0 ", "AB12", ""})
        EXPECT_FALSE(MatchesSensorCollectionKey(collection, key)) << key;
}

}  // namespace
}  // namespace norv
