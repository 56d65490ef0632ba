#include "program/health_summary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>
#include <optional>

#include "program/cim_code_names.h"
#include "program/object_names.h"
#include "program/record_event.h"
#include "program/table_cells.h"
#include "program/table_layout.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

constexpr std::string_view kStateOk = "OK";
// The newest record's caption is cut so that the line stays a line.
constexpr std::size_t kCaptionWidth = 64;

std::optional<std::uint64_t> Decimal(const std::string* text) {
    std::uint64_t value = 0;
    if (!text) return std::nullopt;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), value);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size()) return std::nullopt;
    return value;
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The record with the highest position in the log, the one written last.
const CimObject* NewestRecord(std::span<const CimObject> records) {
    const CimObject* newest = nullptr;
    std::uint64_t newestPosition = 0;
    for (const CimObject& record : records) {
        const auto position = Decimal(TextOf(record, "RecordID"));
        if (position && (newest == nullptr || *position > newestPosition)) {
            newest = &record;
            newestPosition = *position;
        }
    }
    return newest;
}

std::optional<std::uint64_t> SeverityOf(const CimObject& condition) {
    const auto index = condition.Find("PerceivedSeverity");
    if (!index) return std::nullopt;
    const auto* code = std::get_if<std::uint64_t>(&condition.ValueAt(*index).data);
    return code != nullptr ? std::optional<std::uint64_t>(*code) : std::nullopt;
}

// A severity's word: its name in lower case up to a slash ("fatal", "degraded").
std::string SeverityWord(std::uint64_t code) {
    const auto name = PerceivedSeverityName(code);
    if (!name) return "severity " + std::to_string(code);
    std::string word(name->substr(0, name->find('/')));
    for (char& letter : word)
        if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    return word;
}

// The record the path names, matched by its relative path.
const CimObject* RecordAt(std::span<const CimObject> records, const std::string& path) {
    const auto parsed = ParseObjectPath(path);
    if (!parsed) return nullptr;
    const std::string wanted = FormatRelativePath(parsed->className, parsed->keys, parsed->singleton);
    for (const CimObject& record : records)
        if (record.RelativePath() == wanted) return &record;
    return nullptr;
}

// "CPU 0(1.0.0) IERR since 2014-06-02 04:30": the served sensor's name (else the device id
// the record names), the raising record's event text and the condition's first time.
std::string WorstText(const CimObject& worst, const HealthObjects& objects) {
    std::vector<CimObject> sensors(objects.sensors.begin(), objects.sensors.end());
    sensors.insert(sensors.end(), objects.numericSensors.begin(), objects.numericSensors.end());
    const std::string* element = TextOf(worst, "AlertingManagedElement");
    const auto sensor = ObjectNames(sensors).Find(element ? *element : std::string());
    const std::string* raisedBy = TextOf(worst, "LogRecord");
    const CimObject* record = RecordAt(objects.logRecords, raisedBy ? *raisedBy : std::string());
    const auto event = record != nullptr ? RecordEventOf(*record) : std::nullopt;
    std::string text = sensor ? *sensor : event ? "(" + event->deviceId + ")" : "unknown sensor";
    if (event) text += " " + RecordEventText(*event);
    const auto since = TextOf(worst, "FirstTime");
    return text + " since " + (since ? LocalDateTime(*since) : std::string("undated"));
}

std::string ConditionsText(const HealthObjects& objects) {
    if (objects.conditions.empty()) return "no active conditions";
    constexpr std::uint64_t kWorstSeverity = 7;
    std::array<std::size_t, kWorstSeverity + 1> bySeverity{};
    const CimObject* worst = nullptr;
    std::size_t worstSeverity = 0;
    for (const CimObject& condition : objects.conditions) {
        const auto severity = static_cast<std::size_t>(std::min(SeverityOf(condition).value_or(0), kWorstSeverity));
        ++bySeverity[severity];
        if (worst == nullptr || severity > worstSeverity) {
            worst = &condition;
            worstSeverity = severity;
        }
    }
    std::string text = Counted(objects.conditions.size(), "active condition", "active conditions") + ":";
    const char* separator = " ";
    for (std::size_t severity = kWorstSeverity + 1; severity-- > 0;) {
        if (bySeverity[severity] == 0) continue;
        text += separator + std::to_string(bySeverity[severity]) + " " + SeverityWord(severity);
        separator = ", ";
    }
    return text + "; worst: " + WorstText(*worst, objects);
}

}  // namespace

std::string HealthSummary(std::string_view platform, const HealthObjects& objects) {
    std::size_t notOk = 0;
    for (const CimObject& sensor : objects.numericSensors) {
        const auto state = TextOf(sensor, "CurrentState");
        if (state && *state != kStateOk) ++notOk;
    }
    std::string line = std::string(platform) + ": " +
                       Counted(objects.sensors.size() + objects.numericSensors.size(),
                               "sensor present", "sensors present") +
                       ", " + std::to_string(notOk) + " of " +
                       Counted(objects.numericSensors.size(), "reading", "readings") + " not OK; ";
    if (objects.logRecords.empty()) return line + "no log records; " + ConditionsText(objects) + "\n";
    line += Counted(objects.logRecords.size(), "log record", "log records");
    if (const CimObject* newest = NewestRecord(objects.logRecords)) {
        const auto when = TextOf(*newest, "MessageTimestamp");
        const std::string* caption = TextOf(*newest, "Caption");
        line += ", newest " + (when ? LocalDateTime(*when) : std::string("undated"));
        if (caption && !caption->empty()) line += " " + FitCell(*caption, kCaptionWidth);
    }
    return line + "; " + ConditionsText(objects) + "\n";
}

}  // namespace norvwmi
