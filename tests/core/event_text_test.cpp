#include "eventlog/event_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace norv {
namespace {

constexpr std::uint32_t kThreshold = 0x01;
constexpr std::uint32_t kSensorSpecific = 0x6F;

// dataUsage with the usage of event data 2 in bits 3..2 and of event data 3 in bits 1..0.
constexpr std::uint32_t Usage(std::uint32_t data2, std::uint32_t data3) {
    return (data2 << 2) | data3;
}

struct EventTextCase {
    const char* what;
    std::uint32_t eventType;
    std::uint32_t sensorType;
    std::uint32_t dataUsage;
    std::uint32_t offset;
    std::uint32_t eventData2;
    std::uint32_t eventData3;
    std::string expected;
};

void ExpectTexts(const std::vector<EventTextCase>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(EventText(c.eventType, c.sensorType, c.dataUsage, c.offset, c.eventData2,
                            c.eventData3),
                  c.expected)
            << c.what;
    }
}

TEST(EventText, ThresholdEventsNameTheCrossingInEveryOffset) {
    const std::vector<std::string> crossings = {
        "Lower Non-critical - going low",
        "Lower Non-critical - going high",
        "Lower Critical - going low",
        "Lower Critical - going high",
        "Lower Non-recoverable - going low",
        "Lower Non-recoverable - going high",
        "Upper Non-critical - going low",
        "Upper Non-critical - going high",
        "Upper Critical - going low",
        "Upper Critical - going high",
        "Upper Non-recoverable - going low",
        "Upper Non-recoverable - going high",
    };
    for (std::uint32_t offset = 0; offset < crossings.size(); ++offset) {
        EXPECT_EQ(EventText(kThreshold, 0x01, Usage(0, 0), offset, 0xFF, 0xFF),
                  crossings[offset]);
    }
    // Past the list: no text of its own.
    EXPECT_EQ(EventText(kThreshold, 0x01, Usage(0, 0), 12, 0xFF, 0xFF), "N/A");
}

TEST(EventText, ThresholdEventData) {
    ExpectTexts({
        {"trigger value", kThreshold, 0x01, Usage(1, 0), 9, 70, 0,
         "Upper Critical - going high Value: 70"},
        {"trigger value and threshold", kThreshold, 0x01, Usage(1, 1), 9, 70, 65,
         "Upper Critical - going high Value: 70 Threshold: 65"},
        {"threshold only", kThreshold, 0x01, Usage(0, 1), 7, 0, 255,
         "Upper Non-critical - going high Threshold: 255"},
        {"value 0x0F is a value, not a missing state", kThreshold, 0x01, Usage(1, 0), 0, 0x0F,
         0, "Lower Non-critical - going low Value: 15"},
    });
}

TEST(EventText, DiscreteEventPreviousStateAndSeverity) {
    ExpectTexts({
        {"memory event with default data", kSensorSpecific, 0x0C, Usage(0, 0), 1, 0xFF, 0xFF,
         "Uncorrectable ECC/other uncorrectable memory error"},
        {"severity only", kSensorSpecific, 0x0C, Usage(1, 0), 0, 0x0F, 0xFF,
         "Correctable ECC/other correctable memory error.  Severity: Transition to OK"},
        {"neither previous state nor severity", kSensorSpecific, 0x0C, Usage(1, 0), 0, 0xFF,
         0xFF, "Correctable ECC/other correctable memory error"},
        {"previous state only", 0x0A, 0x04, Usage(1, 0), 6, 0xF3, 0,
         "Transition to Degraded.  Previous event state: Transition to On Line"},
        {"previous state and severity", kSensorSpecific, 0x0C, Usage(1, 0), 4, 0x21, 0,
         "Memory Device Disabled.  Previous event state: Uncorrectable ECC/other "
         "uncorrectable memory error.  Severity: Transition to Critical from less severe"},
        {"previous state past its list", kSensorSpecific, 0x29, Usage(1, 0), 0, 0xF5, 0,
         "battery low.  Previous event state: N/A"},
        {"severity past its list adds nothing", kSensorSpecific, 0x0C, Usage(1, 0), 0, 0x9F, 0,
         "Correctable ECC/other correctable memory error"},
        {"data 3 usage 1 is only meaningful for thresholds", kSensorSpecific, 0x0C,
         Usage(0, 1), 0, 0, 42, "Correctable ECC/other correctable memory error"},
    });
}

TEST(EventText, EverySeverity) {
    const std::vector<std::string> severities = {
        "Transition to OK",
        "Transition to Non-Critical from OK",
        "Transition to Critical from less severe",
        "Transition to Non-recoverable from less severe",
        "Transition to Non-Critical from more severe",
        "Transition to Critical from Non-recoverable",
        "Transition to Non-recoverable",
        "Monitor",
        "Informational",
    };
    for (std::uint32_t severity = 0; severity < severities.size(); ++severity) {
        EXPECT_EQ(EventText(0x03, 0x12, Usage(1, 0), 1, (severity << 4) | 0x0F, 0),
                  "State Asserted.  Severity: " + severities[severity]);
    }
}

TEST(EventText, OemCodes) {
    ExpectTexts({
        {"both OEM", kSensorSpecific, 0x12, Usage(2, 2), 0, 17, 85,
         "System Reconfigured OEM code: 17 OEM code: 85"},
        {"OEM data 2 on a threshold event", kThreshold, 0x01, Usage(2, 0), 1, 3, 0,
         "Lower Non-critical - going high OEM code: 3"},
        {"OEM event type", 0x70, 0x0C, Usage(0, 2), 2, 0, 9, "OEM State: 2 OEM code: 9"},
    });
}

TEST(EventText, SensorSpecificExtensions) {
    ExpectTexts({
        {"slot event", kSensorSpecific, 0x21, Usage(3, 3), 2, 4, 3,
         "Device installed/attached other standard internal expansion slot, "
         "Slot/Connector Number: 3"},
        {"memory device", kSensorSpecific, 0x0C, Usage(0, 3), 1, 0xFF, 4,
         "Uncorrectable ECC/other uncorrectable memory error DIMM/SIMM/RIMM: 4"},
        {"data 2 extension on a non-slot sensor", kSensorSpecific, 0x0C, Usage(3, 0), 1, 4, 0,
         "Uncorrectable ECC/other uncorrectable memory error"},
        {"data 3 extension on another sensor type", kSensorSpecific, 0x07, Usage(0, 3), 0, 0, 5,
         "IERR"},
        {"OEM event type ignores the data 3 extension", 0x70, 0x0C, Usage(0, 3), 2, 0, 4,
         "OEM State: 2"},
        {"slot type past the table adds nothing", kSensorSpecific, 0x21, Usage(3, 0), 0, 12, 0,
         "Fault Status assert"},
    });
}

TEST(SlotConnectorText, EveryTypeOfASlotSensor) {
    const std::vector<std::string> slotTypes = {
        " PCI",
        " Drive Array",
        " External Peripheral Connector",
        " Docking",
        " other standard internal expansion slot",
        " slot associated with entity specified by Entity ID for sensor",
        " Advanced TCA",
        " DIMM/memory device",
        " FAN",
        " PCI Express",
        " SCSI",
        " SATA / SAS",
    };
    for (std::uint32_t index = 0; index < slotTypes.size(); ++index) {
        EXPECT_EQ(SlotConnectorText(0x21, index), slotTypes[index]) << index;
        EXPECT_EQ(SlotConnectorText(0x0C, index), "") << index;
    }
    EXPECT_EQ(SlotConnectorText(0x21, 12), "");
}

}  // namespace
}  // namespace norv
