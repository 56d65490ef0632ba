// The timed directives of a description as a watch applies them: each step at its second and
// not before, the log's appended events after the newest, drops from the oldest (the wrapped
// ones first), a reading whose TempOverThreshold follows it, the described platform served
// unchanged until then. The faults of timed directives are
// tests/data/norvwmi/description_faults.txt's.
#include "platform/timed_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "eventlog/management_log.h"
#include "platform/platform_loading.h"
#include "repository/instance_values.h"
#include "support/log_area.h"

namespace norvwmi {
namespace {

constexpr std::string_view kWmi = "root\\wmi";

std::string Event(const char* directive, int sequence, const char* extra = "") {
    return std::string("instance of ") + directive + " { Sequence = " + std::to_string(sequence) +
           "; EventClass = 14; EventCode = 1; " + extra + "};\n";
}

// Line 1 pragma, 2-3 the sensor, 4 pragma, 5 the area, 6-7 the described events; the
// timed directives follow from line 8.
std::string Description(const std::string& timed,
                        const char* area = "KronSize = 512; WrapAfter = 1;") {
    return "#pragma namespace(\"root\\\\wmi\")\n"
           "instance of TempSensorInfo { InstanceName = \"T0\"; Active = TRUE; TempNumber = 1;\n"
           "  TempPresent = TRUE; TempCelsius = 41; TempThreshold = 82; TempOverThreshold = FALSE; "
           "};\n"
           "#pragma namespace(\"root\\\\norvwmi\")\n"
           "instance of Norvwmi_LogArea { " +
           std::string(area) + " };\n" + Event("Norvwmi_LogEvent", 1) +
           Event("Norvwmi_LogEvent", 2) + timed;
}

std::variant<Platform, MofError> Load(const std::string& text,
                                      std::optional<std::uint64_t> seed = {}) {
    return LoadPlatform(MofFile{"timed.mof", text}, "HOST", seed);
}

struct Served {
    std::vector<std::uint16_t> entries;  // the log's own numbers, oldest first
    std::uint16_t start = 0;             // the header's start offset
    std::uint64_t celsius = 0;
    bool over = false;
};

Served ServedBy(const ClassSource& source) {
    Served served;
    const InstanceDefinition& log = *source.Instances(kWmi, "KronInfo").at(0);
    const std::vector<std::uint8_t> area = BytesOf(log, "KronData");
    served.start = static_cast<std::uint16_t>(area[norv::kLogAreaStartOffset] |
                                              area[norv::kLogAreaStartOffset + 1] << 8);
    served.entries = testing::EntryNumbers(area);
    const InstanceDefinition& sensor = *source.Instances(kWmi, "TempSensorInfo").at(0);
    served.celsius = UnsignedOf(sensor, "TempCelsius").value();
    const CimValue* over = ValueOf(sensor, "TempOverThreshold");
    served.over = over && std::get<bool>(over->data);
    return served;
}

TEST(TimedDirectives, EachStepAppliesAtItsSecondAndTheLogWrapsFromTheOldest) {
    const auto loaded =
        Load(Description(Event("Norvwmi_LogAppend", 3, "AtSecond = 2; ") +
                         Event("Norvwmi_LogAppend", 4, "AtSecond = 2; ") +
                         "instance of Norvwmi_ReadingChange { AtSecond = 3; InstanceName = \"t0\"; "
                         "TempCelsius = 81; };\n"
                         "instance of Norvwmi_LogDrop { AtSecond = 4; Count = 2; };\n"
                         "instance of Norvwmi_ReadingChange { AtSecond = 5; InstanceName = \"T0\"; "
                         "TempCelsius = 82; };\n"
                         "instance of Norvwmi_LogDrop { AtSecond = 3600; Count = 2; };\n"));
    ASSERT_TRUE(std::holds_alternative<Platform>(loaded))
        << FormatMofError(std::get<MofError>(loaded));
    const Platform& platform = std::get<Platform>(loaded);
    ASSERT_TRUE(platform.timed);
    // Event 1 has wrapped to the area's end: 512 minus its 34 bytes.
    constexpr std::uint16_t kWrappedStart = 512 - 34;
    const struct {
        std::uint32_t second;
        Served wanted;
    } kSteps[] = {
        {0, {{1, 2}, kWrappedStart, 41, false}},
        {1, {{1, 2}, kWrappedStart, 41, false}},
        {2, {{1, 2, 3, 4}, kWrappedStart, 41, false}},
        {3, {{1, 2, 3, 4}, kWrappedStart, 81, false}},
        // The wrapped event 1 goes first, then event 2 from the header on.
        {4, {{3, 4}, norv::kLogAreaHeaderSize, 81, false}},
        {5, {{3, 4}, norv::kLogAreaHeaderSize, 82, true}},
        {3599, {{3, 4}, norv::kLogAreaHeaderSize, 82, true}},
        {3600, {{}, norv::kLogAreaHeaderSize, 82, true}},
    };
    for (const auto& step : kSteps) {
        platform.timed->AdvanceTo(step.second);
        const Served served = ServedBy(platform.served->Classes());
        EXPECT_EQ(served.entries, step.wanted.entries) << "second " << step.second;
        EXPECT_EQ(served.start, step.wanted.start) << "second " << step.second;
        EXPECT_EQ(served.celsius, step.wanted.celsius) << "second " << step.second;
        EXPECT_EQ(served.over, step.wanted.over) << "second " << step.second;
    }
}

TEST(TimedDirectives, UntilTheFirstStepTheDescribedInstancesAreServed) {
    const auto loaded =
        Load(Description("instance of Norvwmi_ReadingChange { AtSecond = 2; InstanceName = \"T0\"; "
                         "TempCelsius = 90; };\n"));
    const Platform& platform = std::get<Platform>(loaded);
    for (const char* className : {"KronInfo", "TempSensorInfo"}) {
        platform.timed->AdvanceTo(1);
        EXPECT_EQ(platform.timed->Instances(kWmi, className),
                  platform.classes->Instances(kWmi, className));
    }
    // Once it moves on, only the changed classes come from the step.
    platform.timed->AdvanceTo(2);
    EXPECT_NE(platform.timed->Instances(kWmi, "TempSensorInfo"),
              platform.classes->Instances(kWmi, "TempSensorInfo"));
    EXPECT_EQ(platform.timed->Instances("root\\norvwmi", "Norvwmi_LogEvent"),
              platform.classes->Instances("root\\norvwmi", "Norvwmi_LogEvent"));
    // A description without timed directives is served as it always was.
    EXPECT_FALSE(std::get<Platform>(Load(Description(""))).timed);
}

TEST(TimedDirectives, TimedLogDirectivesAloneMakeAnEmptyLogToChange) {
    const auto loaded = Load("#pragma namespace(\"root\\\\norvwmi\")\n" +
                             Event("Norvwmi_LogAppend", 9, "AtSecond = 1; "));
    const Platform& platform = std::get<Platform>(loaded);
    const std::vector<std::uint8_t> area =
        BytesOf(*platform.classes->Instances(kWmi, "KronInfo").at(0), "KronData");
    EXPECT_EQ(area.size(), norv::kLogAreaHeaderSize);
    platform.timed->AdvanceTo(1);
    EXPECT_EQ(BytesOf(*platform.timed->Instances(kWmi, "KronInfo").at(0), "KronData").size(),
              norv::kLogAreaHeaderSize + 34);
}

}  // namespace
}  // namespace norvwmi
