#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, RunsAsAWindowsProcess) {
    // Guards the test set-up itself: these tests must run under Wine (or Windows).
    char dir[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(dir, MAX_PATH), 0u);
}
