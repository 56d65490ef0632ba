// A query's WHERE as the prefix's WMI and the event subscriptions evaluate it on each object:
// each row a condition on the Fan and the Pair of tests/data/norvwmi/object_model.mof and
// whether it holds, or a malformed condition with where and why it is refused.
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
    // Numbers as the lexer reads them, each its value: a sign, a point first or last, an
    // exponent.
    {"Speed = +4200", true},
    {"Speed > 4.1e3", true},
    {"Speed < .5E4", true},
    {"Speed >= 4200.", true},
    {"-4201<Speed", true},
    {"Speed<>4200", false},  // two-character operators need no blank around them
    {"Speed>=4200", true},
    // A dotted name reads an embedded object; there is none in a Fan.
    {"Speed.Value IS NULL", true},
    {"deviceID.Length = 1", false},
};

struct MalformedCase {
    const char* condition;
    std::size_t offset;  // of the word refused
    const char* reason;
};

constexpr MalformedCase kMalformed[] = {
    {"", 0, "expected a property name"},
    {"Speed", 5, "expected a comparison operator"},
    {"Speed =", 7, "expected a literal"},
    {"Speed = = 1", 8, "expected a literal"},
    {"= 1", 0, "expected a property name"},
    {"Speed = 'open", 8, "unexpected an unterminated string"},
    {"(Speed = 1", 9, "expected )"},  // at the last word
    {"Speed = 1)", 9, "unexpected text after the condition"},
    {"Speed = 1 AND", 13, "expected a property name"},
    {"Speed IS 1", 9, "expected NULL after IS"},
    {"Speed < NULL", 8, "NULL compares only with = and <>"},
    {"Speed LIKE 1", 11, "LIKE needs a string"},
    {"'a' LIKE SystemName", 19, "LIKE needs the property first"},
    {"Speed = 12abc", 10, "unexpected text after the condition"},
    {"Speed # 1", 6, "unexpected #"},
    {"Speed < > 1", 8, "expected a literal"},  // an operator's two characters are one word
    {"Speed = 18446744073709551616", 8, "not a number: 18446744073709551616"},
    {"Speed = -9223372036854775809", 8, "not a number: -9223372036854775809"},
    {"Speed = 1e999", 8, "not a number: 1e999"},
    {"Speed = .", 8, "unexpected ."},
    {"Speed. = 1", 5, "unexpected ."},
    {"Speed = {Fan}", 8, "unexpected {"},
    {"Speed = {Fan", 8, "unexpected {"},
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

TEST_F(WqlConditionTest, MalformedConditionsAreSyntaxErrorsAtTheWordRefused) {
    for (const MalformedCase& row : kMalformed) {
        const auto parsed = ParseWqlCondition(row.condition);
        ASSERT_TRUE(std::holds_alternative<WqlError>(parsed)) << row.condition;
        const WqlError& error = std::get<WqlError>(parsed);
        EXPECT_EQ(error.kind, WqlError::Kind::Syntax) << row.condition;
        EXPECT_EQ(error.offset, row.offset) << row.condition;
        EXPECT_EQ(error.reason, row.reason) << row.condition;
    }
    // The largest integers of either sign are numbers still.
    EXPECT_TRUE(std::holds_alternative<WqlCondition>(
        ParseWqlCondition("Speed < 18446744073709551615 AND Speed > -9223372036854775808")));
}

// A dotted name reads the property of the object another property embeds, as an event's
// condition reads its TargetInstance.
TEST_F(WqlConditionTest, ADottedNameReadsAnEmbeddedObject) {
    const auto holderClass = served->Lineage("root\\cimv2", "Holder");
    ASSERT_TRUE(holderClass);
    CimObject holder = CimObject::MakeClass(*holderClass, ObjectSource{"HOST", "root\\cimv2"})
                           .SpawnInstance();
    const auto condition = [](const char* text) {
        return std::get<WqlCondition>(ParseWqlCondition(text));
    };
    EXPECT_TRUE(ConditionHolds(condition("Inner.Speed IS NULL"), holder));
    const auto inner = holder.Find("Inner");
    ASSERT_TRUE(inner);
    ASSERT_TRUE(holder.Put(*inner, CimValue{CimEmbedded{std::make_shared<CimObject>(
                                       Instance(R"(Fan.deviceID="Fan \"1\"",SystemName="HOST")"))}}));
    EXPECT_TRUE(ConditionHolds(condition("Inner.Speed = 4200 AND inner.systemname = 'host'"), holder));
    EXPECT_FALSE(ConditionHolds(condition("Inner.Speed <> 4200"), holder));
    EXPECT_TRUE(ConditionHolds(condition("Inner.__CLASS = 'Fan'"), holder));
    EXPECT_TRUE(ConditionHolds(condition("Inner.Missing IS NULL"), holder));
    EXPECT_FALSE(ConditionHolds(condition("Inner IS NULL"), holder));
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
