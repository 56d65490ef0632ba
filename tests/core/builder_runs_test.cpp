// The environmental and memory builders: their runs on served objects as one reviewed file
// of cases, tests/data/core/builder_runs.txt (its head says how a case reads), and the
// redundancy groups.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "inventory/environmental_builders.h"
#include "inventory/redundancy_group.h"
#include "inventory/system_builders.h"
#include "support/case_file.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;

std::string Readings(const SensorRecord& r) {
    char text[160];
    std::snprintf(text, sizeof text,
                  " [reading %d nominal %d normal %d..%d readable %d..%d thresholds %d/%d/%d "
                  "units %u/%d/%u]",
                  r.CurrentReading(), r.NominalReading(), r.NormalMin(), r.NormalMax(),
                  r.MinReadable(), r.MaxReadable(), r.UpperNonCritical(), r.UpperCritical(),
                  r.UpperNonRecoverable(), unsigned{r.BaseUnits()}, int{r.UnitModifier()},
                  unsigned{r.RateUnits()});
    return text;
}

// "BUILDER [from N] [after-cpu] | objects ; objects... [| QUERY: objects ...]": the builder runs
// from counter N (10 unless said) on a source that serves the objects for its query, or for the
// query of the builder named before ':'. The answer: ok or failed, the counter after, "invalid" if
// a run after-cpu left the inventory invalid, and each record's identity (with a temperature's
// readings).
std::string RunBuilder(const std::string& input,
                       const std::map<std::string, std::string>& definitions) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = input.find(" | ", start);
        parts.push_back(input.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar != std::string::npos) bar += 2;
    }
    std::istringstream head(parts[0]);
    std::string name;
    int counter = 10;
    head >> name;
    const bool queries = name == "queries";
    if (queries) head >> name;
    for (std::string word; head >> word;)
        if (word == "from") head >> counter;
    // "after-cpu": the run starts on a valid inventory that holds a CPU record.
    const bool afterCpu = parts[0].find(" after-cpu") != std::string::npos;
    SensorInventory inventory;
    if (afterCpu) {
        SensorRecord earlier;
        earlier.SetName(SensorKind::Cpu, 0, 0, 0);
        inventory.Append(earlier);
        inventory.SetValid(true);
    }
    const testing::NamedBuilder& builder = testing::kNamedBuilders.at(name);
    FakeHealthDataSource source;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string objects = parts[i];
        std::string_view wql = builder.wql;
        const std::size_t colon = objects.find(": ");
        if (colon != std::string::npos && !objects.starts_with("@") && objects.find('=') > colon) {
            wql = testing::kNamedBuilders.at(objects.substr(0, colon)).wql;
            objects = objects.substr(colon + 2);
        }
        source.Serve(wql, testing::ReadObjects(objects, definitions));
    }
    const auto run = testing::Build(builder.build, source, static_cast<std::uint8_t>(counter),
                                    std::move(inventory));
    std::string text;
    for (const testing::SentQuery& query :
         queries ? source.SentQueries() : std::vector<testing::SentQuery>{})
        text += (text.empty() ? "" : " ; ") + query.nameSpace + ": " + query.wql;
    if (queries) return text;
    text = (run.ok ? "ok counter " : "failed counter ") + std::to_string(run.counter) +
           (afterCpu && !run.inventory.Valid() ? " invalid" : "");
    for (std::size_t i = 0; i < run.inventory.Count(); ++i) {
        const SensorRecord& record = run.inventory.At(i);
        char fields[24];
        std::snprintf(fields, sizeof fields, " fields %X", unsigned{record.FieldMask()});
        text += (i == 0 ? ": " : " / ") + testing::Identity(record) + fields;
        if (record.Kind() == SensorKind::Temperature) text += Readings(record);
    }
    return text;
}

TEST(BuilderRuns, AsReviewed) {
    const auto definitions = test::Definitions("builder_runs.txt");
    test::ExpectCases("builder_runs.txt",
                      [&](const std::string& input) { return RunBuilder(input, definitions); });
}

TEST(RedundancyGroup, FirstMinimumsMaskBitsAndSignedComparisons) {
    RedundancyGroupList groups;
    AddMember(groups, 7, 2, 1, true, 15);
    AddMember(groups, 3, 4, 4, false, 16);
    AddMember(groups, 7, 9, 9, false, 0);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].groupId, 7u);
    EXPECT_EQ(groups[0].memberMask, 0x8001);
    EXPECT_EQ(groups[0].memberCount, 2);
    EXPECT_EQ(groups[0].healthyCount, 1);
    EXPECT_EQ(groups[0].minForRedundancy, 2);
    EXPECT_EQ(groups[0].minToRun, 1);
    EXPECT_EQ(groups[1].memberMask, 0);
    RedundancyGroup group;
    group.memberCount = 2;
    group.minForRedundancy = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyDegraded);
    group.minForRedundancy = 1;
    group.minToRun = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyLost);
    EXPECT_EQ(SubsystemRedundancyState({}), kFullyRedundant);
}

}  // namespace
}  // namespace norv
