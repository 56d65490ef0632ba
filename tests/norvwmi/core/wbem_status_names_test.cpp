// Status names for messages: the table is complete where it matters and a code without a
// name still reads as a number.
#include "program/wbem_status_names.h"

#include <gtest/gtest.h>

#include <set>

namespace norvwmi {
namespace {

TEST(WbemStatusNames, KnownCodesReadByNameAndNumber) {
    EXPECT_EQ(DescribeStatus(0x80041010u), "WBEM_E_INVALID_CLASS (0x80041010)");
    EXPECT_EQ(DescribeStatus(0x80041002u), "WBEM_E_NOT_FOUND (0x80041002)");
    EXPECT_EQ(DescribeStatus(0x0u), "WBEM_S_NO_ERROR (0x00000000)");
    EXPECT_EQ(DescribeStatus(0x40004u), "WBEM_S_TIMEDOUT (0x00040004)");
    EXPECT_EQ(DescribeStatus(0x80040111u), "CLASS_E_CLASSNOTAVAILABLE (0x80040111)");
    EXPECT_EQ(NameOfStatus(0x8004108Au), "WBEM_E_PROVIDER_DISABLED");  // the last WBEM_E_
    EXPECT_EQ(NameOfStatus(0x80041001u), "WBEM_E_FAILED");             // the first
}

TEST(WbemStatusNames, UnknownCodesReadAsNumbers) {
    EXPECT_EQ(NameOfStatus(0x8004105Eu), "");  // a gap in WMI's numbering
    EXPECT_EQ(DescribeStatus(0xDEADBEEFu), "0xDEADBEEF");
    EXPECT_EQ(StatusHex(0x1u), "0x00000001");
    EXPECT_EQ(StatusHex(0xFFFFFFFFu), "0xFFFFFFFF");
}

TEST(WbemStatusNames, EveryNameIsUnique) {
    std::set<std::string_view> names;
    for (const StatusName& entry : StatusNames()) {
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        EXPECT_EQ(NameOfStatus(entry.code), entry.name);
    }
    EXPECT_GT(StatusNames().size(), 130u);
}

}  // namespace
}  // namespace norvwmi
