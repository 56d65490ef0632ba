// The builders' runs on served objects as one reviewed file of cases,
// tests/data/core/builder_runs.txt (its head says how a case reads).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "golden_text.h"
#include "inventory/environmental_builders.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;
using testing::FakeProperties;

struct NamedBuilder {
    testing::Builder build;
    std::string_view wql;
};

const std::map<std::string, NamedBuilder, std::less<>> kBuilders = {
    {"temperature", {BuildTemperatureSensors, kTemperatureQuery}},
    {"fan", {BuildFanSensors, kFanQuery}},
    {"fangroup", {BuildFanGroupSensors, kFanGroupQuery}},
    {"powerred", {BuildPowerRedundancySensors, kPowerRedundancyQuery}},
    {"supply", {BuildPowerSupplySensors, kPowerSupplyQuery}},
    {"asr", {BuildAsrSensor, kAsrQuery}},
    {"uid", {BuildUidLightSensors, kUidLightQuery}},
    {"firmware", {BuildFirmwareSensors, kAsrQuery}},
    {"memory", {BuildMemorySubsystemSensors, kMemorySubsystemQuery}},
    {"boards", {BuildMemoryBoardSensors, kMemoryBoardQuery}},
    {"dimms", {BuildDimmSensors, kDimmQuery}},
};

// "Name=value ..." with booleans, 32-bit integers and "texts"; a later name wins.
void ReadProperties(std::istringstream& in, FakeProperties& object,
                    const std::map<std::string, std::string>& definitions) {
    for (std::string word; in >> word;) {
        if (word.starts_with("@")) {
            std::istringstream defined(definitions.at(word));
            ReadProperties(defined, object, definitions);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals), value = word.substr(equals + 1);
        if (value == "true" || value == "false") {
            object[name] = value == "true";
        } else if (value.starts_with("\"")) {
            object[name] = value.substr(1, value.size() - 2);
        } else {
            object[name] = static_cast<std::int32_t>(std::stol(value, nullptr, 0));
        }
    }
}

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

// "BUILDER [from N] | objects ; objects... [| QUERY: objects ...]": the builder runs from
// counter N (10 unless said) on a source that serves the objects for its query, or for
// the query of the builder named before ':'. The answer: ok or failed, the counter after,
// and each record's identity (with a temperature's readings).
std::string RunBuilder(const std::string& input, const std::map<std::string, std::string>& definitions) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = input.find(" | ", start);
        parts.push_back(input.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar != std::string::npos) bar += 2;
    }
    std::istringstream head(parts[0]);
    std::string name, from;
    int counter = 10;
    head >> name;
    const bool queries = name == "queries";
    if (queries) head >> name;
    head >> from >> counter;
    const NamedBuilder& builder = kBuilders.at(name);
    FakeHealthDataSource source;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string objects = parts[i];
        std::string_view wql = builder.wql;
        const std::size_t colon = objects.find(": ");
        if (colon != std::string::npos && !objects.starts_with("@") &&
            objects.find('=') > colon) {
            wql = kBuilders.at(objects.substr(0, colon)).wql;
            objects = objects.substr(colon + 2);
        }
        std::vector<FakeProperties> served;
        std::istringstream list(objects);
        for (std::string object; std::getline(list, object, ';');) {
            std::istringstream in(object);
            served.emplace_back();
            if (object.find_first_not_of(" {}") != std::string::npos)
                ReadProperties(in, served.back(), definitions);
        }
        source.Serve(wql, served);
    }
    const auto run = testing::Build(builder.build, source, static_cast<std::uint8_t>(counter));
    std::string text;
    for (const testing::SentQuery& query : queries ? source.SentQueries() : std::vector<testing::SentQuery>{})
        text += (text.empty() ? "" : " ; ") + query.nameSpace + ": " + query.wql;
    if (queries) return text;
    text = (run.ok ? "ok counter " : "failed counter ") + std::to_string(run.counter);
    for (std::size_t i = 0; i < run.Count(); ++i) {
        char fields[24];
        std::snprintf(fields, sizeof fields, " fields %X", unsigned{run[i].FieldMask()});
        text += (i == 0 ? ": " : " / ") + testing::Identity(run[i]) + fields;
        if (run[i].Kind() == SensorKind::Temperature) text += Readings(run[i]);
    }
    return text;
}

TEST(BuilderRuns, AsReviewed) {
    const auto definitions = test::Definitions("builder_runs.txt");
    test::ExpectCases("builder_runs.txt",
                      [&](const std::string& input) { return RunBuilder(input, definitions); });
}

}  // namespace
}  // namespace norv
