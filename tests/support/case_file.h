// Reviewed case files of a test program's folder of tests/data (core, win or norvwmi): lines
// `input => answer`, comments, blank lines and "@" lines; any other line fails the test, since
// a mistyped case would test nothing. docs/testing.md says how a file reads and is updated.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

namespace norv::test {

// The whole file at `path`; a missing file fails the test.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string CaseFilePath(std::string_view name) {
    return std::string(NORV_CASE_DIR) + "/" + std::string(name);
}

inline std::string ReadCaseFile(const std::string& name) {
    return ReadFile(CaseFilePath(name));
}

inline bool UpdatingGolden() {
    const char* update = std::getenv("NORV_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

inline void ExpectGolden(const std::string& name, const std::string& text) {
    if (UpdatingGolden()) {
        std::ofstream(CaseFilePath(name), std::ios::binary) << text;
        return;
    }
    EXPECT_EQ(text, ReadCaseFile(name)) << CaseFilePath(name);
}

inline std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
        }
    }
    return out;
}

// `answer` gives the actual answer to each (unescaped) input, compared with the reviewed one.
inline void ExpectCases(const std::string& name,
                        const std::function<std::string(const std::string& input)>& answer) {
    const std::string path = CaseFilePath(name);
    std::istringstream lines(ReadFile(path));
    std::string text;
    int cases = 0;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::size_t arrow = line.find(" => ");
        const bool blank = line.find_first_not_of(" \t") == std::string::npos;
        const bool comment = line == "#" || line.starts_with("# ");
        if (blank || comment || (arrow == std::string::npos && line.starts_with("@"))) {
            text += line + "\n";
            continue;
        }
        if (arrow == std::string::npos) {
            ADD_FAILURE_AT(path.c_str(), number)
                << "neither a case (input => answer), a comment (# text), a blank line nor an "
                   "@ line: \""
                << line << "\"";
            text += line + "\n";
            continue;
        }
        const std::string input = line.substr(0, arrow);
        const std::string actual = answer(Unescaped(input));
        if (!UpdatingGolden()) {
            EXPECT_EQ(actual, line.substr(arrow + 4)) << path << ":" << number << ": " << input;
        }
        text += input + " => " + actual + "\n";
        ++cases;
    }
    EXPECT_GT(cases, 0) << path;
    if (UpdatingGolden()) ExpectGolden(name, text);
}

inline std::map<std::string, std::string> Definitions(const std::string& name) {
    std::map<std::string, std::string> definitions;
    std::istringstream lines(ReadCaseFile(name));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find(" = ");
        if (line.starts_with("@") && equals != std::string::npos)
            definitions[line.substr(0, equals)] = line.substr(equals + 3);
    }
    return definitions;
}

// A case's input as a stream whose numbers read as decimal or, after 0x, hexadecimal.
inline std::istringstream CaseInput(const std::string& input) {
    std::istringstream in(input);
    in >> std::setbase(0);
    return in;
}

}  // namespace norv::test
