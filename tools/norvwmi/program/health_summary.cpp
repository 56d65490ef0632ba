#include "program/health_summary.h"

#include <charconv>
#include <optional>

#include "program/table_cells.h"
#include "program/table_layout.h"

namespace norvwmi {

namespace {

constexpr std::string_view kStateOk = "OK";
// The newest record's caption is cut so that the line stays a line.
constexpr std::size_t kCaptionWidth = 64;

std::optional<std::string> TextOf(const CimObject& object, std::string_view name) {
    const auto index = object.Find(name);
    if (!index) return std::nullopt;
    const auto* text = std::get_if<std::string>(&object.ValueAt(*index).data);
    return text != nullptr ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::uint64_t> Decimal(const std::optional<std::string>& text) {
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
    if (objects.logRecords.empty()) return line + "no log records\n";
    line += Counted(objects.logRecords.size(), "log record", "log records");
    if (const CimObject* newest = NewestRecord(objects.logRecords)) {
        const auto when = TextOf(*newest, "MessageTimestamp");
        const std::string caption = TextOf(*newest, "Caption").value_or("");
        line += ", newest " + (when ? LocalDateTime(*when) : std::string("undated"));
        if (!caption.empty()) line += " " + FitCell(caption, kCaptionWidth);
    }
    return line + "\n";
}

}  // namespace norvwmi
