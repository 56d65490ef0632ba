// The changing platform of norvwmi --perturb: one step per temperature query, data that
// depends only on the seed and the version, a growing management log that still parses, one
// fan that fails and recovers, and instances that stay valid while other threads move on.
#include "platform/platform_perturbation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "eventlog/log_entry.h"
#include "eventlog/management_log.h"
#include "platform/platform_loading.h"
#include "program/command_line.h"
#include "repository/name_compare.h"

namespace norvwmi {
namespace {

constexpr std::string_view kWmi = "root\\wmi";

Platform Load(std::optional<std::uint64_t> seed) {
    auto loaded = LoadPlatform(DefaultPlatformDescription(), "HOST", seed);
    return std::get<Platform>(std::move(loaded));
}

const CimValue* ValueOf(const InstanceDefinition& instance, std::string_view property) {
    for (const PropertyValue& value : instance.values)
        if (SameName(value.name, property)) return &value.value;
    return nullptr;
}

std::uint64_t UnsignedOf(const InstanceDefinition& instance, std::string_view property) {
    return std::get<std::uint64_t>(ValueOf(instance, property)->data);
}

bool BooleanOf(const InstanceDefinition& instance, std::string_view property) {
    const CimValue* value = ValueOf(instance, property);
    return value && std::get<bool>(value->data);
}

std::vector<std::uint8_t> AreaOf(const InstanceDefinition& log) {
    std::vector<std::uint8_t> bytes;
    for (const CimValue& b : std::get<CimArray>(ValueOf(log, "KronData")->data))
        bytes.push_back(static_cast<std::uint8_t>(std::get<std::uint64_t>(b.data)));
    return bytes;
}

std::vector<std::uint16_t> EntryNumbers(const std::vector<std::uint8_t>& area) {
    const auto bytes = norv::LogAreaEntryBytes(area, static_cast<std::int32_t>(area.size()));
    std::vector<std::uint16_t> numbers;
    for (auto entry : norv::SplitLogEntries(bytes))
        numbers.push_back(static_cast<std::uint16_t>(entry[norv::kEntryNumberOffset] |
                                                     entry[norv::kEntryNumberOffset + 1] << 8));
    return numbers;
}

TEST(PlatformPerturbation, EachTemperatureQueryIsOneStepAndOtherQueriesNone) {
    const Platform platform = Load(7);
    const PerturbedClassSource& source = *platform.perturbation;
    ASSERT_EQ(&platform.served->Classes(), &source);
    EXPECT_EQ(source.Version(), 0u);
    source.Instances(kWmi, "FanInfo");
    source.Instances(kWmi, "KronInfo");
    source.Instances("root\\CIMv2", "Win32_Processor");
    EXPECT_EQ(source.Version(), 0u);
    for (std::uint64_t step = 1; step <= 5; ++step) {
        source.Instances(kWmi, "tempsensorinfo");  // class names in any case
        EXPECT_EQ(source.Version(), step);
    }
}

TEST(PlatformPerturbation, AQueryServesTheVersionItMadeAndTheCheckerCanRecomputeIt) {
    const Platform platform = Load(11);
    const PerturbedClassSource& source = *platform.perturbation;
    for (int step = 0; step < 20; ++step) {
        std::vector<std::uint32_t> served;
        for (const InstanceDefinition* sensor : source.Instances(kWmi, "TempSensorInfo"))
            if (BooleanOf(*sensor, "TempPresent"))
                served.push_back(static_cast<std::uint32_t>(UnsignedOf(*sensor, "TempCelsius")));
        std::sort(served.begin(), served.end());
        EXPECT_EQ(served, source.PresentTemperatures(source.Version()));
    }
}

TEST(PlatformPerturbation, TemperaturesMoveWithinTheirBandAndFlagTheThreshold) {
    const Platform described = Load(std::nullopt);
    const auto base = described.served->Classes().Instances(kWmi, "TempSensorInfo");
    const Platform platform = Load(3);
    const PerturbedClassSource& source = *platform.perturbation;
    std::set<std::uint64_t> seenFirst;
    for (std::uint64_t v = 1; v <= 40; ++v) {
        const auto version = source.Build(v);
        ASSERT_EQ(version->temperatures.size(), base.size());
        for (std::size_t i = 0; i < base.size(); ++i) {
            const auto was = static_cast<std::int64_t>(UnsignedOf(*base[i], "TempCelsius"));
            const auto now =
                static_cast<std::int64_t>(UnsignedOf(version->temperatures[i], "TempCelsius"));
            EXPECT_GE(now, was - kTemperatureBelow);
            EXPECT_LE(now, was + kTemperatureAbove);
            const auto threshold = UnsignedOf(version->temperatures[i], "TempThreshold");
            EXPECT_EQ(BooleanOf(version->temperatures[i], "TempOverThreshold"),
                      threshold > 0 && static_cast<std::uint64_t>(now) >= threshold);
        }
        seenFirst.insert(UnsignedOf(version->temperatures[0], "TempCelsius"));
    }
    EXPECT_GT(seenFirst.size(), 5u) << "the readings hardly move";
}

TEST(PlatformPerturbation, AVersionDependsOnlyOnTheSeedAndItsNumber) {
    const Platform platforms[] = {Load(42), Load(42), Load(43)};
    const PerturbedClassSource& one = *platforms[0].perturbation;
    const PerturbedClassSource& again = *platforms[1].perturbation;
    const PerturbedClassSource& other = *platforms[2].perturbation;
    bool differs = false;
    for (std::uint64_t v = 0; v <= 12; ++v) {
        EXPECT_EQ(one.PresentTemperatures(v), again.PresentTemperatures(v));
        EXPECT_EQ(AreaOf(one.Build(v)->logs.front()), AreaOf(again.Build(v)->logs.front()));
        differs = differs || one.PresentTemperatures(v) != other.PresentTemperatures(v);
    }
    EXPECT_TRUE(differs);
    // Version 0 is the description as written.
    const Platform described = Load(std::nullopt);
    const auto base = described.served->Classes().Instances(kWmi, "KronInfo");
    EXPECT_EQ(AreaOf(one.Build(0)->logs.front()), AreaOf(*base.front()));
}

TEST(PlatformPerturbation, OneFanFailsAndRecoversInTurns) {
    const Platform platform = Load(5);
    const PerturbedClassSource& source = *platform.perturbation;
    const std::size_t fans = source.Build(0)->fans.size();
    ASSERT_GT(fans, 0u);
    const std::size_t failing = FailingFan(5, fans);
    for (std::uint64_t v = 1; v <= 4 * kFanFailurePeriod; ++v) {
        const auto version = source.Build(v);
        const bool due = (v / kFanFailurePeriod) % 2 == 1;
        for (std::size_t i = 0; i < fans; ++i) {
            const bool failed = BooleanOf(version->fans[i], "FanPhysicallyFailed");
            EXPECT_EQ(failed, due && i == failing) << "version " << v << " fan " << i;
            const auto speed = UnsignedOf(version->fans[i], "FanSpeed");
            if (failed) {
                EXPECT_EQ(speed, kFailedFanSpeed);
            } else {
                EXPECT_TRUE(speed == 1 || speed == 2) << speed;
            }
        }
    }
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

// A query reads the instances it was handed after other threads have moved the platform on:
// they must still be there (AddressSanitizer sees a freed version) and of one version.
TEST(PlatformPerturbation, InstancesHandedOutStayValidWhileOtherThreadsMoveOn) {
    const Platform platform = Load(13);
    const PerturbedClassSource& source = *platform.perturbation;
    const auto held = source.Instances(kWmi, "TempSensorInfo");
    const std::uint64_t heldVersion = source.Version();
    std::vector<std::uint64_t> before;
    for (const InstanceDefinition* sensor : held)
        before.push_back(UnsignedOf(*sensor, "TempCelsius"));
    std::vector<std::thread> others;
    for (int t = 0; t < 4; ++t)
        others.emplace_back([&source] {
            for (int i = 0; i < 25; ++i) {
                source.Instances(kWmi, "TempSensorInfo");
                source.Instances(kWmi, "KronInfo");
            }
        });
    for (std::thread& thread : others) thread.join();
    EXPECT_EQ(source.Version(), heldVersion + 100);
    std::vector<std::uint64_t> after;
    for (const InstanceDefinition* sensor : held)
        after.push_back(UnsignedOf(*sensor, "TempCelsius"));
    EXPECT_EQ(before, after);
}

TEST(PlatformPerturbation, ClassesThatDoNotChangeAreTheDescriptionsOwn) {
    const Platform platform = Load(1);
    const auto served = platform.served->Classes().Instances(kWmi, "PowerSupplyInfo");
    const auto described = platform.classes->Instances(kWmi, "PowerSupplyInfo");
    EXPECT_EQ(served, described);
    auto loaded =
        LoadPlatform(MofFile{"absent.mof",
                             "#pragma namespace(\"root\\\\norvwmi\")\n"
                             "instance of Norvwmi_AbsentClass { Namespace = \"root\\\\wmi\"; "
                             "ClassName = \"TempSensorInfo\"; };"},
                     "HOST", 1);
    if (const auto* error = std::get_if<MofError>(&loaded)) FAIL() << FormatMofError(*error);
    const Platform& absent = std::get<Platform>(loaded);
    EXPECT_TRUE(absent.served->Classes().Instances(kWmi, "TempSensorInfo").empty());
}

TEST(PerturbAndStressCommandLine, ReadTheSeedAndTheStressNumbers) {
    const std::vector<std::string> good{"--perturb", "17", "stress", "7", "12", "15"};
    const auto parsed = ParseCommandLine(good);
    const auto* line = std::get_if<CommandLine>(&parsed);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->perturbSeed, 17u);
    EXPECT_EQ(line->command, Command::Stress);
    EXPECT_EQ(line->operands, (std::vector<std::string>{"7", "12", "15"}));

    const std::vector<std::vector<std::string>> bad{
        {"--perturb", "x1", "classes"}, {"--perturb", "-1", "classes"}, {"stress", "0", "12", "15"},
        {"stress", "65", "12", "15"},   {"stress", "7", "12"},          {"stress", "7", "1s", "15"},
        {"stress", "7", "12", "0"}};
    for (const auto& arguments : bad)
        EXPECT_TRUE(std::holds_alternative<UsageError>(ParseCommandLine(arguments)))
            << arguments[0] << " " << arguments[1];
}

}  // namespace
}  // namespace norvwmi
