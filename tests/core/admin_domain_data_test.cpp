#include "system/admin_domain_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norv {
namespace {

TEST(AdminDomainData, HoldsTheFixedTextsOfTheAddressingRoot) {
    const AdminDomainData record = MakeAdminDomainData();
    EXPECT_EQ(record.name, "Management Access Point (MAP) Addressing Root");
    EXPECT_EQ(record.elementName, "Management Access Point (MAP) Addressing Root");
    EXPECT_EQ(record.caption, "MAP Addressing Root");
    // One blank between "SMA" and the name.
    EXPECT_EQ(record.description,
              "DMTF WBEM/CIM SMA Management Access Point (MAP) Addressing Root");
    EXPECT_EQ(record.nameFormat, "AS");
    EXPECT_EQ(record.roles,
              std::vector<std::string>{"Management Access Point (MAP) Addressing Root"});
    EXPECT_EQ(record.presenceMask, AdminDomainData::kNameFormatBit | AdminDomainData::kRolesBit);
}

TEST(AdminDomainData, SettersReplaceTheValueAndSetTheirBit) {
    AdminDomainData record;
    EXPECT_EQ(record.presenceMask, 0u);
    record.SetNameFormat("A");
    EXPECT_EQ(record.presenceMask, 0x01u);
    record.SetRoles({"r1", "r2"});
    record.SetRoles({"r3"});
    EXPECT_EQ(record.presenceMask, 0x03u);
    EXPECT_EQ(record.roles, std::vector<std::string>{"r3"});
}

struct KeyCase {
    const char* wantedClass;
    const char* wantedName;
    bool matches;
};

class AdminDomainKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(AdminDomainKeys, MatchExactly) {
    EXPECT_EQ(MatchesAdminDomainKeys(MakeAdminDomainData(), GetParam().wantedClass,
                                     GetParam().wantedName),
              GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdminDomainKeys,
    ::testing::Values(
        KeyCase{"AdminDomain", "Management Access Point (MAP) Addressing Root", true},
        KeyCase{"admindomain", "Management Access Point (MAP) Addressing Root", false},
        KeyCase{"AdminDomain", "Management Access Point (MAP) addressing root", false},
        KeyCase{"AdminDomain", "MAP Addressing Root", false},
        KeyCase{"", "Management Access Point (MAP) Addressing Root", false},
        KeyCase{"AdminDomain", "", false},
        KeyCase{"ComputerSystem", "Management Access Point (MAP) Addressing Root", false}));

}  // namespace
}  // namespace norv
