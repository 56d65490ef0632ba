#include "repository/wql_select.h"

#include <gtest/gtest.h>

namespace norvwmi {
namespace {

TEST(ParseWqlSelect, ReadsTheQueriesTheProviderSends) {
    struct Row {
        std::string_view query;
        std::string_view className;
        std::vector<std::string> properties;  // empty for *
    };
    const Row rows[] = {
        {"SELECT * FROM DriverVersion", "DriverVersion", {}},
        {"select * from Win32_Processor", "Win32_Processor", {}},
        {"SeLeCt*FrOm  KronInfo  ", "KronInfo", {}},
        {"SELECT KronData, KronSize FROM KronInfo", "KronInfo", {"KronData", "KronSize"}},
        {"SELECT Size,SMBiosData FROM MSSmBios_RawSMBiosTables",
         "MSSmBios_RawSMBiosTables",
         {"Size", "SMBiosData"}},
        {"SELECT TempLocale, TempThreshold  FROM TempSensorInfo",
         "TempSensorInfo",
         {"TempLocale", "TempThreshold"}},
        {"\tSELECT __PATH\r\n FROM X", "X", {"__PATH"}},
    };
    for (const Row& row : rows) {
        const auto parsed = ParseWqlSelect(row.query);
        ASSERT_TRUE(std::holds_alternative<WqlSelect>(parsed)) << row.query;
        const WqlSelect& select = std::get<WqlSelect>(parsed);
        EXPECT_EQ(select.className, row.className) << row.query;
        EXPECT_EQ(select.allProperties, row.properties.empty()) << row.query;
        EXPECT_EQ(select.properties, row.properties) << row.query;
    }
}

TEST(ParseWqlSelect, RefusesWhatIsNotASelectAndNamesWhere) {
    struct Row {
        std::string_view query;
        WqlError::Kind kind;
        std::size_t offset;
    };
    const Row rows[] = {
        {"", WqlError::Kind::Syntax, 0},
        {"SELEC * FROM X", WqlError::Kind::Syntax, 0},
        {"SELECT FROM X", WqlError::Kind::Syntax, 7},
        {"SELECT * X", WqlError::Kind::Syntax, 9},
        {"SELECT A, FROM X", WqlError::Kind::Syntax, 10},
        {"SELECT A B FROM X", WqlError::Kind::Syntax, 9},
        {"SELECT * FROM", WqlError::Kind::Syntax, 13},
        {"SELECT * FROM 9X", WqlError::Kind::Syntax, 14},
        {"SELECT * FROM X Y", WqlError::Kind::Syntax, 16},
        {"SELECT * FROM X;", WqlError::Kind::Syntax, 15},
        {"SELECT *, A FROM X", WqlError::Kind::Syntax, 8},
        {"SELECT * FROM X WHERE A = 1", WqlError::Kind::Unsupported, 16},
        {"select * from X where A = 1", WqlError::Kind::Unsupported, 16},
        {"ASSOCIATORS OF {X.A=1}", WqlError::Kind::Unsupported, 0},
    };
    for (const Row& row : rows) {
        const auto parsed = ParseWqlSelect(row.query);
        ASSERT_TRUE(std::holds_alternative<WqlError>(parsed)) << row.query;
        const WqlError& error = std::get<WqlError>(parsed);
        EXPECT_EQ(error.kind, row.kind) << row.query;
        EXPECT_EQ(error.offset, row.offset) << row.query;
        EXPECT_FALSE(error.reason.empty()) << row.query;
    }
}

}  // namespace
}  // namespace norvwmi
