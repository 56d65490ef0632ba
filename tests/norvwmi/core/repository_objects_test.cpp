// The host's object model as WMI shows it: CIM type numbers, system properties, Put's
// ranges, projections, relative paths both ways, WQL SELECT, lookups and queries with WMI's
// statuses, and the MOF text of an instance.
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

TEST(CimType, KeywordsRoundTripAndKeepWmiNumbers) {
    struct Row {
        std::string_view keyword;
        std::uint16_t cimtype;  // CIMTYPE_ENUMERATION value
    };
    constexpr Row rows[] = {{"sint8", 16},   {"uint16", 18},  {"uint32", 19}, {"uint64", 21},
                            {"real64", 5},   {"boolean", 11}, {"string", 8},  {"datetime", 101},
                            {"char16", 103}, {"object", 13}};
    for (const Row& row : rows) {
        const auto type = CimTypeFromName(row.keyword);
        ASSERT_TRUE(type.has_value()) << row.keyword;
        EXPECT_EQ(static_cast<std::uint16_t>(*type), row.cimtype) << row.keyword;
        EXPECT_EQ(CimTypeName(*type), row.keyword);
    }
    EXPECT_EQ(CimTypeFromName("UInt16"), CimType::UInt16);
    EXPECT_FALSE(CimTypeFromName("uint128").has_value());
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
    const RequestResult fans = RunWqlSelect(*served, "root\\wmi", "SELECT * FROM Fan", {});
    ASSERT_EQ(fans.objects.size(), 1u);
    const CimObject& fan = fans.objects[0];
    EXPECT_EQ(*fan.SystemValue("__GENUS"), CimValue{std::int64_t{2}});
    EXPECT_EQ(*fan.SystemValue("__class"), Text("Fan"));
    EXPECT_EQ(*fan.SystemValue("__SUPERCLASS"), Text("Device"));
    EXPECT_EQ(*fan.SystemValue("__DYNASTY"), Text("Device"));
    EXPECT_EQ(*fan.SystemValue("__DERIVATION"), (CimValue{CimArray{Text("Device")}}));
    EXPECT_EQ(*fan.SystemValue("__PROPERTY_COUNT"), CimValue{std::int64_t{5}});
    EXPECT_EQ(*fan.SystemValue("__PATH"),
              Text(R"(\\HOST\root\wmi:Fan.deviceID="Fan \"1\"",SystemName="HOST")"));
    EXPECT_FALSE(fan.SystemValue("Speed"));

    const CimObject fanClass = LookupObject(*served, "root\\wmi", "Fan").objects.at(0);
    EXPECT_EQ(*fanClass.SystemValue("__GENUS"), CimValue{std::int64_t{1}});
    EXPECT_EQ(*fanClass.SystemValue("__RELPATH"), Text("Fan"));
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

TEST_F(ObjectModel, LookupByPath) {
    struct Row {
        std::string_view path;
        RequestStatus status;
        std::string_view className;
    };
    const Row rows[] = {
        {"Device", RequestStatus::Ok, "Device"},
        {R"(device.systemname="HOST",DeviceID="d")", RequestStatus::Ok, "Device"},
        {R"(Device.DeviceID="Fan \"1\"",SystemName="HOST")", RequestStatus::Ok, "Fan"},
        {R"(Fan.DeviceID="D",SystemName="HOST")", RequestStatus::NotFound, ""},
        {R"(\\.\ROOT\WMI:Pair.Left="aB",Right=-3)", RequestStatus::Ok, "Pair"},
        {R"(Pair.Left="Ab")", RequestStatus::InvalidPath, ""},
        {R"(Pair.Left="Ab",Right=-3,Extra=1)", RequestStatus::InvalidPath, ""},
        {R"(Pair.Left="Ab",Right=40000)", RequestStatus::InvalidPath, ""},  // out of sint16
        {"NoSuchClass", RequestStatus::NotFound, ""},
        {"NoSuchClass.Key=1", RequestStatus::InvalidClass, ""},
        {"root\\nowhere:Device", RequestStatus::InvalidNamespace, ""},
        {R"(\\elsewhere\root\wmi:Device)", RequestStatus::InvalidNamespace, ""},
        {"Device.", RequestStatus::InvalidPath, ""},
    };
    for (const Row& row : rows) {
        const RequestResult result = LookupObject(*served, "root\\wmi", row.path);
        EXPECT_EQ(result.status, row.status) << row.path;
        if (row.status != RequestStatus::Ok) continue;
        ASSERT_EQ(result.objects.size(), 1u);
        EXPECT_EQ(result.objects[0].Definition().name, row.className) << row.path;
    }
}

TEST_F(ObjectModel, QueriesReturnDerivedInstancesOrWmisStatus) {
    const RequestResult all = RunWqlSelect(*served, "root\\wmi", "select * from device", {});
    ASSERT_EQ(all.status, RequestStatus::Ok) << all.detail;
    EXPECT_EQ(all.className, "Device");
    ASSERT_EQ(all.objects.size(), 2u);
    EXPECT_EQ(all.objects[1].Definition().name, "Fan");
    QueryOptions direct;
    direct.directRead = true;
    EXPECT_EQ(RunWqlSelect(*served, "root\\wmi", "SELECT * FROM Device", direct).objects.size(),
              1u);
    struct Row {
        std::string_view query;
        RequestStatus status;
    };
    const Row rows[] = {
        {"SELECT * FROM NoSuchClass", RequestStatus::InvalidClass},
        {"SELECT Speed FROM Device", RequestStatus::InvalidQuery},  // a subclass's property
        {"SELECT __PATH, Status FROM Device", RequestStatus::Ok},
        {"SELECT * FROM", RequestStatus::InvalidQuery},
        {"SELECT * FROM Device WHERE Status = 1", RequestStatus::Unsupported},
        {"SELECT * FROM Other", RequestStatus::InvalidClass},  // another namespace's class
    };
    for (const Row& row : rows)
        EXPECT_EQ(RunWqlSelect(*served, "root\\wmi", row.query, {}).status, row.status)
            << row.query;
    const ServedNamespaces named(source, "RACK01");
    EXPECT_EQ(named.ResolveNamespace("//./ROOT/WMI"), "root\\wmi");
    EXPECT_EQ(named.ResolveNamespace("\\\\rack01\\root\\wmi"), "root\\wmi");
    EXPECT_EQ(named.ResolveNamespace("\\\\localhost\\root\\cimv2"), "root\\cimv2");
    EXPECT_EQ(named.ResolveNamespace("\\\\other\\root\\wmi"), std::nullopt);
    EXPECT_EQ(named.ResolveNamespace("root"), std::nullopt);
}

TEST(ParseWqlSelect, ReadsTheProvidersQueriesAndNamesWhereOthersFail) {
    const auto parsed = ParseWqlSelect("\tSELECT KronData,KronSize  FROM  KronInfo\r\n");
    ASSERT_TRUE(std::holds_alternative<WqlSelect>(parsed));
    EXPECT_EQ(std::get<WqlSelect>(parsed).className, "KronInfo");
    EXPECT_FALSE(std::get<WqlSelect>(parsed).allProperties);
    EXPECT_EQ(std::get<WqlSelect>(parsed).properties,
              (std::vector<std::string>{"KronData", "KronSize"}));
    EXPECT_TRUE(std::get<WqlSelect>(ParseWqlSelect("SeLeCt*FrOm X")).allProperties);
    struct Row {
        std::string_view query;
        WqlError::Kind kind;
        std::size_t offset;
    };
    const Row rows[] = {
        {"", WqlError::Kind::Syntax, 0},
        {"SELECT FROM X", WqlError::Kind::Syntax, 7},
        {"SELECT A, FROM X", WqlError::Kind::Syntax, 10},
        {"SELECT * FROM", WqlError::Kind::Syntax, 13},
        {"SELECT * FROM X Y", WqlError::Kind::Syntax, 16},
        {"SELECT *, A FROM X", WqlError::Kind::Syntax, 8},
        {"select * from X where A = 1", WqlError::Kind::Unsupported, 16},
        {"ASSOCIATORS OF {X.A=1}", WqlError::Kind::Unsupported, 0},
    };
    for (const Row& row : rows) {
        const auto failed = ParseWqlSelect(row.query);
        ASSERT_TRUE(std::holds_alternative<WqlError>(failed)) << row.query;
        EXPECT_EQ(std::get<WqlError>(failed).kind, row.kind) << row.query;
        EXPECT_EQ(std::get<WqlError>(failed).offset, row.offset) << row.query;
    }
}

TEST(ObjectPath, ParsesWhatItFormatsAndRefusesMalformedPaths) {
    const std::vector<KeyBinding> keys{{"name", Text("a\"b\\c,y=\"z\"")},
                                       {"Delta", CimValue{std::int64_t{-1}}},
                                       {"id", Unsigned(18446744073709551615ULL)},
                                       {"Enabled", CimValue{true}}};
    const std::string text = FormatRelativePath("Account", keys, false);
    EXPECT_EQ(text,
              R"(Account.Delta=-1,Enabled=TRUE,id=18446744073709551615,name="a\"b\\c,y=\"z\"")");
    EXPECT_EQ(FormatRelativePath("Settings", {}, true), "Settings=@");
    auto path = ParseObjectPath(R"(\\.\root\wmi:)" + text);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->server, ".");
    EXPECT_EQ(path->nameSpace, "root\\wmi");
    ASSERT_EQ(path->keys.size(), 4u);
    EXPECT_EQ(path->keys[0].value, keys[1].value);
    EXPECT_EQ(path->keys[1].value, keys[3].value);
    EXPECT_EQ(path->keys[3].value, keys[0].value);
    path = ParseObjectPath("Single=\"x:y.z\"");
    ASSERT_TRUE(path);
    EXPECT_TRUE(path->keys[0].name.empty());
    EXPECT_TRUE(path->nameSpace.empty());  // the ':' inside the quotes is no namespace
    for (std::string_view bad :
         {"", ".Key=1", "Class.", "Class.Key=", "Class.Key=\"open", "Class.Key=1,", "Class.Key=abc",
          "\\\\.\\root\\wmi", "Class.Key=-18446744073709551615"})
        EXPECT_FALSE(ParseObjectPath(bad)) << bad;
}

TEST_F(ObjectModel, InstanceTextShowsNonNullPropertiesWithMofLiterals) {
    CimObject fan = Fan();
    ASSERT_TRUE(fan.Put(*fan.Find("Readings"), CimValue{CimArray{Unsigned(1), Unsigned(2)}}));
    EXPECT_EQ(ObjectText(fan),
              "instance of Fan\n{\n"
              "\tdeviceID = \"Fan \\\"1\\\"\";\n"
              "\tReadings = {1, 2};\n"
              "\tSpeed = 4200;\n"
              "\tStatus = 2;\n"
              "\tSystemName = \"HOST\";\n"
              "};\n");
    EXPECT_EQ(MofLiteral(CimValue{std::string("tab\there")}), "\"tab\\there\"");
    EXPECT_EQ(MofLiteral(CimValue{-0.25}), "-0.25");
}

}  // namespace
}  // namespace norvwmi
