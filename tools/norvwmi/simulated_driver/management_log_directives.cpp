#include "simulated_driver/management_log_directives.h"

#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "simulated_driver/management_log_assembly.h"
#include "simulated_driver/platform_loading.h"

namespace norvwmi {

namespace {

constexpr std::string_view kHealthNamespace = "root\\wmi";

LogAreaLayout ReadLayout(const InstanceDefinition& directive) {
    LogAreaLayout layout;
    layout.size = UnsignedOf<std::uint32_t>(directive, "KronSize");
    layout.wrapAfter = UnsignedOf<std::uint32_t>(directive, "WrapAfter").value_or(0);
    layout.headerEnd = UnsignedOf<std::uint16_t>(directive, "HeaderEnd");
    layout.headerStart = UnsignedOf<std::uint16_t>(directive, "HeaderStart");
    return layout;
}

// The line that gives the area's HeaderEnd.
int HeaderEndLine(const InstanceDefinition& area) {
    for (const PropertyValue& value : area.values)
        if (SameName(value.name, "HeaderEnd")) return value.where.line;
    return area.where.line;
}

}  // namespace

std::variant<LogEvent, MofError> ReadLogEvent(const InstanceDefinition& directive) {
    LogEvent event;
    const auto eventClass = UnsignedOf<std::uint16_t>(directive, "EventClass");
    const auto eventCode = UnsignedOf<std::uint16_t>(directive, "EventCode");
    if (!eventClass || !eventCode)
        return ErrorAt(directive.where, directive.className + " needs EventClass and EventCode");
    event.sequence = UnsignedOf<std::uint16_t>(directive, "Sequence").value_or(0);
    event.eventClass = *eventClass;
    event.eventCode = *eventCode;
    event.status = UnsignedOf<std::uint8_t>(directive, "Status").value_or(0);
    event.year = UnsignedOf<std::uint16_t>(directive, "Year").value_or(0);
    event.month = UnsignedOf<std::uint8_t>(directive, "Month").value_or(0);
    event.day = UnsignedOf<std::uint8_t>(directive, "Day").value_or(0);
    event.hour = UnsignedOf<std::uint8_t>(directive, "Hour").value_or(0);
    event.minute = UnsignedOf<std::uint8_t>(directive, "Minute").value_or(0);
    event.data = BytesOf(directive, "Data");
    if (const CimValue* text = ValueOf(directive, "Text"))
        if (const auto* chars = std::get_if<std::string>(&text->data)) event.text = *chars;
    event.length = UnsignedOf<std::uint16_t>(directive, "Length");

    // Checked here so that the error points at the event's own lines.
    const auto entry = AssembleLogEntry(event);
    if (const auto* error = std::get_if<LogAssemblyError>(&entry))
        return ErrorAt(directive.where, error->message);
    return event;
}

std::variant<std::optional<DescribedLog>, MofError> ReadManagementLog(
    const Repository& repository) {
    const auto eventDirectives = repository.Instances(kDirectiveNamespace, kLogEventClass);
    const auto areaDirectives = repository.Instances(kDirectiveNamespace, kLogAreaClass);
    const auto appendDirectives = repository.Instances(kDirectiveNamespace, kLogAppendClass);
    const auto dropDirectives = repository.Instances(kDirectiveNamespace, kLogDropClass);
    // A singleton class has at most one instance.
    const InstanceDefinition* origin = !areaDirectives.empty()     ? areaDirectives.front()
                                       : !eventDirectives.empty()  ? eventDirectives.front()
                                       : !appendDirectives.empty() ? appendDirectives.front()
                                       : !dropDirectives.empty()   ? dropDirectives.front()
                                                                   : nullptr;
    if (!origin) return std::nullopt;

    const auto declared = repository.Instances(kHealthNamespace, kManagementLogClass);
    if (!declared.empty())
        return ErrorAt(declared.front()->where,
                       "instance of " + std::string(kManagementLogClass) +
                           " in a description whose log directives make that instance");

    DescribedLog log;
    for (const InstanceDefinition* directive : eventDirectives) {
        auto event = ReadLogEvent(*directive);
        if (auto* error = std::get_if<MofError>(&event)) return *error;
        log.events.push_back(std::get<LogEvent>(std::move(event)));
    }
    if (!areaDirectives.empty()) log.layout = ReadLayout(*origin);
    log.where = origin->where;
    // A watch assembles the area anew with the same layout after each step, so a fixed end
    // would stay where it was written and the appended entries would lie unread past it.
    if (log.layout.headerEnd && !appendDirectives.empty())
        return ErrorAt(appendDirectives.front()->where,
                       std::string(kLogAppendClass) +
                           " appends to a log area whose HeaderEnd (line " +
                           std::to_string(HeaderEndLine(*origin)) +
                           ") is fixed: the appended entries would lie past the header's end, "
                           "where no reader of the log looks");
    return log;
}

CimValue LogAreaValue(const std::vector<std::uint8_t>& area) {
    CimValue value;
    CimArray& bytes = value.data.emplace<CimArray>(area.size());
    for (std::size_t i = 0; i < area.size(); ++i) bytes[i].data = std::uint64_t{area[i]};
    return value;
}

InstanceDefinition ManagementLogInstance(const std::vector<std::uint8_t>& area,
                                         const SourceLocation& where) {
    InstanceDefinition log;
    log.className = std::string(kManagementLogClass);
    log.nameSpace = std::string(kHealthNamespace);
    log.where = where;
    log.values = {
        {"InstanceName", CimValue{std::string(kManagementLogInstanceName)}, where},
        {"Active", CimValue{true}, where},
        {"KronSize", CimValue{std::uint64_t{area.size()}}, where},
        {"KronData", LogAreaValue(area), where},
    };
    return log;
}

std::optional<MofError> AddManagementLog(Repository& repository, const DescribedLog& log) {
    auto area = AssembleLogArea(log.events, log.layout);
    if (auto* error = std::get_if<LogAssemblyError>(&area))
        return ErrorAt(log.where, error->message);
    MofDocument document;
    document.file = log.where.file;
    document.instances.push_back(
        ManagementLogInstance(std::get<std::vector<std::uint8_t>>(area), log.where));
    return repository.Add(document);
}

}  // namespace norvwmi
