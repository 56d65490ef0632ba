// The main of every test program. GoogleTest exits 0 when cases skip, which a Wine entry (one
// ctest test for many cases) would report as passed: where NORV_SKIP_EXIT_CODE is set, a run
// that skipped a case and failed none names each skipped case and exits with that code.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The reason GTEST_SKIP gave, on one line.
std::string SkipReason(const testing::TestResult& result) {
    for (int i = 0; i < result.total_part_count(); ++i) {
        const testing::TestPartResult& part = result.GetTestPartResult(i);
        if (!part.skipped()) continue;
        std::string reason = part.message();
        for (char& c : reason) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        return reason;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    const char* skipCode = std::getenv("NORV_SKIP_EXIT_CODE");
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    if (status != 0 || skipCode == nullptr || run.skipped_test_count() == 0) return status;
    for (int s = 0; s < run.total_test_suite_count(); ++s) {
        const testing::TestSuite& suite = *run.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const testing::TestInfo& test = *suite.GetTestInfo(t);
            if (!test.result()->Skipped()) continue;
            std::printf("SKIPPED CASE: %s.%s: %s\n", suite.name(), test.name(),
                        SkipReason(*test.result()).c_str());
        }
    }
    std::fflush(stdout);
    return std::atoi(skipCode);
}
