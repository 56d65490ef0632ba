#include "platform/log_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace norv {
namespace {

TEST(LogLine, FormatsTheWholeLine) {
    const LogLineTime time{2007, 3, 2, 14, 5, 9, 7};
    EXPECT_EQ(FormatLogLine(time, LogType::Error, "Mutex::", "it failed"),
              " [03/02/2007 14:05:09:007] [Error] - Mutex::it failed\r\n");
}

TEST(LogLine, NamesEachTypeAndPadsEachField) {
    struct Case {
        LogLineTime time;
        LogType type;
        const char* expected;
    };
    const Case cases[] = {
        {{1999, 12, 31, 23, 59, 58, 999},
         LogType::Information,
         " [12/31/1999 23:59:58:999] [Information] - L:t\r\n"},
        {{2024, 1, 9, 0, 0, 0, 0},
         LogType::Warning,
         " [01/09/2024 00:00:00:000] [Warning] - L:t\r\n"},
        {{2024, 10, 10, 9, 8, 7, 60},
         LogType::Error,
         " [10/10/2024 09:08:07:060] [Error] - L:t\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatLogLine(c.time, c.type, "L:", "t"), c.expected);
    }
}

TEST(LogLine, WithoutLabelTheTextFollowsTheDash) {
    const LogLineTime time{2007, 3, 2, 14, 5, 9, 7};
    EXPECT_EQ(FormatLogLine(time, LogType::Warning, "", "text"),
              " [03/02/2007 14:05:09:007] [Warning] - text\r\n");
    // The text is copied as it is, percent signs and all.
    EXPECT_EQ(FormatLogLine(time, LogType::Warning, "%s", "100%d"),
              " [03/02/2007 14:05:09:007] [Warning] - %s100%d\r\n");
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
        {0, 7, LogType::Error, 1, false},
        {0, 7, LogType::Error, 0, false},  // level 0 turns everything off
        {-1, 7, LogType::Error, -5, false},
        {1, 3, LogType::Error, 1, false},
        {1, 3, LogType::Information, 1, true},
        {1, 3, LogType::Warning, 1, true},
        {1, 4, LogType::Error, 1, true},
        {1, 4, LogType::Warning, 1, false},
        {1, 1, LogType::Information, 1, true},
        {1, 6, LogType::Information, 1, false},
        {1, 0xFFFFFFFF, static_cast<LogType>(3), 1, false},  // no such type
        {1, 0xFFFFFFFF, static_cast<LogType>(-1), 1, false},
    };
    for (const auto& c : cases) {
        const LogFilter filter{c.level, c.typeMask};
        EXPECT_EQ(filter.Passes(c.type, c.messageLevel), c.passes)
            << "level " << c.level << " mask " << c.typeMask << " type " << static_cast<int>(c.type)
            << " message level " << c.messageLevel;
    }
}

TEST(LogFilter, DefaultsWriteErrorsOfLevelOne) {
    const LogFilter filter;
    EXPECT_EQ(filter.level, 1);
    EXPECT_EQ(filter.typeMask, 7u);
}

bool ShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(LogSemaphoreName, DropsBackslashesAndUpperCases) {
    EXPECT_EQ(LogSemaphoreName("C:\\Windows\\system32\\wbem\\logs\\norvwbems.log"),
              "C:WINDOWSSYSTEM32WBEMLOGSNORVWBEMS.LOG");
    EXPECT_EQ(LogSemaphoreName("\\\\server\\share\\a-b_c.Log"), "SERVERSHAREA-B_C.LOG");
    EXPECT_EQ(LogSemaphoreName("az@[`{"), "AZ@[`{");
    EXPECT_EQ(LogSemaphoreName(""), "");
}

TEST(LogSemaphoreName, LeavesBytesAboveAsciiAlone) {
    // "c:\é.log" in code page 1252.
    EXPECT_EQ(LogSemaphoreName("c:\\\xE9.log"), "C:\xE9.LOG");
}

TEST(LogSemaphoreName, KeepsTrailBytesOfDoubleByteCharacters) {
    // 0x95 0x5C (octal 225 134) is one Shift-JIS character whose trail byte is the backslash
    // code, and 0x82 0x61 (octal 202 'a') one whose trail byte is the code of 'a'.
    const std::string fileName = "c:\\\225\\x\\\202a.log";
    EXPECT_EQ(LogSemaphoreName(fileName, ShiftJisLeadByte), "C:\225\\X\202a.LOG");
    // Without the code page's lead bytes the same bytes read as single characters.
    EXPECT_EQ(LogSemaphoreName(fileName), "C:\225X\202A.LOG");
    // A lead byte at the very end has no trail byte to protect.
    EXPECT_EQ(LogSemaphoreName("a\x95", ShiftJisLeadByte), "A\x95");
}

TEST(LogTrim, StartsAt200000Bytes) {
    EXPECT_FALSE(LogNeedsTrim(0));
    EXPECT_FALSE(LogNeedsTrim(199999));
    EXPECT_TRUE(LogNeedsTrim(200000));
    EXPECT_TRUE(LogNeedsTrim(std::uint64_t{1} << 33));
    EXPECT_EQ(kLogTrimTail, 100000u);
}

std::string TailWith(std::size_t position, const std::string& bytes) {
    std::string tail(kLogTrimTail, 'x');
    tail.replace(position, bytes.size(), bytes);
    return tail;
}

TEST(LogTrim, KeepsFromAfterTheFirstLineBreak) {
    struct Case {
        const char* what;
        std::string tail;
        std::size_t keepFrom;
    };
    const Case cases[] = {
        {"CR LF in the middle", TailWith(500, "\r\n"), 502},
        {"the first of two line breaks", TailWith(10, "\r\nab\r\n"), 12},
        {"CR LF at the start", TailWith(0, "\r\n"), 2},
        {"CR without LF", TailWith(500, "\ry"), 501},
        {"LF before the CR does not count", TailWith(5, "\nab\r\n"), 10},
        {"CR LF ending at the last byte", TailWith(kLogTrimTail - 2, "\r\n"), kLogTrimTail},
        {"CR on the last searched byte, no LF", TailWith(kLogTrimTail - 2, "\ry"),
         kLogTrimTail - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogTrimKeepFrom(c.tail), c.keepFrom) << c.what;
    }
}

TEST(LogTrim, WithoutLineBreakKeepsNothing) {
    struct Case {
        const char* what;
        std::string tail;
    };
    const Case cases[] = {
        {"no line break at all", std::string(kLogTrimTail, 'x')},
        {"only LF line ends", TailWith(100, "\n")},
        {"CR only in the last byte", TailWith(kLogTrimTail - 1, "\r")},
        {"zeros", std::string(kLogTrimTail, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogTrimKeepFrom(c.tail), kLogTrimTail) << c.what;
    }
}

TEST(LogTrim, ShortTailIsSearchedWhole) {
    EXPECT_EQ(LogTrimKeepFrom("ab\r\ncd"), 4u);
    EXPECT_EQ(LogTrimKeepFrom("abc\r"), 4u);
    EXPECT_EQ(LogTrimKeepFrom(""), 0u);
}

}  // namespace
}  // namespace norv
