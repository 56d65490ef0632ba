// A query's WHERE as the prefix's WMI evaluates it on each instance: each row a condition
// on the Fan and the Pair of tests/data/norvwmi/object_model.mof and whether it holds, or
// the malformed conditions WMI refuses.
#include <gtest/gtest.h>

#include "repository/query_evaluation.h"
#include "repository/wql_condition.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

struct ConditionCase {
    const char* condition;
    bool holdsForFan;  // deviceID "Fan \"1\"", SystemName "HOST", Speed 4200, Status 2, no Readings
};

constexpr ConditionCase kFanCases[] = {
    {"Speed = 4200", true},
    {"Speed=4199", false},
    {"Speed > 4199", true},
    {"Speed > 4200", false},
    {"Speed >= 4200", true},
    {"Speed < 4200", false},
    {"Speed <= 4200", true},
    {"Speed <> 4200", false},
    {"Speed != 4201", true},
    {"4201 > Speed", true},  // the literal first: the operator turns round
    {"4200 < Speed", false},
    {"Speed = 4200.0", true},  // a real against an integer
    {"Speed > -1", true},
    {"Speed = '4200'", false},      // a text never equals a number
    {"SystemName = 'host'", true},  // text without regard to case
    {"SystemName = \"HOST \"", false},
    {"SystemName < 'HOSU'", true},
    {"SystemName > 'host'", false},
    {"deviceID = 'Fan \\\"1\\\"'", true},  // a backslash takes the next character
    {"SystemName LIKE 'h%'", true},
    {"SystemName LIKE '%T'", true},
    {"SystemName LIKE 'H_ST'", true},
    {"SystemName LIKE 'H_T'", false},
    {"SystemName LIKE '%X'", false},
    {"SystemName LIKE '[a-i]OST'", true},  // within the range, not one of its ends
    {"SystemName LIKE '[i-z]OST'", false},
    {"SystemName LIKE '[^h]OST'", false},
    {"SystemName LIKE 'HOS'", false},  // the whole text, not a prefix
    {"Readings IS NULL", true},
    {"Readings IS NOT NULL", false},
    {"Speed IS NOT NULL", true},
    {"Readings = NULL", true},  // WMI takes = NULL as IS NULL
    {"Speed <> NULL", true},
    {"Readings <> 1", false},  // a null property matches no comparison
    {"Status = 2 AND Speed = 4200", true},
    {"Status = 2 AND Speed = 1", false},
    {"Status = 1 OR Speed = 4200", true},
    {"Status = 1 OR Speed = 1", false},
    {"NOT Speed = 1", true},
    {"not (Status = 2 and Speed = 4200)", false},
    {"Status = 1 AND Speed = 1 OR Speed = 4200", true},  // AND binds closer than OR
    {"Status = 1 AND (Speed = 1 OR Speed = 4200)", false},
    {"__CLASS = 'fan'", true},  // system properties too
};

constexpr const char* kMalformed[] = {
    "",
    "Speed",
    "Speed =",
    "Speed = = 1",
    "= 1",
    "Speed = 'open",
    "(Speed = 1",
    "Speed = 1)",
    "Speed = 1 AND",
    "Speed IS 1",
    "Speed < NULL",
    "Speed LIKE 1",
    "'a' LIKE SystemName",
    "Speed = 1 Status = 2",
    "Speed = 12abc",
    "Speed # 1",
};

class WqlConditionTest : public ::testing::Test {
protected:
    CimObject Instance(const char* path) const {
        return LookupObject(*served, "root\\wmi", path).objects.at(0);
    }

    std::shared_ptr<const ClassSource> source = testing::TestMofSource("object_model.mof");
    std::unique_ptr<ServedNamespaces> served = std::make_unique<ServedNamespaces>(source, "HOST");
};

TEST_F(WqlConditionTest, EachConditionHoldsAsWmiEvaluatesIt) {
    const CimObject fan = Instance(R"(Fan.deviceID="Fan \"1\"",SystemName="HOST")");
    for (const ConditionCase& row : kFanCases) {
        const auto parsed = ParseWqlCondition(row.condition);
        ASSERT_TRUE(std::holds_alternative<WqlCondition>(parsed)) << row.condition;
        EXPECT_EQ(ConditionHolds(std::get<WqlCondition>(parsed), fan), row.holdsForFan)
            << row.condition;
    }
    // A signed key, and a negative literal on either side.
    const CimObject pair = Instance(R"(Pair.Left="Ab",Right=-3)");
    const auto negative = ParseWqlCondition("Right = -3 AND -4 < Right AND Left LIKE 'a%'");
    EXPECT_TRUE(ConditionHolds(std::get<WqlCondition>(negative), pair));
}

TEST_F(WqlConditionTest, MalformedConditionsAreSyntaxErrors) {
    for (const char* condition : kMalformed) {
        const auto parsed = ParseWqlCondition(condition);
        ASSERT_TRUE(std::holds_alternative<WqlError>(parsed)) << condition;
        EXPECT_EQ(std::get<WqlError>(parsed).kind, WqlError::Kind::Syntax) << condition;
    }
    EXPECT_EQ(std::get<WqlError>(ParseWqlCondition("Speed = 1 Status = 2")).offset, 10u);
}

TEST_F(WqlConditionTest, PropertiesAreNamedOnceAndTheQuerySplitsAtWhere) {
    const auto parsed = ParseWqlCondition("Speed = 1 OR (speed = 2 AND NOT Status = 3)");
    EXPECT_EQ(ConditionProperties(std::get<WqlCondition>(parsed)),
              (std::vector<std::string>{"Speed", "Status"}));

    const SplitQuery split = SplitAtWhere("select a from Fan where Speed = 1");
    EXPECT_TRUE(split.hasWhere);
    EXPECT_EQ(split.select, "select a from Fan ");
    EXPECT_EQ(split.condition, " Speed = 1");
    // No WHERE, or another clause: the query stays whole.
    EXPECT_FALSE(SplitAtWhere("SELECT * FROM Fan").hasWhere);
    EXPECT_FALSE(SplitAtWhere("SELECT * FROM Fan GROUP WITHIN 5").hasWhere);
    EXPECT_FALSE(SplitAtWhere("SELECT * FROM Wherever").hasWhere);
}

}  // namespace
}  // namespace norvwmi
