// The changing platform of norvwmi --perturb: one step per temperature query, data that
// depends only on the seed and the version, and a growing management log that still parses.
#include "simulated_driver/platform_perturbation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "eventlog/management_log.h"
#include "repository/instance_values.h"
#include "simulated_driver/platform_loading.h"
#include "support/log_area.h"

namespace norvwmi {
namespace {

using testing::EntryNumbers;

Platform Load(std::optional<std::uint64_t> seed) {
    auto loaded = LoadPlatform(DefaultPlatformDescription(), "HOST", seed);
    return std::get<Platform>(std::move(loaded));
}

std::vector<std::uint8_t> AreaOf(const InstanceDefinition& log) {
    return BytesOf(log, "KronData");
}

// A query serves the version it made, which depends only on the seed and its number: a
// checker recomputes it.
TEST(PlatformPerturbation, AQueryServesTheVersionItMadeWhichTheSeedAndItsNumberDecide) {
    const Platform platforms[] = {Load(42), Load(42), Load(43)};
    const PerturbedClassSource& one = *platforms[0].perturbation;
    const PerturbedClassSource& again = *platforms[1].perturbation;
    bool differs = false;
    for (int step = 0; step < 12; ++step) {
        std::vector<std::uint32_t> served;
        for (const InstanceDefinition* sensor :
             one.Instances(kPerturbedNamespace, "TempSensorInfo"))
            if (const CimValue* present = ValueOf(*sensor, "TempPresent");
                std::get<bool>(present->data))
                served.push_back(*UnsignedOf<std::uint32_t>(*sensor, "TempCelsius"));
        std::sort(served.begin(), served.end());
        const std::uint64_t v = one.Version();
        EXPECT_EQ(served, again.PresentTemperatures(v));
        EXPECT_EQ(AreaOf(one.Build(v)->logs.front()), AreaOf(again.Build(v)->logs.front()));
        differs = differs || served != platforms[2].perturbation->PresentTemperatures(v);
    }
    EXPECT_TRUE(differs);
    // Version 0 is the description as written.
    const Platform described = Load(std::nullopt);
    const auto base = described.served->Classes().Instances(kPerturbedNamespace, "KronInfo");
    EXPECT_EQ(AreaOf(one.Build(0)->logs.front()), AreaOf(*base.front()));
}

TEST(PlatformPerturbation, TheLogGrowsByOneNumberedEntryPerVersionAndStillParses) {
    const Platform platform = Load(9);
    const PerturbedClassSource& source = *platform.perturbation;
    const std::vector<std::uint16_t> described =
        EntryNumbers(AreaOf(source.Build(0)->logs.front()));
    ASSERT_FALSE(described.empty());
    for (std::uint64_t v : {1u, 2u, 17u, 100u}) {
        const auto version = source.Build(v);
        const InstanceDefinition& log = version->logs.front();
        const auto area = AreaOf(log);
        EXPECT_EQ(UnsignedOf(log, "KronSize"), area.size());
        EXPECT_LE(area.size(), norv::kLogAreaCapacity);
        const auto numbers = EntryNumbers(area);
        ASSERT_EQ(numbers.size(), described.size() + v) << "version " << v;
        EXPECT_TRUE(std::equal(described.begin(), described.end(), numbers.begin()));
        for (std::size_t i = described.size(); i < numbers.size(); ++i)
            EXPECT_EQ(numbers[i], numbers[i - 1] + 1);
    }
    // Past the cap the log stays as it is: it never shrinks and never overflows.
    const auto capped = EntryNumbers(AreaOf(source.Build(kMaxAppendedLogEntries)->logs.front()));
    const auto later =
        EntryNumbers(AreaOf(source.Build(kMaxAppendedLogEntries + 50)->logs.front()));
    EXPECT_EQ(capped, later);
}

}  // namespace
}  // namespace norvwmi
