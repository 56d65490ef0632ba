// A log record's event read back from its RecordData, for the table's Severity column and the
// summary's worst condition: every field at its place, and a text of another shape refused
// (tests/data/norvwmi/record_events.txt).
#include "program/record_event.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/case_file.h"

namespace norvwmi {
namespace {

TEST(RecordEvent, ReadsTheEventFieldsAtTheirPlacesAndRefusesAnotherShape) {
    norv::test::ExpectCases("record_events.txt", [](const std::string& input) -> std::string {
        const auto event = RecordEvent(input);
        if (!event) return "no event";
        char fields[128];
        std::snprintf(fields, sizeof fields,
                      "sensor type %02x, event type %02x, deassertion %u, offset %u, usage %02x, "
                      "data %02x %02x, severity %u: ",
                      event->sensorType, event->eventType, event->deassertion, event->offset,
                      event->dataUsage, event->eventData2, event->eventData3,
                      RecordSeverity(*event));
        return "device '" + event->deviceId + "', " + fields + RecordEventText(*event);
    });
}

}  // namespace
}  // namespace norvwmi
