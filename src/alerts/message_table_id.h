// The id of a catalogue message in the module's Windows message table: its 16-bit code, the
// severity its event log entries are written with, and the facility of the alerts.
#pragma once

#include <cstdint>

#include "alerts/alert_messages.h"

namespace norv {

// The facility of the alert messages (bits 27..16 of an id); the first 256 are the system's.
inline constexpr std::uint16_t kAlertMessageFacility = 0x100;

// The message-table severity (bits 31..30 of an id) of a Windows event type: 1 informational
// for 4 information, 2 warning for 2 warning, 3 error for 1 error; 0 success for any other.
std::uint32_t MessageTableSeverity(std::uint16_t windowsEventType);

// The full 32-bit id: what FormatMessage and an event log consumer's EventID take. The event
// log shows its low 16 bits, the message's eventId.
std::uint32_t MessageTableId(const AlertMessage& message);

}  // namespace norv
