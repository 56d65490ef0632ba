// The host's object model as WMI shows it: CIM type numbers, system properties, Put's
// ranges, projections, relative paths both ways, WQL SELECT, lookups and queries with WMI's
// statuses, and the MOF text of an object.
#include <gtest/gtest.h>

#include "repository/mof_text.h"
#include "repository/object_path.h"
#include "repository/query_evaluation.h"
#include "repository/wql_select.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

CimValue Text(const char* text) {
    return CimValue{std::string(text)};
}
CimValue Unsigned(std::uint64_t n) {
    return CimValue{n};
}

// The namespaces of tests/data/norvwmi/object_model.mof.
class ObjectModel : public ::testing::Test {
protected:
    CimObject Fan() const {
        return LookupObject(*served, "root\\wmi", R"(Fan.deviceID="Fan \"1\"",SystemName="HOST")")
            .objects.at(0);
    }

    std::shared_ptr<const ClassSource> source = testing::TestMofSource("object_model.mof");
    std::unique_ptr<ServedNamespaces> served = std::make_unique<ServedNamespaces>(source, "HOST");
};

TEST_F(ObjectModel, SystemPropertiesOfInstancesAndClasses) {
    // The values of system properties are answers of object_requests.txt.
    const CimObject fan = Fan();
    EXPECT_EQ(*fan.SystemValue("__class"), Text("Fan"));
    EXPECT_FALSE(fan.SystemValue("Speed"));
    const CimObject fanClass = LookupObject(*served, "root\\wmi", "Fan").objects.at(0);
    CimObject spawned = fanClass.SpawnInstance();
    EXPECT_EQ(spawned.ValueAt(*spawned.Find("Status")), Unsigned(2));
    EXPECT_FALSE(spawned.IsLocalAt(*spawned.Find("Status")));
    EXPECT_TRUE(spawned.SystemValue("__RELPATH")->IsNull());  // keys not set yet
    ASSERT_TRUE(spawned.Put(*spawned.Find("SystemName"), Text("S")));
    ASSERT_TRUE(spawned.Put(*spawned.Find("DeviceID"), Text("D")));
    EXPECT_TRUE(spawned.IsLocalAt(*spawned.Find("SystemName")));
    EXPECT_EQ(*spawned.SystemValue("__RELPATH"), Text(R"(Fan.deviceID="D",SystemName="S")"));
    EXPECT_TRUE(spawned.SystemValue("__PATH")->IsNull());  // never located
}

// A class a class provider defines: derived from a stored class, then redefined.
TEST_F(ObjectModel, DerivedClassInheritsDefaultsAndRedefiningKeepsThem) {
    CimObject fanClass = LookupObject(*served, "root\\wmi", "Fan").objects.at(0);
    ASSERT_TRUE(fanClass.Put(*fanClass.Find("Speed"), Unsigned(900)));
    CimObject derived = fanClass.SpawnDerivedClass();
    EXPECT_EQ(derived.GetGenus(), Genus::Class);
    EXPECT_TRUE(derived.Source().nameSpace.empty());
    EXPECT_EQ(*derived.SystemValue("__DERIVATION"), (CimValue{CimArray{Text("Fan"), Text("Device")}}));
    ClassDefinition definition = derived.Definition();
    definition.name = "QuietFan";
    PropertyDefinition noise;
    noise.name = "Noise";
    noise.type = CimType::UInt8;
    definition.properties.push_back(noise);
    derived.Redefine(std::move(definition));
    EXPECT_EQ(derived.ValueAt(*derived.Find("Speed")), Unsigned(900));  // kept by name
    EXPECT_FALSE(derived.IsLocalAt(*derived.Find("Status")));
    EXPECT_EQ(derived.OriginAt(*derived.Find("Noise")), "QuietFan");
    EXPECT_EQ(ObjectText(derived), "class QuietFan : Fan\n{\n\tuint8 Noise;\n};\n");
}

TEST_F(ObjectModel, PutKeepsRangesAndRefusedPutsChangeNothing) {
    CimObject fan = Fan();
    const std::size_t speed = *fan.Find("Speed");
    EXPECT_FALSE(fan.Put(speed, CimValue{std::int64_t{-1}}));
    EXPECT_FALSE(fan.Put(speed, Unsigned(4294967296ULL)));
    EXPECT_FALSE(fan.Put(speed, Text("5")));
    EXPECT_EQ(fan.ValueAt(speed), Unsigned(4200));
    EXPECT_TRUE(fan.Put(speed, Unsigned(4294967295ULL)));
    const std::size_t readings = *fan.Find("Readings");
    EXPECT_TRUE(fan.Put(readings, CimValue{CimArray{Unsigned(127), CimValue{std::int64_t{-128}}}}));
    EXPECT_EQ(fan.ValueAt(readings),
              (CimValue{CimArray{CimValue{std::int64_t{127}}, CimValue{std::int64_t{-128}}}}));
    EXPECT_FALSE(fan.Put(readings, CimValue{CimArray{Unsigned(128)}}));
    EXPECT_FALSE(fan.Put(readings, Unsigned(1)));  // a scalar for an array
    EXPECT_TRUE(fan.Put(speed, CimValue{}));
    EXPECT_TRUE(fan.ValueAt(speed).IsNull());
}

