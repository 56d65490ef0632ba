// The health driver's management log as the host serves it: events written in a platform
// description (Norvwmi_LogEvent, Norvwmi_LogArea) become entry bytes, and the entries a
// log area with its header, laid out as a ring that may have wrapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace norvwmi {

// The header's offsets (eventlog/management_log.h) are 16-bit, so an area is never larger.
inline constexpr std::uint32_t kMaxLogAreaSize = 0xFFFF;

// Entries hold data bytes 0..5 at least: every data byte the mapping reads.
inline constexpr std::size_t kMinLogEventDataBytes = 6;

struct LogEvent {
    std::uint16_t sequence = 0;  // the log's own entry number
    std::uint16_t eventClass = 0;
    std::uint16_t eventCode = 0;
    std::uint8_t status = 0;
    std::uint16_t year = 0;  // the full year; 0 for an undated entry
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::vector<std::uint8_t> data;   // from data byte 0 on
    std::optional<std::string> text;  // zero-terminated from data byte 1 on
    std::optional<std::uint16_t> length;
};

struct LogAreaLayout {
    std::optional<std::uint32_t> size;  // just the header and the entries when absent
    std::uint32_t wrapAfter = 0;        // this many oldest events lie at the area's end
    std::optional<std::uint16_t> headerEnd;
    std::optional<std::uint16_t> headerStart;
};

// Why a description's events or layout cannot be assembled, in one sentence.
struct LogAssemblyError {
    std::string message;
};

// The entry of one event; an event that cannot be an entry (a text beside data bytes past
// byte 0, a year past the century byte, a length below 2 or content past 65535 bytes) is
// an error.
std::variant<std::vector<std::uint8_t>, LogAssemblyError> AssembleLogEntry(const LogEvent& event);

// The log area of the events, oldest first. Unwrapped, the entries follow the header and
// start is the header's end. Wrapped after n events, those n lie at the end of the area
// (start = size minus their bytes) and the others follow the header (end), with free bytes
// between: a wrapped area needs a size that leaves at least one.
std::variant<std::vector<std::uint8_t>, LogAssemblyError> AssembleLogArea(
    std::span<const LogEvent> events, const LogAreaLayout& layout);

}  // namespace norvwmi
