#include "alerts/message_table_id.h"

namespace norv {

std::uint32_t MessageTableSeverity(std::uint16_t windowsEventType) {
    switch (windowsEventType) {
        case 4:
            return 1;
        case 2:
            return 2;
        case 1:
            return 3;
        default:
            return 0;
    }
}

std::uint32_t MessageTableId(const AlertMessage& message) {
    return MessageTableSeverity(WindowsEventType(message.severity)) << 30 |
           std::uint32_t{kAlertMessageFacility} << 16 | message.eventId;
}

}  // namespace norv
