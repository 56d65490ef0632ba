// The rules of the diagnostic log: which messages pass, how a line reads, which semaphore
// guards a file, and what a full file keeps when it is trimmed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv {

enum class LogType : int { Information = 0, Warning = 1, Error = 2 };

// Indexed by LogType; the bit of a type in the type mask is 1 shifted left by its value.
inline constexpr std::array<std::string_view, 3> kLogTypeNames = {"Information", "Warning",
                                                                  "Error"};

// Local wall-clock time of a line, field for field as the platform reports it.
struct LogLineTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

struct LogFilter {
    std::int32_t level = 1;
    std::uint32_t typeMask = 7;

    // A level of 0 or below turns every message off, whatever the message's own level.
    bool Passes(LogType type, std::int32_t messageLevel) const;
};

// " [MM/DD/YYYY hh:mm:ss:mmm] [Type] - " followed by label, text and CR LF.
// type must be one of the three types.
std::string FormatLogLine(const LogLineTime& time, LogType type, std::string_view label,
                          std::string_view text);

// Tells whether a byte opens a double-byte character in the text's code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// The name of the semaphore that serialises appends to a log file: the file name without
// its backslashes, in upper case. Only single-byte ASCII letters are changed here; a lead
// byte (per isLeadByte, none when null) and its trail byte are copied as they are, so a
// trail byte that looks like a backslash or a letter is left alone.
std::string LogSemaphoreName(std::string_view fileName, LeadBytePredicate isLeadByte = nullptr);

// A file that reaches this size is trimmed before the next line is appended.
inline constexpr std::uint64_t kLogTrimThreshold = 200000;
// How many bytes at the end of the file the trimming reads; it keeps whole lines of them.
inline constexpr std::size_t kLogTrimTail = 100000;

bool LogNeedsTrim(std::uint64_t fileSize);

// Given the last bytes of a full file (kLogTrimTail of them), the offset in tail where the
// part to keep starts: just after the first CR within the first kLogTrimTail - 1 bytes,
// and after the LF that follows it. Without such a CR no whole line can be told apart, so
// nothing is kept (tail.size()) and the file starts afresh with the next line.
std::size_t LogTrimKeepFrom(std::string_view tail);

}  // namespace norv
