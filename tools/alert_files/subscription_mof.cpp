#include "subscription_mof.h"

#include <string_view>

#include "alerts/alert_messages.h"
#include "alerts/message_table_id.h"
#include "hex_text.h"

namespace norv {

namespace {

constexpr std::string_view kNamespacePragma = "#pragma namespace(\"\\\\\\\\.\\\\root\\\\subscription\")\n";

// One filter, consumer and binding per message: a consumer writes one event id with one
// event type, so each message needs its own.
std::string MessageSubscription(const AlertMessage& message) {
    const std::string name(message.name);
    const std::string title = "Norvipmiprv " + name;
    std::string mof;
    mof += "instance of __EventFilter as $" + name + "Filter\n{\n";
    mof += "    Name = \"" + title + "\";\n";
    mof += "    EventNamespace = \"root\\\\cimv2\\\\ipmi\";\n";
    mof += "    QueryLanguage = \"WQL\";\n";
    mof += "    Query = \"SELECT * FROM AlertIndication WHERE MessageID = '" + MessageId(message) +
           "' AND PerceivedSeverity >= " + std::to_string(kEventLogSeverityThreshold) + "\";\n";
    mof += "};\n\n";
    mof += "instance of NTEventLogEventConsumer as $" + name + "Consumer\n{\n";
    mof += "    Name = \"" + title + "\";\n";
    mof += "    SourceName = \"Norvipmiprv\";\n";
    mof += "    EventID = " + HexText(MessageTableId(message)) + ";\n";
    mof += "    EventType = " + std::to_string(WindowsEventType(message.severity)) + ";\n";
    mof += "    NumberOfInsertionStrings = " + std::to_string(message.ArgumentCount()) + ";\n";
    mof += "    InsertionStringTemplates = {";
    for (std::size_t i = 1; i <= message.ArgumentCount(); ++i) {
        if (i > 1) mof += ", ";
        mof += "\"%MessageArgument" + std::to_string(i) + "%\"";
    }
    mof += "};\n};\n\n";
    mof += "instance of __FilterToConsumerBinding\n{\n";
    mof += "    Filter = $" + name + "Filter;\n";
    mof += "    Consumer = $" + name + "Consumer;\n";
    mof += "};\n";
    return mof;
}

// A MOF string literal of `text`.
std::string MofString(std::string_view text) {
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') literal += '\\';
        literal += c;
    }
    return literal + "\"";
}

std::string MessageSubscriptionRemoval(const AlertMessage& message) {
    const std::string title = "Norvipmiprv " + std::string(message.name);
    const std::string filter = "__EventFilter.Name=" + MofString(title);
    const std::string consumer = "NTEventLogEventConsumer.Name=" + MofString(title);
    const std::string binding = "__FilterToConsumerBinding.Consumer=" + MofString(consumer) +
                                ",Filter=" + MofString(filter);
    std::string mof;
    for (const std::string& path : {binding, consumer, filter})
        mof += "#pragma deleteinstance(" + MofString(path) + ", NOFAIL)\n";
    return mof;
}

}  // namespace

std::string SubscriptionRemovalMof() {
    std::string mof =
        "// Removes what AlertsToEventLog.mof installed: for every message its binding, its\n"
        "// consumer and its filter. NOFAIL lets mofcomp go on past what is not there, so\n"
        "// uninstall.cmd compiles it whether or not the subscription was installed.\n"
        "// Written from the alert catalogue (src/alerts/alert_messages.h) by norv_alert_files.\n" +
        std::string(kNamespacePragma);
    for (const AlertMessage& message : kAlertMessages) mof += MessageSubscriptionRemoval(message);
    return mof;
}

std::string SubscriptionMof() {
    std::string mof =
        "// Writes every hardware alert of severity " +
        std::to_string(kEventLogSeverityThreshold) +
        " (Major) or above to the Application event\n"
        "// log, under the event source Norvipmiprv that install.cmd registers: one filter on\n"
        "// AlertIndication, one NTEventLogEventConsumer (the message's event id, the event type\n"
        "// of its severity, its arguments as insertion strings) and one binding per message.\n"
        "// Compile it with\n"
        "//   mofcomp AlertsToEventLog.mof\n"
        "// To log from another severity, change every \"PerceivedSeverity >= " +
        std::to_string(kEventLogSeverityThreshold) +
        "\" below.\n"
        "// Written from the alert catalogue (src/alerts/alert_messages.h) by norv_alert_files.\n" +
        std::string(kNamespacePragma);
    for (const AlertMessage& message : kAlertMessages) mof += "\n" + MessageSubscription(message);
    return mof;
}

}  // namespace norv
