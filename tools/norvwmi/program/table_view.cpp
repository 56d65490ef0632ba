#include "program/table_view.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "host/provider_class_identity.h"
#include "program/cim_code_names.h"
#include "program/record_event.h"
#include "program/table_cells.h"
#include "program/table_layout.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

// A cell of nothing: the property has no value.
constexpr std::string_view kNoValue = "-";

// Cut widths, so that a row of the log or of a sensor fits a terminal line.
constexpr std::size_t kNameWidth = 48;
constexpr std::size_t kTextWidth = 48;
constexpr std::size_t kLongTextWidth = 64;

// The SensorType "Other", which OtherSensorTypeDescription then names.
constexpr std::uint64_t kSensorTypeOther = 1;

const CimValue* Held(const CimObject& object, std::string_view name) {
    const auto index = object.Find(name);
    if (!index || object.ValueAt(*index).IsNull()) return nullptr;
    return &object.ValueAt(*index);
}

std::optional<std::int64_t> SignedOf(const CimObject& object, std::string_view name) {
    const CimValue* value = Held(object, name);
    if (value == nullptr) return std::nullopt;
    if (const auto* number = std::get_if<std::int64_t>(&value->data)) return *number;
    return std::nullopt;
}

std::optional<std::uint64_t> UnsignedOf(const CimObject& object, std::string_view name) {
    const CimValue* value = Held(object, name);
    if (value == nullptr) return std::nullopt;
    if (const auto* number = std::get_if<std::uint64_t>(&value->data)) return *number;
    return std::nullopt;
}

// Any value as text: numbers in decimal, arrays as their elements joined by commas.
std::string ValueText(const CimValue& value) {
    struct Visitor {
        std::string operator()(const CimNull&) const { return {}; }
        std::string operator()(bool flag) const { return flag ? "true" : "false"; }
        std::string operator()(std::int64_t number) const { return std::to_string(number); }
        std::string operator()(std::uint64_t number) const { return std::to_string(number); }
        std::string operator()(double number) const {
            char text[32];
            return std::string(text, std::to_chars(text, text + sizeof text, number).ptr);
        }
        std::string operator()(const std::string& text) const { return text; }
        std::string operator()(const CimAliasRef& alias) const { return "$" + alias.alias; }
        std::string operator()(const CimEmbedded& embedded) const {
            return embedded.object->Definition().name;
        }
        std::string operator()(const CimArray& elements) const {
            std::string text;
            for (const CimValue& element : elements)
                text += (text.empty() ? "" : ", ") + std::visit(*this, element.data);
            return text;
        }
    };
    return std::visit(Visitor{}, value.data);
}

std::string CellTextOf(const CimObject& object, std::string_view name) {
    const CimValue* value = Held(object, name);
    return value != nullptr ? ValueText(*value) : std::string();
}

std::string DateTimeOf(const CimObject& object, std::string_view name) {
    const CimValue* value = Held(object, name);
    return value != nullptr ? LocalDateTime(ValueText(*value)) : std::string();
}

// The type in words; "Other" gives way to the sensor's own description of its type.
std::string SensorTypeCell(const CimObject& object, const TableLinks&) {
    const auto code = UnsignedOf(object, "SensorType");
    if (!code) return {};
    std::string other = CellTextOf(object, "OtherSensorTypeDescription");
    if (*code == kSensorTypeOther && !other.empty()) return other;
    const auto name = SensorTypeName(*code);
    return name ? std::string(*name) : std::to_string(*code);
}

std::int64_t UnitModifierOf(const CimObject& object) {
    return SignedOf(object, "UnitModifier").value_or(0);
}

std::string ReadingCell(const CimObject& object, const TableLinks&) {
    const auto reading = SignedOf(object, "CurrentReading");
    if (!reading) return {};
    return ValueWithUnits(*reading, UnitModifierOf(object), UnsignedOf(object, "BaseUnits"),
                          UnsignedOf(object, "RateUnits"));
}

struct ThresholdWords {
    std::string_view property;
    std::string_view words;
};

// From the lowest threshold to the highest, named as the sensors' states name them.
constexpr std::array<ThresholdWords, 6> kThresholds{{
    {"LowerThresholdFatal", "lower non-recoverable"},
    {"LowerThresholdCritical", "lower critical"},
    {"LowerThresholdNonCritical", "lower non-critical"},
    {"UpperThresholdNonCritical", "upper non-critical"},
    {"UpperThresholdCritical", "upper critical"},
    {"UpperThresholdFatal", "upper non-recoverable"},
}};

// The thresholds that are set, each with its value scaled as the reading is.
std::string ThresholdsCell(const CimObject& object, const TableLinks&) {
    std::string text;
    for (const ThresholdWords& threshold : kThresholds) {
        const auto value = SignedOf(object, threshold.property);
        if (!value) continue;
        text += (text.empty() ? "" : ", ") + std::string(threshold.words) + " " +
                ScaledValue(*value, UnitModifierOf(object));
    }
    return text;
}

