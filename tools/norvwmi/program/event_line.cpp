#include "program/event_line.h"

#include <array>
#include <span>

#include "program/cim_code_names.h"
#include "program/table_cells.h"
#include "program/table_layout.h"
#include "repository/mof_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

// As in the table view: a missing value, and the widths names and event texts are cut to.
constexpr std::string_view kMissing = "-";
constexpr std::size_t kEventNameWidth = 48;
constexpr std::size_t kEventTextWidth = 64;
// The table view already writes UTF-8 (its ellipsis), so the state change does too.
constexpr std::string_view kStateArrow = " \u2192 ";
constexpr std::string_view kPartGap = "  ";
// The module's alert, shown by its own time, severity and message rather than as properties.
constexpr std::string_view kAlertClass = "AlertIndication";

// A string property's value; empty when the class lacks it or it is null.
std::string StringProperty(const CimObject& object, std::string_view name) {
    const std::string* text = TextOf(object, name);
    return text ? *text : std::string();
}

std::string OrMissing(std::string text) {
    return text.empty() ? std::string(kMissing) : text;
}

// The first of the properties that holds a non-empty string, else the missing value's mark.
std::string FirstString(const CimObject& object, std::span<const std::string_view> names) {
    for (std::string_view name : names)
        if (std::string text = StringProperty(object, name); !text.empty()) return text;
    return std::string(kMissing);
}

const CimObject* EmbeddedProperty(const CimObject& object, std::string_view name) {
    const auto index = object.Find(name);
    if (!index) return nullptr;
    const auto* embedded = std::get_if<CimEmbedded>(&object.ValueAt(*index).data);
    return embedded ? embedded->object.get() : nullptr;
}

// Caption is a record's event text; Description adds the sensor's name in front of it.
constexpr std::array<std::string_view, 2> kRecordTextNames{"Caption", "Description"};
constexpr std::array<std::string_view, 2> kTargetNames{"Name", "Caption"};

// What an event says of its target, after the target's class name.
using TargetText = std::string (*)(const CimObject& target, const CimObject* previous);

std::string RecordText(const CimObject& target, const CimObject*) {
    return OrMissing(StringProperty(target, "RecordID")) + ": " +
           FitCell(FirstString(target, kRecordTextNames), kEventTextWidth);
}

std::string SensorText(const CimObject& target, const CimObject* previous) {
    std::string text = FitCell(FirstString(target, kTargetNames), kEventNameWidth) + ": ";
    if (previous)
        text += FitCell(OrMissing(StringProperty(*previous, "CurrentState")), kEventTextWidth) +
                std::string(kStateArrow);
    return text + FitCell(OrMissing(StringProperty(target, "CurrentState")), kEventTextWidth);
}

std::string NamedText(const CimObject& target, const CimObject*) {
    return FitCell(FirstString(target, kTargetNames), kEventNameWidth);
}

struct TargetKind {
    std::string_view className;
    TargetText text;
};

constexpr std::array<TargetKind, 3> kTargetKinds{{
    {"LogRecord", RecordText},
    {"Sensor", SensorText},
    {"NumericSensor", SensorText},
}};

// One property of an extrinsic event: an embedded object by its class, a text as a MOF
// literal (its line ends escaped, so the line stays one) cut as a table cell, any other
// value as its MOF literal.
std::string PropertyText(const CimValue& value) {
    if (const auto* embedded = std::get_if<CimEmbedded>(&value.data))
        return embedded->object ? embedded->object->Definition().name : std::string(kMissing);
    const std::string literal = MofLiteral(value);
    return std::holds_alternative<std::string>(value.data) ? FitCell(literal, kEventTextWidth)
                                                           : literal;
}

// An event of a class of its own says what its properties say: each that holds a value.
std::string PropertiesPart(const CimObject& event) {
    std::string text;
    for (std::size_t i = 0; i < event.PropertyCount(); ++i) {
        const CimValue& value = event.ValueAt(i);
        if (value.IsNull()) continue;
        if (!text.empty()) text += ' ';
        text += event.PropertyAt(i).name + "=" + PropertyText(value);
    }
    return text.empty() ? std::string(kMissing) : text;
}

// An alert's severity, message id and message, after its own time. The message is the
// line's last part, so it is kept whole (on one line) rather than cut as a column.
std::string AlertPart(const CimObject& event) {
    const auto index = event.Find("PerceivedSeverity");
    const auto* severity =
        index ? std::get_if<std::uint64_t>(&event.ValueAt(*index).data) : nullptr;
    const std::string message = StringProperty(event, "Message");
    return (severity ? PerceivedSeverityText(*severity) : std::string(kMissing)) +
           std::string(kPartGap) + OrMissing(StringProperty(event, "MessageID")) +
           std::string(kPartGap) + OrMissing(FitCell(message, message.size()));
}

std::string TargetPart(const CimObject& event) {
    const CimObject* target = EmbeddedProperty(event, "TargetInstance");
    if (!target) return std::string(kMissing);
    const CimObject* previous = EmbeddedProperty(event, "PreviousInstance");
    const std::string& className = target->Definition().name;
    TargetText text = NamedText;
    for (const TargetKind& kind : kTargetKinds)
        if (SameName(kind.className, className)) text = kind.text;
    return className + " " + text(*target, previous);
}

}  // namespace

std::string EventLine(const CimObject& event, std::string_view received) {
    const std::string& className = event.Definition().name;
    if (SameName(className, kAlertClass)) {
        const std::string madeAt = StringProperty(event, "IndicationTime");
        return className + std::string(kPartGap) +
               (madeAt.empty() ? std::string(received) : LocalDateTime(madeAt)) +
               std::string(kPartGap) + AlertPart(event);
    }
    const bool intrinsic = event.Find("TargetInstance").has_value();
    return event.Definition().name + std::string(kPartGap) + std::string(received) +
           std::string(kPartGap) + (intrinsic ? TargetPart(event) : PropertiesPart(event));
}

}  // namespace norvwmi
