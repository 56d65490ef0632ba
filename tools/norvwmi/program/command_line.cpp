#include "program/command_line.h"

#include <algorithm>

#include "repository/name_compare.h"
#include "simulated_driver/platform_loading.h"

namespace norvwmi {

const std::string_view kUsage =
    "usage: norvwmi [--platform FILE] [--module FILE]\n"
    "               [--client-level anonymous|identify|impersonate|delegate]\n"
    "               [--format mof|json|table] [--perturb SEED] COMMAND\n"
    "commands:\n"
    "  enum CLASS                  enumerate the instances of a served class\n"
    "  get OBJECT-PATH             get one object by its path\n"
    "  exec OBJECT-PATH METHOD     run a method\n"
    "  classes                     list the served classes\n"
    "  summary                     one line: sensors, readings not OK, log records\n"
    "  query [NAMESPACE] WQL       run a query through the administrative locator, or an\n"
    "                              association query through the providers (NAMESPACE\n"
    "                              defaults to root\\cimv2\\ipmi)\n"
    "  stress THREADS SECONDS WATCHDOG-SECONDS\n"
    "                              call every served class from many threads at once\n"
    "  watch [--seconds N] QUERY   subscribe to an event query for N seconds (default 10)\n"
    "                              and print each event as it arrives\n";

namespace {

struct CommandRow {
    std::string_view name;
    Command command;
    std::size_t operandCount;
    std::string_view operands;  // for the error message
};

constexpr std::array kCommands{
    CommandRow{"enum", Command::Enumerate, 1, "CLASS"},
    CommandRow{"get", Command::Get, 1, "OBJECT-PATH"},
    CommandRow{"exec", Command::Exec, 2, "OBJECT-PATH METHOD"},
    CommandRow{"classes", Command::Classes, 0, ""},
    CommandRow{"query", Command::Query, 2, "[NAMESPACE] WQL"},
    CommandRow{"stress", Command::Stress, 3, "THREADS SECONDS WATCHDOG-SECONDS"},
    CommandRow{"summary", Command::Summary, 0, ""},
    CommandRow{"watch", Command::Watch, 1, "[--seconds N] QUERY"},
};

// The limits of the stress command's numbers: threads, seconds of the run, of the watchdog.
struct NumberLimit {
    std::string_view what;
    std::uint64_t low;
    std::uint64_t high;
};

constexpr std::array kStressLimits{NumberLimit{"THREADS", 1, 64},
                                   NumberLimit{"SECONDS", 1, 3600},
                                   NumberLimit{"WATCHDOG-SECONDS", 1, 3600}};

struct FormatRow {
    std::string_view name;
    OutputFormat format;
};

constexpr std::array kFormats{FormatRow{"mof", OutputFormat::Mof},
                              FormatRow{"json", OutputFormat::Json},
                              FormatRow{"table", OutputFormat::Table}};

constexpr std::array<std::string_view, 5> kOptions{"--platform", "--module", "--client-level",
                                                   "--format", "--perturb"};

std::string InQuotes(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A decimal number without sign or blanks.
std::optional<std::uint64_t> Decimal(std::string_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::string Listed(std::span<const std::string_view> names) {
    std::string text;
    for (std::string_view name : names) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

// Applies one option; the error message or an empty text.
std::string ApplyOption(CommandLine& line, std::string_view option, const std::string& value,
                        std::vector<std::string_view>& seen) {
    if (std::find(seen.begin(), seen.end(), option) != seen.end())
        return std::string(option) + " is given twice";
    seen.push_back(option);
    if (value.empty()) return std::string(option) + " needs a value";
    if (option == "--platform") {
        line.platformFile = value;
    } else if (option == "--module") {
        line.moduleFile = value;
    } else if (option == "--perturb") {
        line.perturbSeed = Decimal(value);
        if (!line.perturbSeed) return "--perturb needs a decimal seed, not " + InQuotes(value);
    } else if (option == "--client-level") {
        const auto level =
            std::find_if(kClientLevelNames.begin(), kClientLevelNames.end(),
                         [&](std::string_view name) { return SameName(name, value); });
        if (level == kClientLevelNames.end())
            return "unknown client level " + InQuotes(value) + " (expected " +
                   Listed(kClientLevelNames) + ")";
        line.clientLevel = std::string(*level);
    } else {
        const auto format =
            std::find_if(kFormats.begin(), kFormats.end(),
                         [&](const FormatRow& row) { return SameName(row.name, value); });
        if (format == kFormats.end())
            return "unknown format " + InQuotes(value) + " (expected mof, json or table)";
        line.format = format->format;
    }
    return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string> arguments) {
    CommandLine line;
    std::vector<std::string_view> seen;
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].starts_with("-")) {
        const std::string& argument = arguments[next++];
        if (argument == "--help" || argument == "-h") return HelpRequest{};
        const std::size_t equals = argument.find('=');
        const std::string_view option = std::string_view(argument).substr(0, equals);
        const auto known = std::find(kOptions.begin(), kOptions.end(), option);
        if (known == kOptions.end()) return UsageError{"unknown option " + InQuotes(option)};
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (next < arguments.size()) {
            value = arguments[next++];
        }
        std::string error = ApplyOption(line, *known, value, seen);
        if (!error.empty()) return UsageError{std::move(error)};
    }
    if (next == arguments.size()) return UsageError{"no command given"};

    const std::string& name = arguments[next++];
    const auto row = std::find_if(kCommands.begin(), kCommands.end(),
                                  [&](const CommandRow& r) { return r.name == name; });
    if (row == kCommands.end()) return UsageError{"unknown command " + InQuotes(name)};
    line.command = row->command;
    line.operands.assign(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
    if (line.command == Command::Watch && !line.operands.empty() &&
        line.operands.front().starts_with("--seconds")) {
        std::string value = line.operands.front().substr(9);
        std::size_t used = 1;
        if (value.empty() && line.operands.size() > 1) {
            value = line.operands[1];
            used = 2;
        } else if (value.starts_with("=")) {
            value.erase(0, 1);
        } else {
            value = "-";
        }
        const auto seconds = Decimal(value);
        if (!seconds || *seconds < 1 || *seconds > 3600)
            return UsageError{"watch takes --seconds from 1 to 3600, not " + InQuotes(value)};
        line.watchSeconds = static_cast<std::uint32_t>(*seconds);
        line.operands.erase(line.operands.begin(),
                            line.operands.begin() + static_cast<std::ptrdiff_t>(used));
    }
    // A query without a namespace is one of the provider's namespace.
    if (line.command == Command::Query && line.operands.size() == 1)
        line.operands.insert(line.operands.begin(), std::string(kServedNamespace));
    if (line.operands.size() != row->operandCount) {
        if (row->operandCount == 0)
            return UsageError{std::string(row->name) + " takes no operands"};
        return UsageError{std::string(row->name) + " takes " + std::string(row->operands)};
    }
    const bool emptyOperand =
        std::any_of(line.operands.begin(), line.operands.end(),
                    [](const std::string& operand) { return operand.empty(); });
    if (emptyOperand) return UsageError{std::string(row->name) + " was given an empty operand"};
    if (line.command == Command::Stress) {
        for (std::size_t i = 0; i < kStressLimits.size(); ++i) {
            const NumberLimit& limit = kStressLimits[i];
            const auto number = Decimal(line.operands[i]);
            if (!number || *number < limit.low || *number > limit.high)
                return UsageError{"stress takes " + std::string(limit.what) + " from " +
                                  std::to_string(limit.low) + " to " +
                                  std::to_string(limit.high) + ", not " +
                                  InQuotes(line.operands[i])};
        }
    }
    return line;
}

}  // namespace norvwmi
