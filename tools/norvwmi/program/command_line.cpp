#include "program/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "repository/name_compare.h"

namespace norvwmi {

const std::string_view kUsage =
    "usage: norvwmi [--platform FILE] [--mof FILE]... [--module FILE]\n"
    "               [--client-level anonymous|identify|impersonate|delegate]\n"
    "               [--format mof|json|table] [--perturb SEED] COMMAND\n"
    "commands:\n"
    "  enum CLASS                  enumerate the instances of a served class\n"
    "  get OBJECT-PATH             get one object by its path\n"
    "  exec OBJECT-PATH METHOD [NAME=VALUE]...\n"
    "                              run a method with these in-parameters\n"
    "  classes                     list the served classes\n"
    "  summary                     one line: sensors, readings not OK, log records\n"
    "  graph                       the associations as a tree of names\n"
    "  query [NAMESPACE] WQL       run a query through the administrative locator, or an\n"
    "                              association query through the providers (NAMESPACE\n"
    "                              defaults to root\\cimv2\\ipmi, or to the first that\n"
    "                              the --mof files name)\n"
    "  stress THREADS SECONDS WATCHDOG-SECONDS\n"
    "                              call every served class from many threads at once\n"
    "  watch [--seconds N] QUERY   subscribe to an event query for N seconds (default 10)\n"
    "                              and print each event as it arrives\n";

namespace {

// Numbers are decimal: CLI11 alone would also read "0x10", "010" as eight, and "-1".
const CLI::Validator kDecimal(
    [](std::string& text) {
        const bool digits = !text.empty() && text.size() <= 19 &&
                            std::all_of(text.begin(), text.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) return "'" + text + "' is not a decimal number of at most 19 digits";
        text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
        return std::string();
    },
    "DECIMAL");

// One of `names` in any letter case, then written as listed.
template <std::size_t kCount>
CLI::Validator OneOf(const std::array<std::string_view, kCount>& names) {
    return CLI::Validator(
        [names](std::string& text) {
            const auto found = std::find_if(names.begin(), names.end(), [&](std::string_view name) {
                return SameName(name, text);
            });
            if (found != names.end()) {
                text = std::string(*found);
                return std::string();
            }
            std::string listed;
            for (std::string_view name : names)
                listed += (listed.empty() ? "" : ", ") + std::string(name);
            return "'" + text + "' is not one of " + listed;
        },
        "NAME");
}

constexpr std::array<std::string_view, 3> kFormatNames{"mof", "json", "table"};

const CLI::Validator kNotEmpty(
    [](const std::string& text) { return text.empty() ? std::string("is empty") : std::string(); },
    "");

// A method's in-parameter: a name, '=' and the value's text (which may be empty).
const CLI::Validator kNameValue(
    [](const std::string& text) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) return "'" + text + "' is not NAME=VALUE";
        return std::string();
    },
    "");

// One positional operand, which may not be empty.
CLI::Option* Operand(CLI::App& command, const std::string& name, std::string& into) {
    return command.add_option(name, into)->required()->check(kNotEmpty);
}

// A number from `low` to `high`, in decimal.
CLI::Option* Bounded(CLI::Option* option, std::uint32_t low, std::uint32_t high) {
    return option->transform(kDecimal)->check(CLI::Range(low, high));
}

struct Parsed {
    CommandLine line;
    std::string platformFile;
    std::string moduleFile;
    std::string format{kFormatNames[0]};
    std::uint64_t perturbSeed = 0;
    std::string operands[3];
    std::vector<std::string> inParameters;
    std::vector<std::string> queryWords;
    std::uint32_t stressNumbers[3] = {};
};

