// The files the host's tests read: the source tree's (what the shipped-file tests compare
// against) and the data of tests/data/norvwmi, among them MOF served as a test's namespaces.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "repository/mof_reader.h"
#include "repository/repository_class_source.h"
#include "simulated_driver/embedded_mof.h"
#include "support/case_file.h"

namespace norvwmi::testing {

inline std::string ReadSourceFile(std::string_view relativePath) {
    return norv::test::ReadFile(std::string(NORV_SOURCE_DIR) + "/" + std::string(relativePath));
}

// The classes and instances of a MOF file of tests/data/norvwmi, read after WMI's system
// classes when asked.
inline Repository TestRepository(std::string_view name, bool systemClasses = false) {
    Repository repository;
    if (systemClasses) {
        EXPECT_FALSE(repository.AddSystemClasses(
            ReadMof(EmbeddedMofText(kSystemMofName).value(), kSystemMofName).document));
    }
    const auto error = repository.AddMof(norv::test::ReadCaseFile(std::string(name)), name);
    EXPECT_FALSE(error) << (error ? FormatMofError(*error) : std::string());
    return repository;
}

inline std::shared_ptr<RepositoryClassSource> TestMofSource(std::string_view name) {
    return std::make_shared<RepositoryClassSource>(TestRepository(name));
}

}  // namespace norvwmi::testing
