#include "platform/log_writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "log_test_support.h"

namespace norv {
namespace {

using test::TempFile;
using test::TestLogKey;

std::string ExpectedDefaultFileName() {
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, length) + "\\system32\\wbem\\logs\\norvwbems.log";
}

// A key path that nobody created.
LogConfigurationKey MissingKey(std::string& path) {
    path = "Software\\Norvane\\NorvTests\\" + test::UniqueName("Missing") + "\\ServerLOGGING";
    return {HKEY_CURRENT_USER, path.c_str()};
}

TEST(LogWriterConfiguration, DefaultsWithoutKey) {
    std::string path;
    LogWriter writer;
    EXPECT_EQ(writer.LoadConfiguration(MissingKey(path)), 0u);
    EXPECT_EQ(writer.FileName(), ExpectedDefaultFileName());
    EXPECT_EQ(writer.Level(), 1);
    EXPECT_EQ(writer.TypeMask(), 7u);
}

TEST(LogWriterConfiguration, ProductionKeyIsReadFromTheLocalMachine) {
    win::UniqueHkey existing;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvane\\WBEM\\ServerLOGGING", 0, KEY_READ,
                      existing.put()) == ERROR_SUCCESS) {
        GTEST_SKIP() << "this machine has a logging configuration of its own";
    }
    LogWriter writer;
    EXPECT_EQ(writer.LoadConfiguration(), 0u);
    EXPECT_EQ(writer.FileName(), ExpectedDefaultFileName());
    EXPECT_EQ(writer.Level(), 1);
    EXPECT_EQ(writer.TypeMask(), 7u);
}

class LogWriterTest : public ::testing::Test {
protected:
    std::vector<std::string> Lines() const {
        return test::SplitLines(test::ReadFileBytes(logFile.Path()));
    }

    TempFile logFile{"Log"};
    TestLogKey key;
};

TEST_F(LogWriterTest, ReadsFileLevelAndTypesFromTheKey) {
    key.LogTo(logFile.Path());
    key.SetDword("LEVEL", 2);
    key.SetDword("TYPE", 5);
    LogWriter writer;
    EXPECT_EQ(writer.LoadConfiguration(key.Key()), 0u);
    EXPECT_EQ(writer.FileName(), logFile.Path());
    EXPECT_EQ(writer.Level(), 2);
    EXPECT_EQ(writer.TypeMask(), 5u);
}

TEST_F(LogWriterTest, EmptyKeyKeepsTheDefaults) {
    LogWriter writer;
    EXPECT_EQ(writer.LoadConfiguration(key.Key()), 0u);
    EXPECT_EQ(writer.FileName(), ExpectedDefaultFileName());
    EXPECT_EQ(writer.Level(), 1);
    EXPECT_EQ(writer.TypeMask(), 7u);
}

TEST_F(LogWriterTest, FileNameIsTakenOnlyFromATerminatedString) {
    const std::string path = logFile.Path();
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"string", REG_SZ, path + '\0', path},
        {"expandable string, not expanded", REG_EXPAND_SZ, "%TEMP%\\n.log" + std::string(1, '\0'),
         "%TEMP%\\n.log"},
        {"a number", REG_DWORD, std::string("\x01\x02\x03\x04", 4), ExpectedDefaultFileName()},
        {"bytes that read as a path", REG_BINARY, path + '\0', ExpectedDefaultFileName()},
    };
    for (const auto& c : cases) {
        key.SetBytes("LOGFILENAME", c.type, c.bytes);
        LogWriter writer;
        EXPECT_EQ(writer.LoadConfiguration(key.Key()), 0u) << c.what;
        EXPECT_EQ(writer.FileName(), c.expected) << c.what;
    }
}

TEST_F(LogWriterTest, NumbersAreFourBytesWhateverTheType) {
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        std::int32_t expectedLevel;
    };
    const Case cases[] = {
        {"number", REG_DWORD, std::string("\x03\0\0\0", 4), 3},
        {"four binary bytes", REG_BINARY, std::string("\x04\0\0\0", 4), 4},
        {"a string of three characters", REG_SZ, std::string("\x05\0\0\0", 4), 5},
        {"two bytes", REG_BINARY, std::string("\x06\0", 2), 1},
        {"eight bytes", REG_QWORD, std::string("\x07\0\0\0\0\0\0\0", 8), 1},
    };
    for (const auto& c : cases) {
        key.SetBytes("LEVEL", c.type, c.bytes);
        key.SetBytes("TYPE", c.type, c.bytes);
        LogWriter writer;
        writer.LoadConfiguration(key.Key());
        EXPECT_EQ(writer.Level(), c.expectedLevel) << c.what;
        EXPECT_EQ(writer.TypeMask(),
                  c.expectedLevel == 1 ? 7u : static_cast<std::uint32_t>(c.expectedLevel))
            << c.what;
    }
}

