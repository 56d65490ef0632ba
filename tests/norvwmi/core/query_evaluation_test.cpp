#include "repository/query_evaluation.h"

#include <gtest/gtest.h>

#include "support/memory_class_source.h"

namespace norvwmi {
namespace {

using testing::Instance;
using testing::KeyProperty;
using testing::Property;

CimValue Text(const char* text) {
    return CimValue{std::string(text)};
}
CimValue Unsigned(std::uint64_t n) {
    return CimValue{n};
}

class QueryEvaluation : public ::testing::Test {
protected:
    QueryEvaluation() {
        auto source = std::make_shared<testing::MemoryClassSource>();
        ClassDefinition fan;
        fan.name = "FanInfo";
        fan.properties = {KeyProperty("FanIndex", CimType::UInt32),
                          Property("FanLocale", CimType::String),
                          Property("FanPresent", CimType::Boolean)};
        ClassDefinition redundant;
        redundant.name = "RedundantFan";
        redundant.superclass = "FanInfo";
        redundant.properties = {Property("FanRedGroupId", CimType::UInt8)};
        ClassDefinition pair;
        pair.name = "Pair";
        pair.properties = {KeyProperty("Left", CimType::String),
                           KeyProperty("Right", CimType::SInt16)};
        source->AddClass("root\\wmi", fan);
        source->AddClass("root\\wmi", redundant);
        source->AddClass("root\\wmi", pair);
        source->AddInstance("root\\wmi", Instance("FanInfo", {{"FanIndex", Unsigned(1), {}},
                                                              {"FanLocale", Text("CPU"), {}}}));
        source->AddInstance("root\\wmi",
                            Instance("RedundantFan", {{"FanIndex", Unsigned(2), {}},
                                                      {"FanRedGroupId", Unsigned(7), {}}}));
        source->AddInstance("root\\wmi",
                            Instance("Pair", {{"Left", Text("Ab"), {}},
                                              {"Right", CimValue{std::int64_t{-3}}, {}}}));
        source->AddInstance("root\\cimv2", Instance("Other", {}));
        served = std::make_unique<ServedNamespaces>(source, "HOST");
    }

    std::unique_ptr<ServedNamespaces> served;
};

TEST_F(QueryEvaluation, SelectStarReturnsInstancesOfDerivedClassesToo) {
    const RequestResult result = RunWqlSelect(*served, "root\\wmi", "select * from faninfo", {});
    ASSERT_EQ(result.status, RequestStatus::Ok) << result.detail;
    EXPECT_EQ(result.className, "FanInfo");
    ASSERT_EQ(result.objects.size(), 2u);
    EXPECT_EQ(result.objects[0].Definition().name, "FanInfo");
    EXPECT_EQ(result.objects[1].Definition().name, "RedundantFan");
    EXPECT_EQ(*result.objects[1].SystemValue("__PATH"),
              Text(R"(\\HOST\root\wmi:RedundantFan.FanIndex=2)"));

    QueryOptions direct;
    direct.directRead = true;
    EXPECT_EQ(RunWqlSelect(*served, "root\\wmi", "SELECT * FROM FanInfo", direct).objects.size(),
              1u);
}

TEST_F(QueryEvaluation, StatusesOfBadQueries) {
    struct Row {
        std::string_view query;
        RequestStatus status;
    };
    const Row rows[] = {
        {"SELECT * FROM NoSuchClass", RequestStatus::InvalidClass},
        {"SELECT FanSpeed FROM FanInfo", RequestStatus::InvalidQuery},
        {"SELECT FanRedGroupId FROM FanInfo",
         RequestStatus::InvalidQuery},  // a subclass's property
        {"SELECT __PATH, FanIndex FROM FanInfo", RequestStatus::Ok},
        {"SELECT * FROM", RequestStatus::InvalidQuery},
        {"SELECT * FROM FanInfo WHERE FanIndex = 1", RequestStatus::Unsupported},
        {"SELECT * FROM Other", RequestStatus::InvalidClass},  // another namespace's class
    };
    for (const Row& row : rows)
        EXPECT_EQ(RunWqlSelect(*served, "root\\wmi", row.query, {}).status, row.status)
            << row.query;
}

TEST_F(QueryEvaluation, LookupByPath) {
    struct Row {
        std::string_view path;
        RequestStatus status;
        std::string_view className;
    };
    const Row rows[] = {
        {"FanInfo", RequestStatus::Ok, "FanInfo"},
        {"faninfo.fanindex=1", RequestStatus::Ok, "FanInfo"},
        {"FanInfo=2", RequestStatus::Ok, "RedundantFan"},
        {"RedundantFan.FanIndex=1", RequestStatus::NotFound, ""},
        {R"(Pair.Right=-3,Left="aB")", RequestStatus::Ok, "Pair"},  // key text ignores case
        {R"(\\.\ROOT\WMI:Pair.Left="Ab",Right=-3)", RequestStatus::Ok, "Pair"},
        {R"(Pair.Left="Ab")", RequestStatus::InvalidPath, ""},
        {R"(Pair.Left="Ab",Right=-3,Extra=1)", RequestStatus::InvalidPath, ""},
        {R"(Pair="Ab")", RequestStatus::InvalidPath, ""},
        {R"(Pair.Left="Ab",Right=40000)", RequestStatus::InvalidPath, ""},  // out of sint16
        {"FanInfo.FanIndex=3", RequestStatus::NotFound, ""},
        {"NoSuchClass", RequestStatus::NotFound, ""},
        {"NoSuchClass.Key=1", RequestStatus::InvalidClass, ""},
        {"root\\nowhere:FanInfo", RequestStatus::InvalidNamespace, ""},
        {R"(\\elsewhere\root\wmi:FanInfo)", RequestStatus::InvalidNamespace, ""},
        {"FanInfo.", RequestStatus::InvalidPath, ""},
    };
    for (const Row& row : rows) {
        const RequestResult result = LookupObject(*served, "root\\wmi", row.path);
        EXPECT_EQ(result.status, row.status) << row.path;
        if (row.status != RequestStatus::Ok) continue;
        ASSERT_EQ(result.objects.size(), 1u);
        EXPECT_EQ(result.objects[0].Definition().name, row.className) << row.path;
    }
    EXPECT_EQ(LookupObject(*served, "root\\wmi", "FanInfo").objects[0].GetGenus(), Genus::Class);
}

TEST(ServedNamespaces, ResolvesTheNamespaceFormsOfALocator) {
    auto source = std::make_shared<testing::MemoryClassSource>();
    source->AddInstance("root\\wmi", Instance("X", {}));
    source->AddInstance("root\\CIMv2", Instance("Y", {}));
    const ServedNamespaces served(source, "RACK01");
    struct Row {
        std::string_view requested;
        std::optional<std::string> resolved;
    };
    const Row rows[] = {
        {"root\\wmi", "root\\wmi"},
        {"ROOT\\WMI", "root\\wmi"},
        {"\\\\.\\root\\wmi", "root\\wmi"},
        {"//./root/wmi", "root\\wmi"},
        {"root/cimv2", "root\\CIMv2"},
        {"\\\\localhost\\root\\cimv2", "root\\CIMv2"},
        {"\\\\rack01\\root\\wmi", "root\\wmi"},
        {"\\\\other\\root\\wmi", std::nullopt},
        {"root\\default", std::nullopt},
        {"", std::nullopt},
        {"\\\\.", std::nullopt},
        {"root", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(served.ResolveNamespace(row.requested), row.resolved) << row.requested;
}

}  // namespace
}  // namespace norvwmi
