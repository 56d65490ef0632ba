#include "message_file.h"

#include <cctype>
#include <string_view>

#include "alerts/alert_messages.h"
#include "alerts/message_table_id.h"
#include "hex_text.h"

namespace norv {

namespace {

// The severity names the file declares, by message-table severity (0 .. 3).
constexpr std::string_view kSeverityNames[] = {"Success", "Informational", "Warning", "Error"};

// "FanDegraded" -> "MSG_FAN_DEGRADED": the name the compiler's header defines.
std::string SymbolicName(std::string_view name) {
    std::string symbol = "MSG";
    for (char c : name) {
        if (std::isupper(static_cast<unsigned char>(c))) symbol += '_';
        symbol += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return symbol;
}

}  // namespace

std::string MessageFile() {
    std::string file =
        "; // The texts of the hardware alerts in the module's message table, so that the event\n"
        "; // log shows them. Written from the alert catalogue (src/alerts/alert_messages.h) by\n"
        "; // norv_alert_files; do not edit. Every text ends in %0: no line end after it.\n"
        "MessageIdTypedef=DWORD\n"
        "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\n"
        "               Informational=0x1:STATUS_SEVERITY_INFORMATIONAL\n"
        "               Warning=0x2:STATUS_SEVERITY_WARNING\n"
        "               Error=0x3:STATUS_SEVERITY_ERROR)\n";
    file += "FacilityNames=(Alerts=" + HexText(kAlertMessageFacility) + ":FACILITY_ALERTS)\n";
    file += "LanguageNames=(English=0x409:MSG00409)\n";
    for (const AlertMessage& message : kAlertMessages) {
        file += "\nMessageId=" + std::to_string(message.eventId) + "\n";
        file += "Severity=";
        file += kSeverityNames[MessageTableSeverity(WindowsEventType(message.severity))];
        file += "\nFacility=Alerts\nSymbolicName=" + SymbolicName(message.name) + "\n";
        file += "Language=English\n";
        file += message.text;
        file += "%0\n.\n";
    }
    return file;
}

}  // namespace norv