const std::regex kLineShape(
    R"( \[(\d\d)/(\d\d)/(\d{4}) (\d\d):(\d\d):(\d\d):(\d{3})\] \[(Information|Warning|Error)\] - (.*))");

std::string DateText(const SYSTEMTIME& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%04u", time.wMonth, time.wDay, time.wYear);
    return text;
}

TEST_F(LogWriterTest, WritesOneStampedLinePerMessage) {
    key.LogTo(logFile.Path());
    LogWriter writer;
    writer.SetLabel("Mutex::");
    writer.LoadConfiguration(key.Key());
    SYSTEMTIME before = {};
    GetLocalTime(&before);
    EXPECT_EQ(writer.LogError("failed %d times in %s", 5, "Lock"), 0u);
    writer.SetLabel("");
    EXPECT_EQ(writer.Write(LogType::Warning, 1, "unlabelled"), 0u);
    SYSTEMTIME after = {};
    GetLocalTime(&after);

    const std::string bytes = test::ReadFileBytes(logFile.Path());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const auto lines = test::SplitLines(bytes);
    ASSERT_EQ(lines.size(), 2u);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(lines[0], parts, kLineShape)) << lines[0];
    const std::string date = parts[1].str() + "/" + parts[2].str() + "/" + parts[3].str();
    EXPECT_TRUE(date == DateText(before) || date == DateText(after)) << date;
    EXPECT_EQ(parts[8], "Error");
    EXPECT_EQ(parts[9], "Mutex::failed 5 times in Lock");
    ASSERT_TRUE(std::regex_match(lines[1], parts, kLineShape)) << lines[1];
    EXPECT_EQ(parts[8], "Warning");
    EXPECT_EQ(parts[9], "unlabelled");
}

