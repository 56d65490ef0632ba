// The norvwmi command line: which words mean what, the numbers' bounds, names in any letter
// case and the messages for what is not understood (tests/data/norvwmi/command_lines.txt).
// How the program prints a message and the usage, and its exit code, is the program test's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/command_line.h"
#include "support/case_file.h"

namespace norvwmi {
namespace {

std::vector<std::string> CommandWords(const std::string& input) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = input.find_first_not_of(' ', at)) != std::string::npos) {
        const bool quoted = input[at] == '"';
        const std::size_t end = input.find(quoted ? '"' : ' ', at + 1);
        words.push_back(input.substr(at + quoted, (end == std::string::npos ? input.size() : end) - at - quoted));
        at = end == std::string::npos ? input.size() : end + 1;
    }
    return words;
}

std::string DescribedLine(const CommandLine& line) {
    constexpr const char* kCommands[] = {"enum",  "get",    "exec",    "classes",
                                         "query", "stress", "summary", "watch",
                                         "graph"};
    constexpr const char* kFormats[] = {"mof", "json", "table"};
    std::string text = kCommands[static_cast<int>(line.command)];
    text += " [";
    for (std::size_t i = 0; i < line.operands.size(); ++i) text += (i ? "] [" : "") + line.operands[i];
    text += "] format=" + std::string(kFormats[static_cast<int>(line.format)]);
    text += " level=" + line.clientLevel + " platform=" + line.platformFile.value_or("-");
    std::string mofs;
    for (const std::string& file : line.mofFiles) mofs += (mofs.empty() ? "" : ",") + file;
    text += " mof=" + (mofs.empty() ? "-" : mofs);
    text += " module=" + line.moduleFile.value_or("-") + " perturb=" +
            (line.perturbSeed ? std::to_string(*line.perturbSeed) : "-");
    return text + " seconds=" + std::to_string(line.watchSeconds);
}

TEST(CommandLine, WordsBoundsLetterCasesAndMessages) {
    norv::test::ExpectCases("command_lines.txt", [](const std::string& input) -> std::string {
        const ParsedCommandLine parsed = ParseCommandLine(CommandWords(input));
        if (std::holds_alternative<HelpRequest>(parsed)) return "help";
        if (const auto* error = std::get_if<UsageError>(&parsed)) return "error: " + error->message;
        return DescribedLine(std::get<CommandLine>(parsed));
    });
}

}  // namespace
}  // namespace norvwmi
