#include "platform/log_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>

#include "support/case_file.h"

namespace norv {
namespace {

TEST(LogLine, FormatsTypeAndPadsEachField) {
    EXPECT_EQ(FormatLogLine({2007, 3, 2, 14, 5, 9, 7}, LogType::Error, "Mutex::", "it failed"),
              " [03/02/2007 14:05:09:007] [Error] - Mutex::it failed\r\n");
    EXPECT_EQ(FormatLogLine({1999, 12, 31, 23, 59, 58, 999}, LogType::Information, "L:", "t"),
              " [12/31/1999 23:59:58:999] [Information] - L:t\r\n");
    EXPECT_EQ(FormatLogLine({2024, 10, 10, 9, 8, 7, 60}, LogType::Warning, "", "text"),
              " [10/10/2024 09:08:07:060] [Warning] - text\r\n");
    // The text is copied as it is, percent signs and all.
    EXPECT_EQ(FormatLogLine({2024, 1, 9, 0, 0, 0, 0}, LogType::Warning, "%s", "100%d"),
              " [01/09/2024 00:00:00:000] [Warning] - %s100%d\r\n");
}

TEST(LogLineCases, AsReviewed) {
    test::ExpectCases("log_line_cases.txt", [](const std::string& input) {
        std::istringstream in = test::CaseInput(input);
        std::string what;
        in >> what;
        if (what == "filter") {
            std::int32_t level = 0, type = 0, messageLevel = 0;
            std::uint32_t mask = 0;
            in >> level >> mask >> type >> messageLevel;
            return std::string(
                LogFilter{level, mask}.Passes(static_cast<LogType>(type), messageLevel)
                    ? "passes"
                    : "blocked");
        }
        if (what == "size") {
            std::uint64_t size = 0;
            in >> size;
            return std::string(LogNeedsTrim(size) ? "trimmed" : "kept");
        }
        std::size_t at = 0;
        if (what == "trim") in >> at;
        const std::string bytes(std::istreambuf_iterator<char>(in.ignore(1)), {});
        std::string tail = bytes;
        if (what == "trim") tail = std::string(kLogTrimTail, 'x').replace(at, bytes.size(), bytes);
        return std::to_string(LogTrimKeepFrom(tail));
    });
    EXPECT_TRUE(LogFilter{}.Passes(LogType::Error, 1));  // by default errors of level 1
    EXPECT_FALSE(LogFilter{}.Passes(LogType::Error, 2));
    EXPECT_EQ(LogTrimKeepFrom(""), 0u);
}

bool ShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(LogSemaphoreName, DropsBackslashesAndUpperCasesSingleByteCharacters) {
    EXPECT_EQ(LogSemaphoreName("C:\\Windows\\system32\\wbem\\logs\\norvwbems.log"),
              "C:WINDOWSSYSTEM32WBEMLOGSNORVWBEMS.LOG");
    EXPECT_EQ(LogSemaphoreName("\\\\server\\share\\a-b_c.Log"), "SERVERSHAREA-B_C.LOG");
    EXPECT_EQ(LogSemaphoreName("az@[`{"), "AZ@[`{");
    EXPECT_EQ(LogSemaphoreName("c:\\\xE9.log"), "C:\xE9.LOG");  // bytes above ASCII stay
    // 0x95 0x5C is one Shift-JIS character whose trail byte is the backslash code, and 0x82
    // 0x61 one whose trail byte is the code of 'a': both trail bytes are kept.
    const std::string fileName = "c:\\\225\\x\\\202a.log";
    EXPECT_EQ(LogSemaphoreName(fileName, ShiftJisLeadByte), "C:\225\\X\202a.LOG");
    EXPECT_EQ(LogSemaphoreName(fileName), "C:\225X\202A.LOG");
    EXPECT_EQ(LogSemaphoreName("a\x95", ShiftJisLeadByte), "A\x95");  // a lead byte at the end
}

}  // namespace
}  // namespace norv
