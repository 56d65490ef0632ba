// The files the project ships, read from the source tree: what the shipped-file tests
// compare against.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace norvwmi::testing {

// The file at `relativePath` under the source tree; a missing file fails the test.
inline std::string ReadSourceFile(std::string_view relativePath) {
    const std::string path = std::string(NORV_SOURCE_DIR) + "/" + std::string(relativePath);
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace norvwmi::testing
