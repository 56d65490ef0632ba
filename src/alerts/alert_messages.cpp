#include "alerts/alert_messages.h"

namespace norv {

namespace {

// Row i is message i, and the message-table ids run on from the first without a gap, so that
// the message table and the registry file written from these rows cannot drift apart.
constexpr bool RowsAreInKeyOrder() {
    for (std::size_t i = 0; i < kAlertMessages.size(); ++i) {
        if (static_cast<std::size_t>(kAlertMessages[i].key) != i) return false;
        if (kAlertMessages[i].eventId != kAlertMessages[0].eventId + i) return false;
    }
    return true;
}
static_assert(RowsAreInKeyOrder());
static_assert(kAlertMessages[0].eventId == 1000);

// Every argument a template names is given, and every argument given is named.
constexpr bool TemplatesNameTheirArguments() {
    for (const AlertMessage& message : kAlertMessages) {
        for (std::size_t n = 1; n <= kMaxMessageArguments; ++n) {
            const char marker[] = {'%', static_cast<char>('0' + n), '\0'};
            const bool named = message.text.find(marker) != std::string_view::npos;
            if (named != (n <= message.ArgumentCount())) return false;
        }
    }
    return true;
}
static_assert(TemplatesNameTheirArguments());

}  // namespace

const AlertMessage& MessageOf(MessageKey key) {
    return kAlertMessages[static_cast<std::size_t>(key)];
}

std::string MessageId(const AlertMessage& message) {
    std::string id(message.registry);
    id += '.';
    id += message.name;
    return id;
}

std::string_view OwningEntity(const AlertMessage& message) {
    return message.registry == kSensorEventRegistry ? kSensorEventOwningEntity : kOwnOwningEntity;
}

std::string_view ArgumentName(MessageArgument argument) {
    switch (argument) {
        case MessageArgument::None:
            break;
        case MessageArgument::SensorLabel:
            return "sensor";
        case MessageArgument::Reading:
            return "reading";
        case MessageArgument::ReadingUnits:
            return "units";
        case MessageArgument::Threshold:
            return "threshold";
        case MessageArgument::PostErrorNumber:
            return "POST error number";
        case MessageArgument::RepairedEventText:
            return "repaired event";
        case MessageArgument::RecordCaption:
            return "record caption";
    }
    return "";
}

bool IsNumberArgument(MessageArgument argument) {
    return argument == MessageArgument::Reading || argument == MessageArgument::Threshold;
}

std::string_view RedfishSeverity(PerceivedSeverity severity) {
    switch (severity) {
        case PerceivedSeverity::Information:
            return "OK";
        case PerceivedSeverity::Major:
        case PerceivedSeverity::Critical:
        case PerceivedSeverity::FatalNonRecoverable:
            return "Critical";
        case PerceivedSeverity::Unknown:
        case PerceivedSeverity::DegradedWarning:
        case PerceivedSeverity::Minor:
            break;
    }
    return "Warning";
}

std::uint16_t WindowsEventType(PerceivedSeverity severity) {
    constexpr std::uint16_t kError = 1;
    constexpr std::uint16_t kWarning = 2;
    constexpr std::uint16_t kInformation = 4;
    const std::string_view redfish = RedfishSeverity(severity);
    return redfish == "OK" ? kInformation : redfish == "Critical" ? kError : kWarning;
}

}  // namespace norv
