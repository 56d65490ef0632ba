// Loading the host's platform: the embedded files are the source tree's, the default and
// driver-absent descriptions serve what they describe, the directives change what the
// namespaces serve, and a malformed description stops with its file, line and reason.
#include "platform/platform_loading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/embedded_mof.h"
#include "repository/query_evaluation.h"
#include "support/shipped_mof.h"

namespace norvwmi {
namespace {

constexpr std::string_view kHealthNamespace = "root\\wmi";

using testing::kHealthClasses;
using testing::ReadSourceFile;

Platform Load(const MofFile& description) {
    auto loaded = LoadPlatform(description, "NORVHOST");
    if (const auto* error = std::get_if<MofError>(&loaded)) {
        ADD_FAILURE() << FormatMofError(*error);
        return {};
    }
    return std::get<Platform>(std::move(loaded));
}

// A description that adds `text` to one temperature sensor.
MofFile Description(std::string text) {
    return MofFile{"scenario.mof",
                   "#pragma namespace(\"root\\\\wmi\")\n"
                   "instance of TempSensorInfo { InstanceName = \"T0\"; TempCelsius = 40; };\n"
                   "instance of TempSensorInfo { InstanceName = \"T1\"; TempCelsius = 41; };\n"
                   "instance of TempSensorInfo { InstanceName = \"T2\"; TempCelsius = 42; };\n"
                   "#pragma namespace(\"root\\\\norvwmi\")\n" +
                       text};
}

TEST(EmbeddedMof, EachFileIsTheSourceTreesFile) {
    const auto files = EmbeddedMofFiles();
    ASSERT_EQ(files.size(), 5u);
    for (const EmbeddedMof& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_FALSE(file.text.empty());
        EXPECT_EQ(file.text, ReadSourceFile(file.name));
        EXPECT_EQ(EmbeddedMofText(file.name), file.text);
    }
    EXPECT_EQ(EmbeddedMofText("platforms/driver-absent.mof"), std::nullopt);
    EXPECT_EQ(DefaultPlatformDescription().text, ReadSourceFile("platforms/default.mof"));
    EXPECT_EQ(DefaultPlatformDescription().name, "platforms/default.mof");
}

TEST(PlatformLoading, DefaultPlatformServesTheSevenClassesAndTheHealthDriver) {
    const Platform platform = Load(DefaultPlatformDescription());
    ASSERT_TRUE(platform.served);
    EXPECT_EQ(
        ServedClassNames(platform),
        (std::vector<std::string>{"Sensor", "NumericSensor", "LogRecord", "RecordLog",
                                  "ComputerSystem", "AdminDomain", "SystemSpecificCollection"}));
    EXPECT_EQ(platform.served->ServerName(), "NORVHOST");

    const RequestResult temperatures = RunWqlSelect(*platform.served, kHealthNamespace,
                                                    "select TempCelsius from TempSensorInfo", {});
    ASSERT_EQ(temperatures.status, RequestStatus::Ok) << temperatures.detail;
    EXPECT_EQ(temperatures.objects.size(),
              platform.classes->Declared().Instances(kHealthNamespace, "TempSensorInfo").size());
    EXPECT_GE(temperatures.objects.size(), 1u);
    for (std::string_view healthClass : kHealthClasses)
        EXPECT_TRUE(platform.served->Lineage(kHealthNamespace, healthClass)) << healthClass;
    EXPECT_EQ(platform.served->StallAfter(kHealthNamespace, "TempSensorInfo"), std::nullopt);
}

TEST(PlatformLoading, DriverAbsentRemovesEveryHealthClassButKeepsTheProcessors) {
    const Platform platform =
        Load(MofFile{"driver-absent.mof", ReadSourceFile("platforms/driver-absent.mof")});
    ASSERT_TRUE(platform.served);
    for (std::string_view healthClass : kHealthClasses) {
        SCOPED_TRACE(healthClass);
        EXPECT_TRUE(platform.classes->IsAbsent("ROOT\\WMI", healthClass));
        EXPECT_FALSE(platform.served->Lineage(kHealthNamespace, healthClass));
        const RequestResult query = RunWqlSelect(*platform.served, kHealthNamespace,
                                                 "SELECT * FROM " + std::string(healthClass), {});
        EXPECT_EQ(query.status, RequestStatus::InvalidClass);
        EXPECT_TRUE(query.objects.empty());
        // Declared all the same: the MOF of the health driver is the host's.
        EXPECT_NE(platform.classes->Declared().FindClass(kHealthNamespace, healthClass), nullptr);
    }
    const RequestResult processors =
        RunWqlSelect(*platform.served, "root\\CIMv2", "SELECT * FROM Win32_Processor", {});
    ASSERT_EQ(processors.status, RequestStatus::Ok);
    EXPECT_EQ(processors.objects.size(), 2u);
    EXPECT_EQ(ServedClassNames(platform).size(), 7u);
}

TEST(PlatformLoading, ClassBehaviourStallsTheNamedClass) {
    const Platform platform = Load(Description(
        "instance of Norvwmi_ClassBehaviour\n"
        "{ Namespace = \"ROOT\\\\WMI\"; ClassName = \"tempsensorinfo\"; StallAfter = 2; };\n"
        "instance of Norvwmi_ClassBehaviour\n"
        "{ Namespace = \"root\\\\CIMv2\"; ClassName = \"Win32_Processor\"; StallAfter = 0; };\n"));
    ASSERT_TRUE(platform.served);
    EXPECT_EQ(platform.served->StallAfter("root\\wmi", "TempSensorInfo"), 2u);
    EXPECT_EQ(platform.served->StallAfter("root\\CIMv2", "Win32_Processor"), 0u);
    EXPECT_EQ(platform.served->StallAfter("root\\wmi", "FanInfo"), std::nullopt);
    // A stall changes how objects are handed out, not which exist.
    EXPECT_EQ(RunWqlSelect(*platform.served, "root\\wmi", "SELECT * FROM TempSensorInfo", {})
                  .objects.size(),
              3u);
}

TEST(PlatformLoading, AbsentClassLeavesTheOtherClassesAlone) {
    const Platform platform =
        Load(Description("instance of Norvwmi_AbsentClass { Namespace = \"root\\\\wmi\"; ClassName "
                         "= \"FanInfo\"; };\n"));
    ASSERT_TRUE(platform.served);
    EXPECT_EQ(RunWqlSelect(*platform.served, "root\\wmi", "SELECT * FROM FanInfo", {}).status,
              RequestStatus::InvalidClass);
    EXPECT_EQ(LookupObject(*platform.served, "root\\wmi", "FanInfo").status,
              RequestStatus::NotFound);
    EXPECT_EQ(RunWqlSelect(*platform.served, "root\\wmi", "SELECT * FROM TempSensorInfo", {})
                  .objects.size(),
              3u);
}

struct MalformedCase {
    const char* name;
    std::string text;  // after the three temperature sensors (lines 1-4) and the pragma (5)
    int line;
    const char* reason;
};

TEST(PlatformLoading, MalformedDescriptionsStopWithFileLineAndReason) {
    const MalformedCase cases[] = {
        {"syntax", "instance of Norvwmi_AbsentClass\n{\n    Namespace = \"root\\\\wmi\"\n};\n", 9,
         "expected ';'"},
        {"class declaration", "\nclass Extra { string Name; };\n", 7,
         "a platform description holds instances only, found the declaration of class Extra"},
        {"directive without class name",
         "instance of Norvwmi_AbsentClass { Namespace = \"root\\\\wmi\"; };\n", 6,
         "Norvwmi_AbsentClass needs Namespace and ClassName"},
        {"unknown class",
         "instance of Norvwmi_AbsentClass { Namespace = \"root\\\\wmi\"; ClassName = \"Fans\"; "
         "};\n",
         6, "Norvwmi_AbsentClass names the class 'Fans', which root\\wmi does not declare"},
        {"class of another namespace",
         "instance of Norvwmi_ClassBehaviour\n"
         "{ Namespace = \"root\\\\wmi\"; ClassName = \"Win32_Processor\"; StallAfter = 1; };\n",
         6,
         "Norvwmi_ClassBehaviour names the class 'Win32_Processor', which root\\wmi does not "
         "declare"},
        {"system class",
         "instance of Norvwmi_AbsentClass\n"
         "{ Namespace = \"root\\\\wmi\"; ClassName = \"__Namespace\"; };\n",
         6, "Norvwmi_AbsentClass names the class '__Namespace', which root\\wmi does not declare"},
        {"stall without a count",
         "instance of Norvwmi_ClassBehaviour\n"
         "{ Namespace = \"root\\\\wmi\"; ClassName = \"FanInfo\"; };\n",
         6, "Norvwmi_ClassBehaviour needs StallAfter"},
        {"instances of an absent class",
         "instance of Norvwmi_AbsentClass\n"
         "{ Namespace = \"root\\\\wmi\"; ClassName = \"TempSensorInfo\"; };\n",
         2, "instance of TempSensorInfo, a class the description makes absent from root\\wmi"},
        {"undeclared property", "instance of Norvwmi_ClassBehaviour { Colour = 3; };\n", 6,
         "Colour"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto loaded = LoadPlatform(Description(c.text), "NORVHOST");
        const auto* error = std::get_if<MofError>(&loaded);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->file, "scenario.mof");
        EXPECT_EQ(error->line, c.line) << error->message;
        EXPECT_NE(error->message.find(c.reason), std::string::npos) << error->message;
    }
}

}  // namespace
}  // namespace norvwmi
