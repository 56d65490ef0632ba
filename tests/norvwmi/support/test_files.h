// The files the host's tests read: the source tree's (what the shipped-file tests compare
// against) and the data of tests/data/norvwmi, among them MOF served as a test's namespaces.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/embedded_mof.h"
#include "repository/mof_reader.h"
#include "repository/repository_class_source.h"

namespace norvwmi::testing {

// The whole file at `path`; a missing file fails the test.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string ReadSourceFile(std::string_view relativePath) {
    return ReadFile(std::string(NORV_SOURCE_DIR) + "/" + std::string(relativePath));
}

inline std::string TestDataPath(std::string_view name) {
    return std::string(NORV_TEST_DATA_DIR) + "/norvwmi/" + std::string(name);
}

// The classes and instances of a MOF file of tests/data/norvwmi, read after WMI's system
// classes when asked.
inline Repository TestRepository(std::string_view name, bool systemClasses = false) {
    Repository repository;
    if (systemClasses) {
        EXPECT_FALSE(repository.AddSystemClasses(
            ReadMof(EmbeddedMofText(kSystemMofName).value(), kSystemMofName).document));
    }
    const auto error = repository.AddMof(ReadFile(TestDataPath(name)), name);
    EXPECT_FALSE(error) << (error ? FormatMofError(*error) : std::string());
    return repository;
}

inline std::shared_ptr<RepositoryClassSource> TestMofSource(std::string_view name) {
    return std::make_shared<RepositoryClassSource>(TestRepository(name));
}

}  // namespace norvwmi::testing
