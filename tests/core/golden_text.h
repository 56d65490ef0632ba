// Compares a text that a test prints of a whole table with a reviewed file in
// tests/data/core. With NORV_UPDATE_GOLDEN=1 the test writes the file instead, so that a
// change of a table shows up as a diff to review (docs/testing.md).
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

namespace norv::test {

inline bool UpdatingGolden() {
    const char* update = std::getenv("NORV_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

inline std::string GoldenPath(const std::string& name) {
    return std::string(NORV_TEST_DATA_DIR) + "/core/" + name;
}

inline std::string ReadGolden(const std::string& name) {
    std::ifstream file(GoldenPath(name), std::ios::binary);
    EXPECT_TRUE(file) << GoldenPath(name);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void ExpectGolden(const std::string& name, const std::string& text) {
    if (UpdatingGolden()) {
        std::ofstream(GoldenPath(name), std::ios::binary) << text;
        return;
    }
    EXPECT_EQ(text, ReadGolden(name)) << GoldenPath(name);
}

// A table of cases in a reviewed file: each line is `input => expected`, and lines that
// start with '#' or hold no " => " are comments. `answer` gives the actual answer to an
// input, compared with the expected one line by line. The inputs are the reviewed cases;
// the answers were written once by the code that passed the independently typed
// expectations they replace (NORV_UPDATE_GOLDEN=1 writes them again).
inline void ExpectCases(const std::string& name,
                        const std::function<std::string(const std::string&)>& answer) {
    std::istringstream lines(ReadGolden(name));
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t arrow = line.find(" => ");
        if (line.empty() || line[0] == '#' || arrow == std::string::npos) {
            text += line + "\n";
            continue;
        }
        const std::string input = line.substr(0, arrow);
        const std::string actual = answer(input);
        if (!UpdatingGolden()) {
            EXPECT_EQ(actual, line.substr(arrow + 4)) << name << ": " << input;
        }
        text += input + " => " + actual + "\n";
    }
    if (UpdatingGolden()) ExpectGolden(name, text);
}

// The "@name = text" lines of a case file: definitions that its cases name.
inline std::map<std::string, std::string> Definitions(const std::string& name) {
    std::map<std::string, std::string> definitions;
    std::istringstream lines(ReadGolden(name));
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
