// A table of cases in a reviewed file of tests/data/norvwmi: each line is `input => answer`,
// the input with C escapes (\n, \r, \t, \\, \xNN) for what one line cannot hold; lines that start
// with "# " or hold no " => " are comments. With NORV_UPDATE_GOLDEN=1 the test writes the
// answers the code gives instead, to be reviewed as a diff (docs/testing.md).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "support/test_files.h"

namespace norvwmi::testing {

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

inline void ExpectCases(const std::string& name,
                        const std::function<std::string(const std::string& input)>& answer) {
    const std::string path = TestDataPath(name);
    std::istringstream lines(ReadFile(path));
    const char* update = std::getenv("NORV_UPDATE_GOLDEN");
    const bool updating = update && std::string(update) == "1";
    std::string text;
    int cases = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t arrow = line.find(" => ");
        if (line.empty() || line.rfind("# ", 0) == 0 || arrow == std::string::npos) {
            text += line + "\n";
            continue;
        }
        const std::string input = line.substr(0, arrow);
        const std::string actual = answer(Unescaped(input));
        if (!updating) {
            EXPECT_EQ(actual, line.substr(arrow + 4)) << name << ": " << input;
        }
        text += input + " => " + actual + "\n";
        ++cases;
    }
    EXPECT_GT(cases, 0) << path;
    if (updating) std::ofstream(path, std::ios::binary) << text;
}

}  // namespace norvwmi::testing
