// The timed directives of a description as a watch applies them: each step at its second and
// not before, the log's appended events after the newest, drops from the oldest (the wrapped
// ones first), a reading whose TempOverThreshold follows it, the described platform served
// unchanged until then. The faults of timed directives are
// tests/data/norvwmi/description_faults.txt's.
#include "simulated_driver/timed_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "eventlog/management_log.h"
#include "repository/instance_values.h"
#include "simulated_driver/platform_loading.h"
#include "support/case_file.h"
#include "support/log_area.h"

namespace norvwmi {
namespace {

std::variant<Platform, MofError> Load(const std::string& text) {
    return LoadPlatform(MofFile{"timed.mof", text}, "HOST");
}

// Until the first step, the described instances themselves are served; from then on the
// health driver's classes come from the step and the host's own directives stay as described.
std::string Described(const Platform& platform) {
    std::string answer;
    for (const auto& [nameSpace, className] :
         {std::pair{kTimedNamespace, "KronInfo"}, std::pair{kTimedNamespace, "TempSensorInfo"},
          std::pair{std::string_view("root\\norvwmi"), "Norvwmi_LogEvent"}})
        if (platform.timed->Instances(nameSpace, className) ==
            platform.classes->Instances(nameSpace, className))
            answer += std::string(answer.empty() ? "; as described:" : "") + " " + className;
    return answer;
}

// The seconds and what is served then are tests/data/norvwmi/timed_steps.txt.
TEST(TimedDirectives, EachStepAppliesAtItsSecondAndNotBefore) {
    const auto loaded = Load(norv::test::ReadCaseFile("timed_steps.mof"));
    ASSERT_TRUE(std::holds_alternative<Platform>(loaded))
        << FormatMofError(std::get<MofError>(loaded));
    const Platform& platform = std::get<Platform>(loaded);
    ASSERT_TRUE(platform.timed);
    norv::test::ExpectCases("timed_steps.txt", [&](const std::string& second) {
        platform.timed->AdvanceTo(static_cast<std::uint32_t>(std::stoul(second)));
        const ClassSource& served = platform.served->Classes();
        const std::vector<std::uint8_t> area =
            BytesOf(*served.Instances(kTimedNamespace, "KronInfo").at(0), "KronData");
        std::string answer = "entries";
        for (std::uint16_t number : testing::EntryNumbers(area))
            answer += " " + std::to_string(number);
        const InstanceDefinition& sensor =
            *served.Instances(kTimedNamespace, "TempSensorInfo").at(0);
        const CimValue* over = ValueOf(sensor, "TempOverThreshold");
        const auto offset = [&](std::size_t at) {
            return std::to_string(area[at] | area[at + 1] << 8);
        };
        return answer + ", end " + offset(norv::kLogAreaEndOffset) + ", start " +
               offset(norv::kLogAreaStartOffset) + ", " +
               std::to_string(*UnsignedOf(sensor, "TempCelsius")) + " degrees C" +
               (over && std::get<bool>(over->data) ? ", over" : "") + Described(platform);
    });
    // A description without timed directives is served as it always was; timed log
    // directives alone make an empty log to change.
    EXPECT_FALSE(std::get<Platform>(Load("#pragma namespace(\"root\\\\wmi\")\n")).timed);
    const auto logOnly = Load(
        "#pragma namespace(\"root\\\\norvwmi\")\ninstance of Norvwmi_LogAppend { Sequence = 9; "
        "EventClass = 14; EventCode = 1; AtSecond = 1; };\n");
    const Platform& logged = std::get<Platform>(logOnly);
    const auto areaSize = [](const auto& source) {
        return BytesOf(*source.Instances(kTimedNamespace, "KronInfo").at(0), "KronData").size();
    };
    EXPECT_EQ(areaSize(*logged.classes), norv::kLogAreaHeaderSize);
    logged.timed->AdvanceTo(1);
    EXPECT_EQ(areaSize(*logged.timed), norv::kLogAreaHeaderSize + 34);
}

}  // namespace
}  // namespace norvwmi
