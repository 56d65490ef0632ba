#include "platform/log_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

TEST(LogFilter, PassesByLevelAndTypeBit) {
    struct Case {
        std::int32_t level;
        std::uint32_t typeMask;
        LogType type;
        std::int32_t messageLevel;
        bool passes;
    };
    const Case cases[] = {
        {1, 7, LogType::Error, 1, true},
        {1, 7, LogType::Error, 2, false},
        {3, 7, LogType::Warning, 3, true},
        {3, 7, LogType::Warning, -1, true},
        {0, 7, LogType::Error, 0, false},
        {-1, 7, LogType::Error, -5, false},  // level 0 or less: off
        {1, 3, LogType::Error, 1, false},
        {1, 3, LogType::Warning, 1, true},
        {1, 4, LogType::Error, 1, true},
        {1, 1, LogType::Information, 1, true},
        {1, 6, LogType::Information, 1, false},
        {1, 0xFFFFFFFF, static_cast<LogType>(3), 1, false},
        {1, 0xFFFFFFFF, static_cast<LogType>(-1), 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ((LogFilter{c.level, c.typeMask}.Passes(c.type, c.messageLevel)), c.passes)
            << c.level << " " << c.typeMask << " " << static_cast<int>(c.type) << " "
            << c.messageLevel;
    }
    EXPECT_TRUE(LogFilter{}.Passes(LogType::Error, 1));  // by default errors of level 1
    EXPECT_FALSE(LogFilter{}.Passes(LogType::Error, 2));
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

std::string TailWith(std::size_t position, const std::string& bytes) {
    std::string tail(kLogTrimTail, 'x');
    tail.replace(position, bytes.size(), bytes);
    return tail;
}

TEST(LogTrim, StartsAt200000BytesAndKeepsFromAfterTheFirstLineBreakOfTheTail) {
    EXPECT_FALSE(LogNeedsTrim(199999));
    EXPECT_TRUE(LogNeedsTrim(200000));
    EXPECT_TRUE(LogNeedsTrim(std::uint64_t{1} << 33));
    EXPECT_EQ(kLogTrimTail, 100000u);
    const std::pair<std::string, std::size_t> cases[] = {
        {TailWith(500, "\r\n"), 502},
        {TailWith(10, "\r\nab\r\n"), 12},  // the first of two
        {TailWith(0, "\r\n"), 2},
        {TailWith(500, "\ry"), 501},    // CR without LF
        {TailWith(5, "\nab\r\n"), 10},  // an LF before the CR does not count
        {TailWith(kLogTrimTail - 2, "\r\n"), kLogTrimTail},
        {TailWith(kLogTrimTail - 2, "\ry"), kLogTrimTail - 1},
        {std::string(kLogTrimTail, 'x'), kLogTrimTail},  // no line break: nothing kept
        {TailWith(100, "\n"), kLogTrimTail},
        {TailWith(kLogTrimTail - 1, "\r"), kLogTrimTail},
        {"ab\r\ncd", 4},  // a short tail is searched whole
        {"abc\r", 4},
        {"", 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(LogTrimKeepFrom(cases[i].first), cases[i].second) << i;
}

}  // namespace
}  // namespace norv
