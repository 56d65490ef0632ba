#include "full_log_events.h"

#include <string_view>
#include <utility>
#include <vector>

#include "eventlog/management_log.h"
#include "platform/health_data_source.h"

namespace norv::bench {
namespace {

// An event the default platform's inventory maps: class, code, status and data bytes (the
// assembler pads every entry to six data bytes, the shortest an entry gets).
struct MappedEvent {
    std::uint16_t eventClass;
    std::uint16_t eventCode;
    std::uint8_t status;
    std::vector<std::uint8_t> data;
};

// Over the classes: POST, environment (fans, fan groups, temperatures, power), memory,
// operating system, recovery timer, processors, PCI, I/O, network adapters, slots.
const std::vector<MappedEvent>& MappedEvents() {
    static const std::vector<MappedEvent> events = {
        {33, 1, 2, {}},                  // POST error
        {11, 2, 3, {}},                  // real-time clock battery low
        {2, 2, 3, {0, 0, 0, 6}},         // fan 6 degraded
        {2, 6, 3, {0, 0, 0, 6}},         // its group loses redundancy
        {2, 4, 2, {0, 0, 0, 6}},         // fan 6 removed
        {2, 5, 2, {0, 0, 0, 6}},         // fan 6 inserted
        {2, 2, 6, {0, 0, 0, 6}},         // fan 6 back to OK
        {2, 7, 3, {0, 0, 0, 4, 5}},      // a shared fan group loses redundancy
        {2, 1, 4, {0, 0, 0, 3, 0, 43}},  // temperature 3 over its threshold
        {3, 1, 3, {0, 3}},               // correctable memory errors on DIMM 3
        {3, 11, 3, {0}},                 // DIMM redundancy degraded
        {3, 8, 3, {0, 10}},              // DIMM 10 disabled
        {14, 1, 4, {}},                  // operating system stop
        {14, 2, 2, {1}},                 // operating system soft shutdown
        {13, 2, 4, {}},                  // recovery timer expired
        {13, 1, 4, {}},                  // recovery power cycle
        {11, 8, 4, {0, 0, 0, 2, 5}},     // power supply 2 input lost
        {11, 6, 4, {}},                  // power redundancy lost
        {17, 1, 3, {0, 0, 0, 2}},        // network adapter port fault
        {17, 4, 3, {0, 0, 0, 2}},        // network adapters redundancy lost
        {9, 2, 2, {0, 0, 0, 3}},         // slot interlock opened
        {9, 1, 2, {0, 0, 0, 3}},         // slot interlock closed
        {5, 1, 3, {2, 0, 1}},            // processor degraded
        {5, 2, 4, {1, 0, 7}},            // processor internal error
        {8, 1, 4, {}},                   // PCI system error
        {7, 3, 4, {}},                   // I/O channel check
    };
    return events;
}

// The area the description's own events take (its KronSize, the header and the entries).
std::variant<std::size_t, std::string> AreaInUse(const norvwmi::MofFile& description) {
    auto loaded = norvwmi::LoadPlatform(description, "localhost");
    if (std::holds_alternative<norvwmi::MofError>(loaded)) return "the description does not load";
    const auto& platform = std::get<norvwmi::Platform>(loaded);
    const auto logs = platform.classes->Instances(kHealthNamespace, "KronInfo");
    if (logs.size() != 1) return "the description has no management log";
    for (const norvwmi::PropertyValue& value : logs.front()->values) {
        const auto* size = std::get_if<std::uint64_t>(&value.value.data);
        if (value.name == "KronSize" && size != nullptr) return static_cast<std::size_t>(*size);
    }
    return "the management log has no KronSize";
}

std::string EventMof(const norvwmi::LogEvent& event) {
    std::string text = "instance of Norvwmi_LogEvent\n{\n";
    const auto field = [&](std::string_view name, unsigned value) {
        text += "    " + std::string(name) + " = " + std::to_string(value) + ";\n";
    };
    field("Sequence", event.sequence);
    field("EventClass", event.eventClass);
    field("EventCode", event.eventCode);
    field("Status", event.status);
    field("Year", event.year);
    field("Month", event.month);
    field("Day", event.day);
    field("Hour", event.hour);
    field("Minute", event.minute);
    if (!event.data.empty()) {
        text += "    Data = {";
        for (std::size_t at = 0; at < event.data.size(); ++at)
            text += (at == 0 ? "" : ", ") + std::to_string(event.data[at]);
        text += "};\n";
    }
    return text + "};\n\n";
}

}  // namespace

norvwmi::LogEvent MappedLogEvent(std::size_t index, std::uint16_t firstSequence) {
    const MappedEvent& mapped = MappedEvents()[index % MappedEvents().size()];
    norvwmi::LogEvent event;
    event.sequence = static_cast<std::uint16_t>(firstSequence + index);
    event.eventClass = mapped.eventClass;
    event.eventCode = mapped.eventCode;
    event.status = mapped.status;
    const std::size_t minutes = index * 47;
    event.year = 2014;
    event.month = static_cast<std::uint8_t>(1 + (minutes / (60 * 24 * 28)) % 12);
    event.day = static_cast<std::uint8_t>(1 + (minutes / (60 * 24)) % 28);
    event.hour = static_cast<std::uint8_t>((minutes / 60) % 24);
    event.minute = static_cast<std::uint8_t>(minutes % 60);
    event.data = mapped.data;
    return event;
}

std::variant<norvwmi::MofFile, std::string> FullLogDescription() {
    norvwmi::MofFile description = norvwmi::DefaultPlatformDescription();
    const auto inUse = AreaInUse(description);
    if (const auto* error = std::get_if<std::string>(&inUse)) return *error;
    std::size_t used = std::get<std::size_t>(inUse);
    // Numbered after the description's own events, which stay the oldest.
    constexpr std::uint16_t kFirstAdded = 1000;
    description.name = "full-log.mof";
    description.text += "\ninstance of Norvwmi_LogArea\n{\n    KronSize = " +
                        std::to_string(kLogAreaCapacity) + ";\n};\n\n";
    for (std::size_t index = 0;; ++index) {
        const norvwmi::LogEvent event = MappedLogEvent(index, kFirstAdded);
        const auto entry = norvwmi::AssembleLogEntry(event);
        if (const auto* error = std::get_if<norvwmi::LogAssemblyError>(&entry))
            return error->message;
        const std::size_t size = std::get<std::vector<std::uint8_t>>(entry).size();
        if (used + size > kLogAreaCapacity) break;
        used += size;
        description.text += EventMof(event);
    }
    return description;
}

}  // namespace norv::bench
