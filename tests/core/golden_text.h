// Compares a text that a test prints of a whole table with a reviewed file in
// tests/data/core. With NORV_UPDATE_GOLDEN=1 the test writes the file instead, so that a
// change of a table shows up as a diff to review (docs/testing.md).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace norv::test {

inline void ExpectGolden(const std::string& name, const std::string& text) {
    const std::string path = std::string(NORV_TEST_DATA_DIR) + "/core/" + name;
    const char* update = std::getenv("NORV_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    const std::string expected{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, expected) << path;
}

}  // namespace norv::test