// The options and commands; `parsed` receives what is given.
void Describe(CLI::App& app, Parsed& parsed) {
    CommandLine& line = parsed.line;
    app.add_option("--platform", parsed.platformFile)->check(kNotEmpty);
    // Given once for each file: `--mof a.mof --mof b.mof`.
    app.add_option("--mof", line.mofFiles)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(kNotEmpty);
    app.add_option("--module", parsed.moduleFile)->check(kNotEmpty);
    app.add_option("--client-level", line.clientLevel)->transform(OneOf(kClientLevelNames));
    app.add_option("--format", parsed.format)->transform(OneOf(kFormatNames));
    app.add_option("--perturb", parsed.perturbSeed)->transform(kDecimal);

    CLI::App* enumerate = app.add_subcommand("enum");
    Operand(*enumerate, "CLASS", parsed.operands[0]);
    CLI::App* get = app.add_subcommand("get");
    Operand(*get, "OBJECT-PATH", parsed.operands[0]);
    CLI::App* exec = app.add_subcommand("exec");
    Operand(*exec, "OBJECT-PATH", parsed.operands[0]);
    Operand(*exec, "METHOD", parsed.operands[1]);
    exec->add_option("NAME=VALUE", parsed.inParameters)->check(kNameValue);
    app.add_subcommand("classes");
    app.add_subcommand("summary");
    app.add_subcommand("graph");
    CLI::App* query = app.add_subcommand("query");
    query->add_option("[NAMESPACE] WQL", parsed.queryWords)
        ->required()
        ->expected(1, 2)
        ->check(kNotEmpty);
    CLI::App* stress = app.add_subcommand("stress");
    constexpr std::array<std::pair<const char*, std::uint32_t>, 3> kStressNumbers{
        {{"THREADS", 64}, {"SECONDS", 3600}, {"WATCHDOG-SECONDS", 3600}}};
    for (std::size_t i = 0; i < kStressNumbers.size(); ++i) {
        Bounded(stress->add_option(kStressNumbers[i].first, parsed.stressNumbers[i])->required(),
                1, kStressNumbers[i].second);
    }
    CLI::App* watch = app.add_subcommand("watch");
    Bounded(watch->add_option("--seconds", line.watchSeconds), 1, 3600);
    Operand(*watch, "QUERY", parsed.operands[0]);
    // A word that is no command is kept, for the message.
    app.allow_extras();
}

struct CommandRow {
    std::string_view name;
    Command command;
    std::size_t operandCount;
};

constexpr std::array kCommands{
    CommandRow{"enum", Command::Enumerate, 1},  CommandRow{"get", Command::Get, 1},
    CommandRow{"exec", Command::Exec, 2},       CommandRow{"classes", Command::Classes, 0},
    CommandRow{"query", Command::Query, 0},     CommandRow{"stress", Command::Stress, 0},
    CommandRow{"summary", Command::Summary, 0}, CommandRow{"watch", Command::Watch, 1},
    CommandRow{"graph", Command::Graph, 0},
};

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string> arguments) {
    CLI::App app("", "norvwmi");
    // The same words mean the same on every system: "/x" is an operand, not an option.
    app.allow_windows_style_options(false);
    Parsed parsed;
    Describe(app, parsed);
    // CLI11 takes the words last first.
    std::vector<std::string> words(arguments.rbegin(), arguments.rend());
    try {
        app.parse(words);
    } catch (const CLI::CallForHelp&) {
        return HelpRequest{};
    } catch (const CLI::ParseError& error) {
        return UsageError{error.what()};
    }
    const std::vector<std::string> extra = app.remaining();
    if (!extra.empty()) {
        const std::string& word = extra.front();
        if (word.starts_with("-")) return UsageError{"unknown option '" + word.substr(0, word.find('=')) + "'"};
        return UsageError{"unknown command '" + word + "'"};
    }
    if (app.get_subcommands().empty()) return UsageError{"no command given"};
    CommandLine line = std::move(parsed.line);
    line.format = static_cast<OutputFormat>(
        std::find(kFormatNames.begin(), kFormatNames.end(), parsed.format) - kFormatNames.begin());
    if (!parsed.platformFile.empty()) line.platformFile = parsed.platformFile;
    if (!parsed.moduleFile.empty()) line.moduleFile = parsed.moduleFile;
    if (app.count("--perturb") > 0) line.perturbSeed = parsed.perturbSeed;
    const std::string chosen = app.get_subcommands().front()->get_name();
    const auto row = std::find_if(kCommands.begin(), kCommands.end(),
                                  [&](const CommandRow& r) { return r.name == chosen; });
    line.command = row->command;
    line.operands.assign(parsed.operands, parsed.operands + row->operandCount);
    if (line.command == Command::Exec)
        line.operands.insert(line.operands.end(), parsed.inParameters.begin(),
                             parsed.inParameters.end());
    // A query without a namespace is one of the served namespace (run_command.h).
    if (line.command == Command::Query) line.operands = parsed.queryWords;
    if (line.command == Command::Stress)
        for (std::uint32_t number : parsed.stressNumbers)
            line.operands.push_back(std::to_string(number));
    return line;
}

}  // namespace norvwmi
