#include "repository/object_path.h"

#include <gtest/gtest.h>

namespace norvwmi {
namespace {

TEST(ParseObjectPath, ReadsClassInstanceAndNamespaceForms) {
    auto path = ParseObjectPath("Sensor");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->className, "Sensor");
    EXPECT_TRUE(path->IsClass());

    path = ParseObjectPath(R"(\\.\root\wmi:Fan.Index=3,Locale="A \"b\" \\c")");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->server, ".");
    EXPECT_EQ(path->nameSpace, "root\\wmi");
    EXPECT_EQ(path->className, "Fan");
    ASSERT_EQ(path->keys.size(), 2u);
    EXPECT_EQ(path->keys[0].name, "Index");
    EXPECT_EQ(path->keys[0].value, CimValue{std::uint64_t{3}});
    EXPECT_EQ(path->keys[1].value, CimValue{std::string("A \"b\" \\c")});

    path = ParseObjectPath("//SERVER/root/cimv2:Win32_Processor.DeviceID=\"CPU0\"");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->server, "SERVER");
    EXPECT_EQ(path->nameSpace, "root\\cimv2");

    path = ParseObjectPath("root\\wmi:Log.Offset=-7,Flag=true");
    ASSERT_TRUE(path);
    EXPECT_TRUE(path->server.empty());
    EXPECT_EQ(path->nameSpace, "root\\wmi");
    EXPECT_EQ(path->keys[0].value, CimValue{std::int64_t{-7}});
    EXPECT_EQ(path->keys[1].value, CimValue{true});

    path = ParseObjectPath("Single=\"x:y.z\"");
    ASSERT_TRUE(path);
    ASSERT_EQ(path->keys.size(), 1u);
    EXPECT_TRUE(path->keys[0].name.empty());
    EXPECT_TRUE(path->nameSpace.empty());  // the ':' inside the quotes is no namespace

    path = ParseObjectPath("Settings=@");
    ASSERT_TRUE(path);
    EXPECT_TRUE(path->singleton);
    EXPECT_FALSE(path->IsClass());
}

TEST(ParseObjectPath, RefusesMalformedPaths) {
    for (std::string_view text :
         {"", ".Key=1", "Class.", "Class.Key", "Class.Key=", "Class.Key=\"open", "Class.Key=1,",
          "Class.Key=1 ", "Class=@x", "Class.Key=abc", "\\\\server", "\\\\.\\root\\wmi",
          "Class.Key=-18446744073709551615", "Class.Key=\"a\"\"b\""}) {
        EXPECT_FALSE(ParseObjectPath(text)) << text;
    }
}

TEST(FormatRelativePath, OrdersKeysByNameIgnoringCaseAndEscapesText) {
    std::vector<KeyBinding> keys{{"name", CimValue{std::string("a\"b\\c")}},
                                 {"Domain", CimValue{std::string("X")}},
                                 {"id", CimValue{std::uint64_t{42}}},
                                 {"Delta", CimValue{std::int64_t{-1}}},
                                 {"Enabled", CimValue{true}}};
    EXPECT_EQ(FormatRelativePath("Account", keys, false),
              R"(Account.Delta=-1,Domain="X",Enabled=TRUE,id=42,name="a\"b\\c")");
    EXPECT_EQ(FormatRelativePath("Settings", {}, true), "Settings=@");
    EXPECT_EQ(FormatRelativePath("Settings", {}, false), "Settings");
}

TEST(FormatRelativePath, IsReadBackByTheParser) {
    const std::vector<KeyBinding> keys{{"A", CimValue{std::string("x,y=\"z\"")}},
                                       {"B", CimValue{std::uint64_t{18446744073709551615ULL}}}};
    const auto path = ParseObjectPath(FormatRelativePath("C", keys, false));
    ASSERT_TRUE(path);
    ASSERT_EQ(path->keys.size(), 2u);
    EXPECT_EQ(path->keys[0].value, keys[0].value);
    EXPECT_EQ(path->keys[1].value, keys[1].value);
}

}  // namespace
}  // namespace norvwmi
