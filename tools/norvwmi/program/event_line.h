// The line `norvwmi watch --format table` prints for each event as it arrives (a table's
// heading would need every row before the first): the event's class, when the host received
// it, and what the event is about, by its target instance's class:
//   __InstanceCreationEvent  2014-08-01 06:15:02  LogRecord 5: OS Stop / Shutdown Assert: ...
//   __InstanceModificationEvent  2014-08-01 06:15:07  NumericSensor TEMPERATURE 1(10.0.0): OK →
//   Upper Critical
// A log record shows its id and event text; a sensor its name and state, the previous one
// first when the event carries PreviousInstance; any other target its name. Texts are cut
// as the table view cuts them. An event without a TargetInstance (an extrinsic event) shows
// instead each of its properties that holds a value, in the order the object lists them:
//   AlertIndication  2014-08-01 06:15:02  Message="Fan 2 failed" PerceivedSeverity=6
// a text as a MOF literal cut as a cell, an embedded object by its class. An AlertIndication
// shows when it was made (IndicationTime, as the tables write a date-time), its severity as
// the tables name it, its MessageID and its whole Message:
//   AlertIndication  2014-08-01 06:15:02  Major  Norvipmiprv.1.0.FanRemoved  Fan 'FAN 1' was removed.
#pragma once

#include <string>
#include <string_view>

#include "repository/cim_object.h"

namespace norvwmi {

// The line without its end; `received` is the local date and time the event arrived, as the
// line shows it.
std::string EventLine(const CimObject& event, std::string_view received);

}  // namespace norvwmi
