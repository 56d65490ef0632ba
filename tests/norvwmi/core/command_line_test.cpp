// The norvwmi command line: options before the command, each command's operands, and a
// clear sentence for every misuse.
#include "program/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvwmi {
namespace {

ParsedCommandLine Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

CommandLine Accepted(std::vector<std::string> arguments) {
    ParsedCommandLine parsed = Parse(std::move(arguments));
    if (const auto* error = std::get_if<UsageError>(&parsed)) ADD_FAILURE() << error->message;
    const auto* line = std::get_if<CommandLine>(&parsed);
    return line ? *line : CommandLine{};
}

TEST(CommandLine, CommandsTakeTheirOperands) {
    struct Row {
        std::vector<std::string> arguments;
        Command command;
        std::vector<std::string> operands;
    };
    const Row rows[] = {
        {{"classes"}, Command::Classes, {}},
        {{"enum", "Sensor"}, Command::Enumerate, {"Sensor"}},
        {{"get", "Sensor.DeviceID=\"1.0.32\""}, Command::Get, {"Sensor.DeviceID=\"1.0.32\""}},
        {{"exec", "RecordLog=@", "ClearLog"}, Command::Exec, {"RecordLog=@", "ClearLog"}},
        {{"query", "root\\wmi", "SELECT * FROM FanInfo"},
         Command::Query,
         {"root\\wmi", "SELECT * FROM FanInfo"}},
        // After the command every word is an operand, even one that looks like an option.
        {{"enum", "--format"}, Command::Enumerate, {"--format"}},
    };
    for (const Row& row : rows) {
        const CommandLine line = Accepted(row.arguments);
        EXPECT_EQ(line.command, row.command) << row.arguments.front();
        EXPECT_EQ(line.operands, row.operands);
    }
}

TEST(CommandLine, DefaultsAreTheEmbeddedPlatformImpersonationAndMof) {
    const CommandLine line = Accepted({"classes"});
    EXPECT_EQ(line.platformFile, std::nullopt);
    EXPECT_EQ(line.moduleFile, std::nullopt);
    EXPECT_EQ(line.clientLevel, "impersonate");
    EXPECT_EQ(line.format, OutputFormat::Mof);
}

TEST(CommandLine, OptionsTakeTheirValueInEitherForm) {
    const CommandLine line =
        Accepted({"--platform", "a b.mof", "--client-level=IDENTIFY", "--format", "Json",
                  "--module=x\\Norvipmiprv.dll", "enum", "Sensor"});
    EXPECT_EQ(line.platformFile, "a b.mof");
    EXPECT_EQ(line.moduleFile, "x\\Norvipmiprv.dll");
    EXPECT_EQ(line.clientLevel, "identify");
    EXPECT_EQ(line.format, OutputFormat::Json);
    EXPECT_EQ(line.command, Command::Enumerate);
    for (std::string_view level : kClientLevelNames)
        EXPECT_EQ(Accepted({"--client-level", std::string(level), "classes"}).clientLevel, level);
    EXPECT_EQ(Accepted({"--platform=p=q.mof", "classes"}).platformFile, "p=q.mof");
}

TEST(CommandLine, HelpIsAskedForBeforeTheCommand) {
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"--format", "json", "-h", "classes"})));
    EXPECT_NE(kUsage.find("query NAMESPACE WQL"), std::string_view::npos);
    EXPECT_NE(kUsage.find("--client-level anonymous|identify|impersonate|delegate"),
              std::string_view::npos);
}

TEST(CommandLine, MisuseIsNamed) {
    struct Row {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Row rows[] = {
        {{}, "no command given"},
        {{"--format", "json"}, "no command given"},
        {{"list"}, "unknown command 'list'"},
        {{"Classes"}, "unknown command 'Classes'"},
        {{"enum"}, "enum takes CLASS"},
        {{"enum", "A", "B"}, "enum takes CLASS"},
        {{"exec", "RecordLog=@"}, "exec takes OBJECT-PATH METHOD"},
        {{"query", "SELECT * FROM FanInfo"}, "query takes NAMESPACE WQL"},
        {{"classes", "Sensor"}, "classes takes no operands"},
        {{"get", ""}, "get was given an empty operand"},
        {{"--verbose", "classes"}, "unknown option '--verbose'"},
        {{"--format", "xml", "classes"}, "unknown format 'xml' (expected mof, json or table)"},
        {{"--client-level", "admin", "classes"},
         "unknown client level 'admin' (expected anonymous, identify, impersonate, delegate)"},
        {{"--platform"}, "--platform needs a value"},
        {{"--platform=", "classes"}, "--platform needs a value"},
        {{"--format", "json", "--format=mof", "classes"}, "--format is given twice"},
    };
    for (const Row& row : rows) {
        const ParsedCommandLine parsed = Parse(row.arguments);
        const auto* error = std::get_if<UsageError>(&parsed);
        ASSERT_NE(error, nullptr) << row.message;
        EXPECT_EQ(error->message, row.message);
    }
}

}  // namespace
}  // namespace norvwmi
