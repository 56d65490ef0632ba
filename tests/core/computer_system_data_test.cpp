#include "system/computer_system_data.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace norv {
namespace {

const ManagementControllerRecord kController = MakeManagementControllerRecord("32473", "417");

struct VersionCase {
    DriverVersionNumbers version;
    const char* text;
};

class FirmwareVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FirmwareVersion, FormatsMajorMinorAndTheRevisionGroups) {
    EXPECT_EQ(FirmwareVersionText(GetParam().version), GetParam().text);
}

constexpr VersionCase kVersionCases[] = {
    // No revision groups when build and bootleg are both 0.
    {{7, 90, 0, 0}, "7.90"},
    {{8, 15, 0, 0}, "8.15"},
    {{0, 0, 0, 0}, "0.00"},
    // The minor number is padded to two digits, never cut.
    {{2, 5, 0, 0}, "2.05"},
    {{1, 123, 0, 0}, "1.123"},
    // A non-zero build or bootleg revision adds all four groups.
    {{7, 90, 1234, 5}, "7.90.12.34.00.05"},
    {{7, 90, 0, 1}, "7.90.00.00.00.01"},
    {{7, 90, 1, 0}, "7.90.00.01.00.00"},
    {{7, 90, 9999, 9999}, "7.90.99.99.99.99"},
    // Each group is printed from its low 8 bits: 65535 / 100 = 655 gives 143, and
    // 25600 / 100 = 256 gives 0.
    {{65535, 65535, 65535, 25600}, "65535.65535.143.35.00.00"},
};

INSTANTIATE_TEST_SUITE_P(Groups, FirmwareVersion, ::testing::ValuesIn(kVersionCases));

TEST(FirmwareVersionText, WithoutADriverVersionIsOnePointZeroZero) {
    EXPECT_EQ(FirmwareVersionText(std::nullopt), "1.00");
}

TEST(ComputerSystemData, EachSetterReplacesItsValueAndSetsOnlyItsBit) {
    using Data = ComputerSystemData;
    Data record;
    record.SetRoles({"a", "b"});
    EXPECT_EQ(record.presenceMask, Data::kRolesBit);
    record.SetRoles({"c"});
    EXPECT_EQ(record.roles, std::vector<std::string>{"c"});
    record.SetNameFormat("x");
    record.SetIdentifyingDescriptions({"y"});
    record.SetOtherIdentifyingInfo({"z"});
    record.SetDedicated({1, 2});
    EXPECT_EQ(record.presenceMask, 0x1Fu);
    EXPECT_EQ(record.dedicated, (std::vector<std::uint16_t>{1, 2}));
    EXPECT_EQ(Data::kNameFormatBit, 0x01u);
    EXPECT_EQ(Data::kRolesBit, 0x02u);
    EXPECT_EQ(Data::kIdentifyingDescriptionsBit, 0x04u);
    EXPECT_EQ(Data::kOtherIdentifyingInfoBit, 0x08u);
    EXPECT_EQ(Data::kDedicatedBit, 0x10u);
}

TEST(ComputerSystemData, HoldsEveryPropertyOfTheController) {
    const ComputerSystemData record =
        MakeComputerSystemData(kController, DriverVersionNumbers{7, 90, 0, 0});
    EXPECT_EQ(record.name, "IPMI Controller 0");
    EXPECT_EQ(record.elementName, "IPMI Controller 0");
    EXPECT_EQ(record.caption, "BMC 0");
    EXPECT_EQ(record.description, "BMC 0 - IPMI v1.5 - fw v7.90");
    EXPECT_EQ(record.nameFormat, "Other");
    EXPECT_EQ(record.roles, std::vector<std::string>{"Hardware Management Controller"});
    EXPECT_EQ(record.identifyingDescriptions,
              std::vector<std::string>{"Manufacturer ID-Product ID"});
    EXPECT_EQ(record.otherIdentifyingInfo, std::vector<std::string>{"32473-0"});
    EXPECT_EQ(record.dedicated, std::vector<std::uint16_t>{14});
    EXPECT_EQ(record.presenceMask, 0x1Fu);
}

TEST(ComputerSystemData, TheDescriptionCarriesTheVersionOrItsFallback) {
    EXPECT_EQ(MakeComputerSystemData(kController, DriverVersionNumbers{7, 90, 1234, 5}).description,
              "BMC 0 - IPMI v1.5 - fw v7.90.12.34.00.05");
    EXPECT_EQ(MakeComputerSystemData(kController, std::nullopt).description,
              "BMC 0 - IPMI v1.5 - fw v1.00");
}

TEST(ComputerSystemData, TakesTheIdentityFromTheControllerRecord) {
    ManagementControllerRecord other = kController;
    other.name = "Other Controller";
    other.ipmiVersion = "2.0";
    other.manufacturerId = "11";
    other.productId = "22";
    const ComputerSystemData record = MakeComputerSystemData(other, std::nullopt);
    EXPECT_EQ(record.name, "Other Controller");
    EXPECT_EQ(record.elementName, "Other Controller");
    EXPECT_EQ(record.description, "BMC 0 - IPMI v2.0 - fw v1.00");
    EXPECT_EQ(record.otherIdentifyingInfo, std::vector<std::string>{"11-22"});
}

struct KeyCase {
    const char* wantedClass;
    const char* wantedName;
    bool matches;
};

class ComputerSystemKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ComputerSystemKeys, MatchExactly) {
    const ComputerSystemData record = MakeComputerSystemData(kController, std::nullopt);
    EXPECT_EQ(MatchesComputerSystemKeys(record, GetParam().wantedClass, GetParam().wantedName),
              GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Cases, ComputerSystemKeys,
                         ::testing::Values(KeyCase{"ComputerSystem", "IPMI Controller 0", true},
                                           KeyCase{"computersystem", "IPMI Controller 0", false},
                                           KeyCase{"ComputerSystem", "ipmi controller 0", false},
                                           KeyCase{"ComputerSystem", "IPMI Controller 0 ", false},
                                           KeyCase{"", "IPMI Controller 0", false},
                                           KeyCase{"ComputerSystem", "", false},
                                           KeyCase{"AdminDomain", "IPMI Controller 0", false}));

}  // namespace
}  // namespace norv
