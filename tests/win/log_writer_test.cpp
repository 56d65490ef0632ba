#include "platform/log_writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "log_test_support.h"
#include "support/case_file.h"

namespace norv {
namespace {

using test::TempFile;
using test::TestLogKey;

std::string DefaultFileName() {
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, length) + "\\system32\\wbem\\logs\\norvwbems.log";
}

void ExpectConfiguration(LogWriter& writer, const LogConfigurationKey& key, const std::string& file,
                         std::int32_t level, std::uint32_t types) {
    EXPECT_EQ(writer.LoadConfiguration(key), 0u);
    EXPECT_EQ(writer.FileName(), file);
    EXPECT_EQ(writer.Level(), level);
    EXPECT_EQ(writer.TypeMask(), types);
}

TEST(LogWriterConfiguration, DefaultsWithoutKeyOrWithAnEmptyOne) {
    LogWriter writer;
    const std::string missing = "Software\\Norvane\\NorvTests\\" + test::UniqueName("Missing");
    ExpectConfiguration(writer, {HKEY_CURRENT_USER, missing.c_str()}, DefaultFileName(), 1, 7);
    TestLogKey empty;
    ExpectConfiguration(writer, empty.Key(), DefaultFileName(), 1, 7);
}

// "VALUE TYPE BYTES" (tests/data/win/log_configuration.txt): the value written into one key,
// case after case, and what one writer then loads from it: status, file name, level, type mask.
TEST(LogWriterConfiguration, ReadsATerminatedFileNameAndFourByteNumbers) {
    const std::map<std::string, DWORD> types = {{"REG_SZ", REG_SZ},
                                                {"REG_EXPAND_SZ", REG_EXPAND_SZ},
                                                {"REG_BINARY", REG_BINARY},
                                                {"REG_DWORD", REG_DWORD},
                                                {"REG_QWORD", REG_QWORD}};
    TestLogKey key;
    LogWriter writer;
    test::ExpectCases("log_configuration.txt", [&](const std::string& input) {
        std::istringstream in(input);
        std::string value, type;
        in >> value >> type;
        key.SetBytes(value.c_str(), types.at(type), input.substr(value.size() + type.size() + 2));
        const DWORD status = writer.LoadConfiguration(key.Key());
        const std::string file =
            writer.FileName() == DefaultFileName() ? "default" : '"' + writer.FileName() + '"';
        return std::to_string(status) + " " + file + " " + std::to_string(writer.Level()) + " " +
               std::to_string(writer.TypeMask());
    });
    LogWriter unopened;  // the key's file name is empty by now
    EXPECT_EQ(unopened.LoadConfiguration(key.Key()), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(unopened.FileName(), "");
    EXPECT_NE(unopened.LogError("lost"), 0u) << "an empty file name leaves the writer unopened";
}

const std::regex kLineShape(
    R"( \[(\d\d/\d\d/\d{4}) \d\d:\d\d:\d\d:\d{3}\] \[(Information|Warning|Error)\] - (.*))");

std::string DateText(const SYSTEMTIME& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u/%02u/%04u", time.wMonth, time.wDay, time.wYear);
    return text;
}

TEST(LogWriter, WritesOneStampedLinePerMessage) {
    const TempFile logFile("Log");
    TestLogKey key;
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
    const auto lines = test::SplitLines(bytes);
    ASSERT_TRUE(bytes.ends_with("\r\n") && lines.size() == 2u) << bytes;
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(lines[0], parts, kLineShape)) << lines[0];
    EXPECT_TRUE(parts[1] == DateText(before) || parts[1] == DateText(after)) << parts[1];
    EXPECT_EQ(parts[2].str() + parts[3].str(), "ErrorMutex::failed 5 times in Lock");
    ASSERT_TRUE(std::regex_match(lines[1], parts, kLineShape)) << lines[1];
    EXPECT_EQ(parts[2].str() + parts[3].str(), "Warningunlabelled");
}

// The trim rule itself is the core's (LogTrimKeepFrom); here the writer applies it to a full
// file: of 250000 bytes in lines of 97, the last 100000 start inside line 1546, whose CR LF
// ends at byte 150058.
TEST(LogWriter, AMissingFolderIsAnErrorAndAFullFileKeepsTheWholeLinesOfItsLastPart) {
    const std::string path =
        test::TempDirectory() + test::UniqueName("NoFolder") + "\\deeper\\norv.log";
    LogWriter writer;
    ASSERT_EQ(writer.OpenLog(path, 1, 7), 0u);
    EXPECT_EQ(writer.LogError("lost"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(test::FileExists(path));

    std::string before;
    for (int number = 0; before.size() < 250000; ++number) {
        char head[16];
        std::snprintf(head, sizeof head, "line %05d ", number);
        std::string line(head);
        line.resize(std::min<std::size_t>(97, 250000 - before.size()) - 2, '.');
        before += line + "\r\n";
    }
    const TempFile file("Trim");
    ASSERT_TRUE((std::ofstream(file.Path(), std::ios::binary) << before).good());
    ASSERT_EQ(writer.OpenLog(file.Path(), 1, 7), 0u);
    ASSERT_EQ(writer.LogError("appended"), 0u);
    const std::string after = test::ReadFileBytes(file.Path());
    const std::string kept = before.substr(150059);
    ASSERT_GE(after.size(), kept.size());
    EXPECT_EQ(after.substr(0, kept.size()), kept);
    EXPECT_TRUE(std::regex_match(after.substr(kept.size()),
                                 std::regex(R"( \[.*\] \[Error\] - appended\r\n)")));
}

// The semaphore's name is the core's LogSemaphoreNameOf of the file name.
TEST(LogWriterSemaphore, TheFirstWriterMakesTheFileFreeAndABusyOneLosesTheMessageAfterASecond) {
    const TempFile file("Busy");
    {
        LogWriter first;
        ASSERT_EQ(first.OpenLog(file.Path(), 1, 7), 0u);
        LogWriter second;
        ASSERT_EQ(second.OpenLog(file.Path(), 1, 7), 0u);
        const win::UniqueHandle semaphore(OpenSemaphoreA(
            SYNCHRONIZE | SEMAPHORE_MODIFY_STATE, FALSE, LogSemaphoreNameOf(file.Path()).c_str()));
        ASSERT_TRUE(semaphore);
        EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    // Someone else holds the file's semaphore: a writer that finds it leaves it held.
    const TempFile busy("Busy");
    const win::UniqueHandle held(
        CreateSemaphoreA(nullptr, 0, 1, LogSemaphoreNameOf(busy.Path()).c_str()));
    ASSERT_TRUE(held);
    LogWriter writer;
    ASSERT_EQ(writer.OpenLog(busy.Path(), 1, 7), 0u);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(writer.LogError("lost"), static_cast<DWORD>(WAIT_TIMEOUT));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 5000u);
    EXPECT_EQ(test::ReadFileBytes(busy.Path()), "");
    ASSERT_TRUE(ReleaseSemaphore(held.get(), 1, nullptr));
    EXPECT_EQ(writer.LogError("written"), 0u);
    EXPECT_EQ(test::SplitLines(test::ReadFileBytes(busy.Path())).size(), 1u);
}

}  // namespace
}  // namespace norv