// The sensor a log record applies to, when the links name one.
std::string RecordSensorCell(const CimObject& object, const TableLinks& links) {
    const auto sensor = links.recordSensors.find(object.RelativePath().value_or(""));
    return sensor != links.recordSensors.end() ? sensor->second : std::string();
}

// The severity of the record's meaning, read back from its RecordData.
std::string RecordSeverityCell(const CimObject& object, const TableLinks&) {
    const auto event = RecordEventOf(object);
    return event ? PerceivedSeverityText(RecordSeverity(*event)) : std::string();
}

std::string ConditionSeverityCell(const CimObject& object, const TableLinks&) {
    const auto code = UnsignedOf(object, "PerceivedSeverity");
    return code ? PerceivedSeverityText(*code) : std::string();
}

using CellText = std::string (*)(const CimObject&, const TableLinks&);

struct Column {
    TableColumn layout;
    CellText cell;
};

template <const std::string_view& kProperty>
std::string Text(const CimObject& object, const TableLinks&) {
    return CellTextOf(object, kProperty);
}

template <const std::string_view& kProperty>
std::string DateTime(const CimObject& object, const TableLinks&) {
    return DateTimeOf(object, kProperty);
}

constexpr std::string_view kName = "Name";
constexpr std::string_view kCaption = "Caption";
constexpr std::string_view kDescription = "Description";
constexpr std::string_view kInstanceId = "InstanceID";
constexpr std::string_view kNameFormat = "NameFormat";
constexpr std::string_view kCurrentState = "CurrentState";
constexpr std::string_view kRecordId = "RecordID";
constexpr std::string_view kMessageTimestamp = "MessageTimestamp";
constexpr std::string_view kRecordCount = "CurrentNumberOfRecords";
constexpr std::string_view kLastChange = "TimeOfLastStateChange";
constexpr std::string_view kMessage = "Message";
constexpr std::string_view kFirstTime = "FirstTime";
constexpr std::string_view kLastTime = "LastTime";
constexpr std::string_view kRepeatCount = "RepeatCount";

constexpr Column kNameColumn{{"Name", Align::Left, kNameWidth}, Text<kName>};
constexpr Column kCaptionColumn{{"Caption", Align::Left, kTextWidth}, Text<kCaption>};
constexpr Column kDescriptionColumn{{"Description", Align::Left, kLongTextWidth},
                                    Text<kDescription>};
constexpr Column kInstanceIdColumn{{"InstanceID", Align::Left, kTextWidth}, Text<kInstanceId>};
constexpr Column kTypeColumn{{"Type", Align::Left, kTextWidth}, SensorTypeCell};
constexpr Column kStateColumn{{"State", Align::Left, kTextWidth}, Text<kCurrentState>};

constexpr std::array kNumericSensorColumns{
    kNameColumn,
    kTypeColumn,
    Column{{"Reading", Align::Right, 0}, ReadingCell},
    Column{{"Thresholds", Align::Left, 0}, ThresholdsCell},
    kStateColumn,
};
constexpr std::array kSensorColumns{kNameColumn, kTypeColumn, kStateColumn};
constexpr std::array kLogRecordColumns{
    Column{{"Record", Align::Right, 0}, Text<kRecordId>},
    Column{{"Time", Align::Left, 0}, DateTime<kMessageTimestamp>},
    Column{{"Severity", Align::Left, 0}, RecordSeverityCell},
    Column{{"Sensor", Align::Left, kNameWidth}, RecordSensorCell},
    Column{{"Event", Align::Left, kLongTextWidth}, Text<kCaption>},
};
constexpr std::array kHealthConditionColumns{
    Column{{"Severity", Align::Left, 0}, ConditionSeverityCell},
    Column{{"Since", Align::Left, 0}, DateTime<kFirstTime>},
    Column{{"Latest", Align::Left, 0}, DateTime<kLastTime>},
    Column{{"Records", Align::Right, 0}, Text<kRepeatCount>},
    Column{{"Message", Align::Left, kLongTextWidth}, Text<kMessage>},
};
constexpr std::array kRecordLogColumns{
    kInstanceIdColumn,
    kNameColumn,
    Column{{"Records", Align::Right, 0}, Text<kRecordCount>},
    Column{{"Newest", Align::Left, 0}, DateTime<kLastChange>},
};
constexpr std::array kComputerSystemColumns{kNameColumn, kCaptionColumn, kDescriptionColumn};
constexpr std::array kAdminDomainColumns{kNameColumn, kCaptionColumn,
                                         Column{{"NameFormat", Align::Left, 0}, Text<kNameFormat>}};
constexpr std::array kCollectionColumns{kInstanceIdColumn, kCaptionColumn, kDescriptionColumn};

struct ClassColumns {
    std::string_view className;
    std::span<const Column> columns;
};

// A class without a row here is shown with the default columns.
constexpr auto kClassColumns = std::to_array<ClassColumns>({
    {norv::IdentityOf("NorvNumericSensorProv").servedClass, kNumericSensorColumns},
    {norv::IdentityOf("NorvSensorProv").servedClass, kSensorColumns},
    {norv::IdentityOf("NorvLogRecordProv").servedClass, kLogRecordColumns},
    {norv::IdentityOf("NorvRecordLogProv").servedClass, kRecordLogColumns},
    {norv::IdentityOf("NorvHealthConditionProv").servedClass, kHealthConditionColumns},
    {norv::IdentityOf("NorvComputerSystemProv").servedClass, kComputerSystemColumns},
    {norv::IdentityOf("NorvAdminDomainProv").servedClass, kAdminDomainColumns},
    {norv::IdentityOf("NorvSystemSpecificCollectionProv").servedClass, kCollectionColumns},
});

