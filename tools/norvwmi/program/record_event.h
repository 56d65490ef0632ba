// A log record's SEL event read back from its RecordData ("*device id*record id*...*event
// data 3*", bytes in hexadecimal), for what the table and the summary say of a record: the
// severity of its meaning and its event text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "eventlog/sel_entry.h"
#include "repository/cim_object.h"

namespace norvwmi {

// The event fields of the record (device id, sensor type, direction, event type, offset and
// data usage, event data 2 and 3); nullopt for a RecordData of another shape.
std::optional<norv::SelEntry> RecordEvent(std::string_view recordData);
std::optional<norv::SelEntry> RecordEventOf(const CimObject& record);

// The PerceivedSeverity of the event's meaning.
std::uint16_t RecordSeverity(const norv::SelEntry& event);

// The event's text, as the record's caption ends.
std::string RecordEventText(const norv::SelEntry& event);

}  // namespace norvwmi