TEST_F(LogWriterTest, EmptyFileNameLeavesTheWriterUnopened) {
    key.SetString("LOGFILENAME", "");
    LogWriter writer;
    EXPECT_EQ(writer.LoadConfiguration(key.Key()), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(writer.FileName(), "");
    EXPECT_NE(writer.LogError("lost"), 0u);
}

TEST(LogWriter, FileInAMissingFolderIsAnError) {
    const std::string path =
        test::TempDirectory() + test::UniqueName("NoFolder") + "\\deeper\\norv.log";
    LogWriter writer;
    ASSERT_EQ(writer.OpenLog(path, 1, 7), 0u);
    EXPECT_EQ(writer.LogError("lost"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(test::FileExists(path));
}

// Numbered lines of 97 bytes ("line 00000 ..." and CR LF); the last one is shortened so that
// the whole is exactly total bytes.
std::string NumberedLines(std::size_t total) {
    constexpr std::size_t kLineBytes = 97;
    std::string bytes;
    for (int number = 0; bytes.size() < total; ++number) {
        const std::size_t length = std::min(kLineBytes, total - bytes.size());
        char head[16];
        std::snprintf(head, sizeof head, "line %05d ", number);
        std::string line(head);
        line.resize(length - 2, '.');
        bytes += line + "\r\n";
    }
    return bytes;
}

struct TrimCase {
    const char* what;
    std::string before;
    std::size_t keptFrom;  // where the old content kept starts; its size when nothing is kept
};

TEST(LogWriterTrim, FullFileKeepsTheWholeLinesOfItsLastPart) {
    // With 97-byte lines the last 100000 bytes of 250000 start inside line 1546, whose CR
    // LF ends at byte 150058; of 200000 they start inside line 1030 (CR LF ends at 100006).
    const TrimCase cases[] = {
        {"250000 bytes", NumberedLines(250000), 150059},
        {"200000 bytes", NumberedLines(200000), 100007},
        {"199999 bytes are left alone", NumberedLines(199999), 0},
        {"no line break: nothing kept", std::string(250000, 'x'), 250000},
    };
    for (const auto& c : cases) {
        const TempFile file("Trim");
        test::WriteFileBytes(file.Path(), c.before);
        LogWriter writer;
        ASSERT_EQ(writer.OpenLog(file.Path(), 1, 7), 0u);
        ASSERT_EQ(writer.LogError("appended"), 0u) << c.what;

        const std::string after = test::ReadFileBytes(file.Path());
        const std::string kept = c.before.substr(c.keptFrom);
        ASSERT_GE(after.size(), kept.size()) << c.what;
        EXPECT_TRUE(after.compare(0, kept.size(), kept) == 0) << c.what;
        const std::string appended = after.substr(kept.size());
        EXPECT_TRUE(std::regex_match(appended, std::regex(R"( \[.*\] \[Error\] - appended\r\n)")))
            << c.what << ": " << appended;
    }
    EXPECT_EQ(NumberedLines(250000).substr(150059, 10), "line 01547");
}

TEST(LogWriterSemaphore, NameIsTheFileNameWithoutBackslashesInUpperCase) {
    EXPECT_EQ(LogSemaphoreNameOf("c:\\Dir\\sub\\file.log"), "C:DIRSUBFILE.LOG");
    if (GetACP() == 1252) {
        EXPECT_EQ(LogSemaphoreNameOf("c:\\\xE9t\xE9.log"), "C:\xC9T\xC9.LOG");
    }
}

TEST(LogWriterSemaphore, BusyFileLosesTheMessageAfterASecond) {
    const TempFile file("Busy");
    // Someone else holds the file's semaphore: a writer that finds it leaves it held.
    const win::UniqueHandle held(
        CreateSemaphoreA(nullptr, 0, 1, LogSemaphoreNameOf(file.Path()).c_str()));
    ASSERT_TRUE(held);
    LogWriter writer;
    ASSERT_EQ(writer.OpenLog(file.Path(), 1, 7), 0u);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(writer.LogError("lost"), static_cast<DWORD>(WAIT_TIMEOUT));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 5000u);
    EXPECT_EQ(test::ReadFileBytes(file.Path()), "");

    ASSERT_TRUE(ReleaseSemaphore(held.get(), 1, nullptr));
    EXPECT_EQ(writer.LogError("written"), 0u);
    EXPECT_EQ(test::SplitLines(test::ReadFileBytes(file.Path())).size(), 1u);
}

TEST(LogWriterSemaphore, FirstWriterMakesTheFileFree) {
    const TempFile file("Free");
    LogWriter first;
    ASSERT_EQ(first.OpenLog(file.Path(), 1, 7), 0u);
    LogWriter second;
    ASSERT_EQ(second.OpenLog(file.Path(), 1, 7), 0u);
    const win::UniqueHandle semaphore(OpenSemaphoreA(SYNCHRONIZE | SEMAPHORE_MODIFY_STATE, FALSE,
                                                     LogSemaphoreNameOf(file.Path()).c_str()));
    ASSERT_TRUE(semaphore);
    EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ReleaseSemaphore(semaphore.get(), 1, nullptr);
}

TEST(LogWriterProcesses, TwoProcessesNeverInterleaveWithinALine) {
    constexpr int kLinesEach = 100;
    const TempFile file("Shared");
    const test::TestEvent go("Go");
    test::HelperProcess helper("write \"" + file.Path() + "\" " + go.Name() + " " +
                               std::to_string(kLinesEach) + " Helper::");
    ASSERT_TRUE(helper.Started());
    LogWriter writer;
    writer.SetLabel("Test::");
    ASSERT_EQ(writer.OpenLog(file.Path(), 1, 7), 0u);
    // The helper opens its writer before it waits; give it a moment to get there.
    Sleep(200);
    SetEvent(go.Get());
    const std::string padding(200, '.');
    for (int i = 0; i < kLinesEach; ++i) {
        EXPECT_EQ(writer.LogError("line %d %s", i, padding.c_str()), 0u);
    }
    ASSERT_EQ(helper.WaitForExit(20000), 0u);

    const std::string bytes = test::ReadFileBytes(file.Path());
    const auto lines = test::SplitLines(bytes);
    ASSERT_EQ(lines.size(), 2u * kLinesEach);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::regex whole(R"( \[[0-9/ :]+\] \[Error\] - (Test|Helper)::line (\d+) \.{200})");
    int mine = 0;
    int helpers = 0;
    for (const auto& line : lines) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, whole)) << line;
        (parts[1] == "Test" ? mine : helpers) += 1;
    }
    EXPECT_EQ(mine, kLinesEach);
    EXPECT_EQ(helpers, kLinesEach);
}

}  // namespace
}  // namespace norv
