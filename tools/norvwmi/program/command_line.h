// The norvwmi command line:
//   norvwmi [--platform FILE] [--mof FILE]... [--module FILE]
//           [--client-level anonymous|identify|impersonate|delegate]
//           [--format mof|json|table] [--perturb SEED]
//           enum CLASS | get OBJECT-PATH | exec OBJECT-PATH METHOD [NAME=VALUE]... | classes | summary | graph
//           | query [NAMESPACE] WQL | stress THREADS SECONDS WATCHDOG-SECONDS
//           | watch [--seconds N] EVENT-QUERY
// Options come before the command, as `--name VALUE` or `--name=VALUE`, each at most once
// but --mof, which names one served MOF each time.
// CLI11 reads it; what is ours is which words mean what, the numbers' bounds (decimal only),
// names in any letter case, and the usage text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvwmi {

enum class Command { Enumerate, Get, Exec, Classes, Query, Stress, Summary, Watch, Graph };
enum class OutputFormat { Mof, Json, Table };

// The client levels the host can play, as ClientLevelFromName (com/call_context.h) reads them.
inline constexpr std::array<std::string_view, 4> kClientLevelNames{"anonymous", "identify",
                                                                   "impersonate", "delegate"};
inline constexpr std::string_view kDefaultClientLevel = "impersonate";
inline constexpr std::uint32_t kDefaultWatchSeconds = 10;

struct CommandLine {
    std::optional<std::string> platformFile;       // the embedded default when absent
    // The MOF files of the provider served, in order; the embedded mof/Norvipmiprv.mof when
    // none is given.
    std::vector<std::string> mofFiles;
    std::optional<std::string> moduleFile;         // Norvipmiprv.dll beside the program when absent
    std::string clientLevel{kDefaultClientLevel};  // one of kClientLevelNames, in lower case
    OutputFormat format = OutputFormat::Mof;
    std::optional<std::uint64_t> perturbSeed;  // --perturb: the health data changes
    Command command = Command::Classes;
    // enum: the class; get: the path; exec: the path, the method and its in-parameters
    // (NAME=VALUE each); query: the namespace when given, then the WQL text; stress: the thread count, the run's and the watchdog's
    // seconds (decimal, checked); classes, summary and graph: none.
    std::vector<std::string> operands;
    // watch: how long the subscription lasts (--seconds, 1..3600).
    std::uint32_t watchSeconds = kDefaultWatchSeconds;
};

struct HelpRequest {};  // --help or -h: print kUsage and succeed

struct UsageError {
    std::string message;  // one line, without the usage text (CLI11's words, or ours)
};

using ParsedCommandLine = std::variant<CommandLine, HelpRequest, UsageError>;

// `arguments` without the program name.
ParsedCommandLine ParseCommandLine(std::span<const std::string> arguments);

extern const std::string_view kUsage;

}  // namespace norvwmi
