#include "registry_file.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

#include "alerts/alert_messages.h"
#include "alerts/event_meanings.h"
#include "eventlog/event_text.h"

namespace norv {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kRaisingResolution =
    "Check the component named in the message; repair or replace it, then mark the log entry "
    "repaired or clear the log.";
constexpr std::string_view kNoResolution = "None.";

std::string_view ArgumentDescription(MessageArgument argument) {
    switch (argument) {
        case MessageArgument::SensorLabel:
            return "The name and device id of the sensor, as in its log record.";
        case MessageArgument::Reading:
            return "The reading of the sensor.";
        case MessageArgument::ReadingUnits:
            return "The reading units of measure.";
        case MessageArgument::Threshold:
            return "The value of the threshold.";
        case MessageArgument::PostErrorNumber:
            return "The POST error number, or 'unspecified'.";
        case MessageArgument::RepairedEventText:
            return "The IPMI event text of the repaired condition.";
        case MessageArgument::RecordCaption:
            return "The caption of the log record.";
        case MessageArgument::None:
            break;
    }
    return "";
}

// The meanings that carry the message, base forms first as the table lists them.
std::vector<const EventMeaning*> MeaningsOf(MessageKey key) {
    std::vector<const EventMeaning*> meanings;
    for (const EventMeaning& meaning : EventMeanings())
        if (meaning.message == key) meanings.push_back(&meaning);
    return meanings;
}

std::string Description(const AlertMessage& message,
                        const std::vector<const EventMeaning*>& meanings) {
    if (message.key == MessageKey::ConditionRepaired)
        return "Indicates that the platform marked the log entry of a condition repaired.";
    if (meanings.empty()) return "Indicates a log entry whose event has no meaning in this registry.";
    const SelEventKey& event = meanings.front()->event;
    const std::string text =
        EventText(event.eventType, event.sensorType, kDataUnused, event.offset, 0, 0);
    return event.direction == EventDirection::Deassertion
               ? "Indicates the deassertion of the IPMI event '" + text + "' of the component."
               : "Indicates the IPMI event '" + text + "' of the component.";
}

Json MessageEntry(const AlertMessage& message) {
    const std::vector<const EventMeaning*> meanings = MeaningsOf(message.key);
    Json entry;
    entry["Description"] = Description(message, meanings);
    entry["Message"] = message.text;
    entry["MessageSeverity"] = RedfishSeverity(message.severity);
    entry["Severity"] = RedfishSeverity(message.severity);
    entry["NumberOfArgs"] = message.ArgumentCount();
    Json types = Json::array();
    Json descriptions = Json::array();
    for (std::size_t i = 0; i < message.ArgumentCount(); ++i) {
        types.push_back(IsNumberArgument(message.arguments[i]) ? "number" : "string");
        descriptions.push_back(ArgumentDescription(message.arguments[i]));
    }
    entry["ParamTypes"] = types;
    entry["ArgDescriptions"] = descriptions;

    const bool raises = std::any_of(meanings.begin(), meanings.end(), [](const EventMeaning* m) {
        return m->effect == ConditionEffect::Raises;
    });
    entry["Resolution"] = raises ? kRaisingResolution : kNoResolution;

    std::vector<std::string_view> cleared;
    bool clearsAll = false;
    for (const EventMeaning* meaning : meanings) {
        clearsAll = clearsAll || meaning->effect == ConditionEffect::ClearsAll;
        for (MessageKey key : meaning->Cleared()) cleared.push_back(MessageOf(key).name);
    }
    std::sort(cleared.begin(), cleared.end());
    cleared.erase(std::unique(cleared.begin(), cleared.end()), cleared.end());
    if (clearsAll) {
        entry["ClearingLogic"] = {{"ClearsIf", "SameOriginOfCondition"}, {"ClearsAll", true}};
    } else if (!cleared.empty()) {
        entry["ClearingLogic"] = {{"ClearsIf", "SameOriginOfCondition"},
                                  {"ClearsMessage", cleared}};
    }
    return entry;
}

}  // namespace

std::string RegistryFile() {
    Json registry;
    registry["@Redfish.Copyright"] = "Copyright 2026 the Norvipmiprv developers.";
    registry["@odata.type"] = "#MessageRegistry.v1_6_2.MessageRegistry";
    registry["Id"] = kRegistryId;
    registry["Name"] = "Norvipmiprv Hardware Event Message Registry";
    registry["Language"] = "en";
    registry["Description"] =
        "This registry defines the messages of the hardware alerts that the Norvipmiprv "
        "provider raises from the platform's management log.";
    registry["RegistryPrefix"] = kOwnOwningEntity;
    registry["RegistryVersion"] = "1.0.0";
    registry["OwningEntity"] = kOwnOwningEntity;
    Json messages = Json::object();
    for (const AlertMessage& message : kAlertMessages)
        if (message.registry == kOwnRegistry) messages[std::string(message.name)] = MessageEntry(message);
    registry["Messages"] = messages;
    return registry.dump(4) + "\n";
}

}  // namespace norv
