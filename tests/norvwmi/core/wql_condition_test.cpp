// A query's WHERE as the prefix's WMI and the event subscriptions evaluate it on each object:
// the conditions on the Fan of tests/data/norvwmi/object_model.mof are wql_conditions.txt.
#include <gtest/gtest.h>

#include "repository/query_evaluation.h"
#include "repository/wql_condition.h"
#include "support/case_file.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

class WqlConditionTest : public ::testing::Test {
protected:
    CimObject Instance(const char* path) const {
        return LookupObject(*served, "root\\wmi", path).objects.at(0);
    }

    std::shared_ptr<const ClassSource> source = testing::TestMofSource("object_model.mof");
    std::unique_ptr<ServedNamespaces> served = std::make_unique<ServedNamespaces>(source, "HOST");
};

// Whether each condition holds for the Fan, or where and why a malformed one is refused.
TEST_F(WqlConditionTest, EachConditionHoldsAsWmiEvaluatesItOrIsRefusedAtItsWord) {
    const CimObject fan = Instance(R"(Fan.deviceID="Fan \"1\"",SystemName="HOST")");
    norv::test::ExpectCases("wql_conditions.txt", [&](const std::string& input) -> std::string {
        const auto parsed = ParseWqlCondition(input);
        if (const auto* error = std::get_if<WqlError>(&parsed))
            return std::string(error->kind == WqlError::Kind::Syntax ? "" : "unsupported ") +
                   "at " + std::to_string(error->offset) + ": " + error->reason;
        return ConditionHolds(std::get<WqlCondition>(parsed), fan) ? "holds" : "fails";
    });
    // A signed key, and a negative literal on either side.
    const CimObject pair = Instance(R"(Pair.Left="Ab",Right=-3)");
    const auto negative = ParseWqlCondition("Right = -3 AND -4 < Right AND Left LIKE 'a%'");
    EXPECT_TRUE(ConditionHolds(std::get<WqlCondition>(negative), pair));
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