TEST_F(ObjectModel, ProjectionKeepsSelectedPropertiesAndKeysOnlyForPaths) {
    const CimObject fan = Fan();
    const CimObject speedOnly = fan.Projected({"speed"}, false);
    ASSERT_EQ(speedOnly.PropertyCount(), 1u);
    EXPECT_EQ(speedOnly.PropertyAt(0).name, "Speed");
    EXPECT_EQ(*speedOnly.SystemValue("__PROPERTY_COUNT"), CimValue{std::int64_t{1}});
    EXPECT_TRUE(speedOnly.SystemValue("__PATH")->IsNull());
    const CimObject withPath = fan.Projected({"Speed", "__PATH"}, false);
    EXPECT_EQ(withPath.PropertyCount(), 3u);  // the keys come with the path
    EXPECT_EQ(*withPath.SystemValue("__PATH"), fan.SystemValue("__PATH"));
    EXPECT_EQ(*fan.Projected({"Speed"}, true).SystemValue("__RELPATH"),
              fan.SystemValue("__RELPATH"));
}

constexpr std::string_view kStatusNames[] = {"Ok",           "InvalidQuery",   "Unsupported",
                                             "InvalidClass", "InvalidPath",    "InvalidNamespace",
                                             "NotFound",     "InvalidInstance"};

std::string Answer(const RequestResult& result) {
    std::string answer(kStatusNames[static_cast<int>(result.status)]);
    if (result.status != RequestStatus::Ok) return answer + ": " + result.detail;
    for (const CimObject& object : result.objects) answer += " " + object.Definition().name;
    return answer;
}

// The requests are tests/data/norvwmi/object_requests.txt.
TEST_F(ObjectModel, LookupsQueriesNamespacesAndPathsAsWmiAnswersThem) {
    norv::test::ExpectCases("object_requests.txt", [&](const std::string& input) -> std::string {
        const std::size_t space = input.find(' ');
        const std::string verb = input.substr(0, space);
        const std::string text = input.substr(space + 1);
        if (verb == "get") return Answer(LookupObject(*served, "root\\wmi", text));
        if (verb == "select" || verb == "direct") {
            QueryOptions options;
            options.directRead = verb == "direct";
            const RequestResult result = RunWqlSelect(*served, "root\\wmi", text, options);
            return Answer(result) + (result.objects.empty() ? "" : " of " + result.className);
        }
        if (verb == "resolve") return served->ResolveNamespace(text).value_or("none");
        if (verb == "system") {
            const CimObject object = LookupObject(*served, "root\\wmi", text).objects.at(0);
            std::string answer;
            for (const SystemPropertyInfo& property : kSystemProperties)
                answer += (answer.empty() ? "" : " ") + std::string(property.name) + "=" +
                          MofLiteral(*object.SystemValue(property.name));
            return answer;
        }
        if (verb == "text") {  // line ends and tabs as \n and \t
            std::string answer;
            for (char c : ObjectText(LookupObject(*served, "root\\wmi", text).objects.at(0)))
                answer += c == '\n' ? "\\n" : c == '\t' ? "\\t" : std::string(1, c);
            return answer;
        }
        if (verb == "type") {
            const auto type = CimTypeFromName(text);
            return type ? std::to_string(static_cast<int>(*type)) + " " +
                              std::string(CimTypeName(*type))
                        : "none";
        }
        if (verb == "parse") {
            const auto parsed = ParseWqlSelect(text);
            if (const auto* error = std::get_if<WqlError>(&parsed))
                return (error->kind == WqlError::Kind::Syntax ? "syntax at " : "unsupported at ") +
                       std::to_string(error->offset);
            const WqlSelect& select = std::get<WqlSelect>(parsed);
            std::string answer = select.className + ":";
            for (const std::string& property : select.properties) answer += " " + property;
            return select.allProperties ? answer + " *" : answer;
        }
        const auto path = ParseObjectPath(text);
        if (!path) return "invalid";
        return "namespace '" + path->NamespaceText() + "' " +
               FormatRelativePath(path->className, path->keys, path->singleton);
    });
}

}  // namespace
}  // namespace norvwmi
