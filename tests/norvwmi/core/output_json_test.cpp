// The CIM values' JSON forms that are ours (output_json.h); the shipped classes' documents are
// the golden outputs of tests/norvwmi/program.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "program/output_json.h"
#include "repository/query_evaluation.h"
#include "repository/served_namespaces.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

TEST(OutputJson, SixtyFourBitsAsTextRealsThatAreNotFiniteAsNullAndBadUtf8Replaced) {
    const ServedNamespaces served(testing::TestMofSource("json_values.mof"), "HOST");
    CimObject values = LookupObject(served, "root\\wmi", "Values").objects.at(0).SpawnInstance();
    const auto put = [&](std::string_view name, CimValue value) {
        ASSERT_TRUE(values.Put(*values.Find(name), std::move(value))) << name;
    };
    put("Id", CimValue{std::string("a\"\\\n\xff")});
    put("Small", CimValue{std::uint64_t{4294967295}});
    put("Big", CimValue{std::uint64_t{18446744073709551615u}});
    put("Negative", CimValue{std::int64_t{-9223372036854775807 - 1}});
    put("Series", CimValue{CimArray{CimValue{std::int64_t{1}}, CimValue{std::int64_t{-2}}}});
    put("Ratio", CimValue{std::numeric_limits<double>::quiet_NaN()});
    put("Flag", CimValue{false});
    const CimObject objects[] = {values};
    EXPECT_EQ(InstancesDocument(0x80041002, objects),
              "{\n"
              "  \"status\": \"0x80041002\",\n"
              "  \"instances\": [\n"
              "    {\n"
              "      \"__CLASS\": \"Values\",\n"
              "      \"Big\": \"18446744073709551615\",\n"
              "      \"Flag\": false,\n"
              "      \"Id\": \"a\\\"\\\\\\n\xEF\xBF\xBD\",\n"
              "      \"Negative\": \"-9223372036854775808\",\n"
              "      \"Ratio\": null,\n"
              "      \"Series\": [\n"
              "        \"1\",\n"
              "        \"-2\"\n"
              "      ],\n"
              "      \"Small\": 4294967295\n"
              "    }\n"
              "  ]\n"
              "}\n");
    EXPECT_EQ(InstancesDocument(0, {}), "{\n  \"status\": \"0x00000000\",\n  \"instances\": []\n}\n");
}

}  // namespace
}  // namespace norvwmi