std::string OrNoValue(const std::string& text) {
    return text.empty() ? std::string(kNoValue) : text;
}

std::string ChosenTable(std::span<const Column> columns, std::span<const CimObject> objects,
                        const TableLinks& links) {
    std::vector<TableColumn> layout;
    for (const Column& column : columns) layout.push_back(column.layout);
    std::vector<TableRow> rows;
    for (const CimObject& object : objects) {
        TableRow& row = rows.emplace_back();
        for (const Column& column : columns) row.push_back(OrNoValue(column.cell(object, links)));
    }
    return LayOutTable(layout, rows);
}

// Name and Caption where the class has them, else every property that has a value.
std::string FallbackTable(std::span<const CimObject> objects) {
    const CimObject& first = objects.front();
    std::vector<std::string_view> shown;
    for (std::string_view name : {kName, kCaption})
        if (first.Find(name)) shown.push_back(name);
    if (shown.empty()) {
        for (std::size_t i = 0; i < first.PropertyCount(); ++i) {
            const std::string_view name = first.PropertyAt(i).name;
            for (const CimObject& object : objects) {
                if (Held(object, name) != nullptr) {
                    shown.push_back(name);
                    break;
                }
            }
        }
    }
    std::vector<TableColumn> layout;
    layout.reserve(shown.size());
    for (std::string_view name : shown) layout.push_back({name, Align::Left, kLongTextWidth});
    std::vector<TableRow> rows;
    for (const CimObject& object : objects) {
        TableRow& row = rows.emplace_back();
        for (std::string_view name : shown) {
            const auto index = object.Find(name);
            const bool isDateTime = index && object.PropertyAt(*index).type == CimType::DateTime;
            row.push_back(
                OrNoValue(isDateTime ? DateTimeOf(object, name) : CellTextOf(object, name)));
        }
    }
    return LayOutTable(layout, rows);
}

// The reference properties of an association, in the class's order (in each served
// association the near end comes first: Antecedent, Collection, GroupComponent, Log).
std::vector<std::string_view> References(const CimObject& object) {
    std::vector<std::string_view> references;
    for (std::size_t i = 0; i < object.PropertyCount(); ++i)
        if (object.PropertyAt(i).type == CimType::Reference) references.push_back(object.PropertyAt(i).name);
    return references;
}

// A row per link, the ends by name: "IPMI Controller 0 → TEMPERATURE 1(10.0.0)".
std::string AssociationTable(std::span<const CimObject> objects,
                             const std::vector<std::string_view>& references,
                             const ObjectNames& names) {
    constexpr std::string_view kArrow = " → ";
    std::string heading;
    for (std::string_view reference : references)
        heading += (heading.empty() ? "" : std::string(kArrow)) + std::string(reference);
    std::vector<TableRow> rows;
    for (const CimObject& object : objects) {
        std::string cell;
        for (std::string_view reference : references)
            cell += (cell.empty() ? "" : std::string(kArrow)) +
                    OrNoValue(names.NameOf(CellTextOf(object, reference)));
        rows.push_back({cell});
    }
    const std::vector<TableColumn> layout{{heading, Align::Left, 0}};
    return LayOutTable(layout, rows);
}

std::string ClassTable(std::span<const CimObject> objects, const TableLinks& links) {
    const std::string_view className = objects.front().Definition().name;
    if (links.endNames != nullptr && IsLink(objects.front()))
        return AssociationTable(objects, References(objects.front()), *links.endNames);
    for (const ClassColumns& chosen : kClassColumns)
        if (SameName(chosen.className, className)) return ChosenTable(chosen.columns, objects, links);
    return FallbackTable(objects);
}

}  // namespace

std::string InstancesTable(std::span<const CimObject> objects, const TableLinks& links) {
    // Class definitions (an association query's ClassDefsOnly) are listed by name.
    const bool classes = !objects.empty() && std::all_of(objects.begin(), objects.end(), [](const CimObject& o) {
        return o.GetGenus() == Genus::Class;
    });
    if (classes) {
        std::vector<TableRow> rows;
        for (const CimObject& object : objects) rows.push_back({object.Definition().name});
        const std::vector<TableColumn> layout{{"Class", Align::Left, 0}};
        return LayOutTable(layout, rows);
    }
    std::string text;
    std::size_t start = 0;
    while (start < objects.size()) {
        const std::string_view className = objects[start].Definition().name;
        std::size_t end = start + 1;
        while (end < objects.size() && SameName(objects[end].Definition().name, className)) ++end;
        if (!text.empty()) text += "\n";
        text += ClassTable(objects.subspan(start, end - start), links);
        start = end;
    }
    return text;
}

}  // namespace norvwmi
