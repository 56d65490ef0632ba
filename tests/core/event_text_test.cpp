#include "eventlog/event_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace norv {
namespace {

constexpr std::uint32_t kThreshold = 0x01;
constexpr std::uint32_t kSensorSpecific = 0x6F;

// dataUsage with the usage of event data 2 in bits 3..2 and of event data 3 in bits 1..0.
constexpr std::uint32_t Usage(std::uint32_t data2, std::uint32_t data3) {
    return (data2 << 2) | data3;
}

TEST(EventText, Composition) {
    struct Case {
        std::uint32_t eventType, sensorType, dataUsage, offset, eventData2, eventData3;
        const char* expected;
    };
    // clang-format off
    const Case cases[] = {
        // Threshold crossings, their trigger value and threshold.
        {kThreshold, 0x01, Usage(0, 0), 0, 0xFF, 0xFF, "Lower Non-critical - going low"},
        {kThreshold, 0x01, Usage(0, 0), 11, 0xFF, 0xFF, "Upper Non-recoverable - going high"},
        {kThreshold, 0x01, Usage(0, 0), 12, 0xFF, 0xFF, "N/A"},
        {kThreshold, 0x01, Usage(1, 0), 9, 70, 0, "Upper Critical - going high Value: 70"},
        {kThreshold, 0x01, Usage(1, 1), 9, 70, 65, "Upper Critical - going high Value: 70 Threshold: 65"},
        {kThreshold, 0x01, Usage(0, 1), 7, 0, 255, "Upper Non-critical - going high Threshold: 255"},
        {kThreshold, 0x01, Usage(1, 0), 0, 0x0F, 0, "Lower Non-critical - going low Value: 15"},  // a value, not a missing state
        // Previous state and severity of discrete events.
        {kSensorSpecific, 0x0C, Usage(0, 0), 1, 0xFF, 0xFF, "Uncorrectable ECC/other uncorrectable memory error"},
        {kSensorSpecific, 0x0C, Usage(1, 0), 0, 0x0F, 0xFF, "Correctable ECC/other correctable memory error.  Severity: Transition to OK"},
        {kSensorSpecific, 0x0C, Usage(1, 0), 0, 0xFF, 0xFF, "Correctable ECC/other correctable memory error"},
        {0x0A, 0x04, Usage(1, 0), 6, 0xF3, 0, "Transition to Degraded.  Previous event state: Transition to On Line"},
        {kSensorSpecific, 0x0C, Usage(1, 0), 4, 0x21, 0, "Memory Device Disabled.  Previous event state: Uncorrectable ECC/other uncorrectable memory error.  Severity: Transition to Critical from less severe"},
        {kSensorSpecific, 0x29, Usage(1, 0), 0, 0xF5, 0, "battery low.  Previous event state: N/A"},  // past its list
        {0x03, 0x12, Usage(1, 0), 1, 0x8F, 0, "State Asserted.  Severity: Informational"},  // the last severity
        {kSensorSpecific, 0x0C, Usage(1, 0), 0, 0x9F, 0, "Correctable ECC/other correctable memory error"},  // past the list
        {kSensorSpecific, 0x0C, Usage(0, 1), 0, 0, 42, "Correctable ECC/other correctable memory error"},  // only for thresholds
        // OEM codes.
        {kSensorSpecific, 0x12, Usage(2, 2), 0, 17, 85, "System Reconfigured OEM code: 17 OEM code: 85"},
        {kThreshold, 0x01, Usage(2, 0), 1, 3, 0, "Lower Non-critical - going high OEM code: 3"},
        {0x70, 0x0C, Usage(0, 2), 2, 0, 9, "OEM State: 2 OEM code: 9"},
        // Sensor-specific extensions: slot type and number, memory device.
        {kSensorSpecific, 0x21, Usage(3, 3), 2, 4, 3, "Device installed/attached other standard internal expansion slot, Slot/Connector Number: 3"},
        {kSensorSpecific, 0x21, Usage(3, 0), 0, 0, 0, "Fault Status assert PCI"},
        {kSensorSpecific, 0x21, Usage(3, 0), 0, 11, 0, "Fault Status assert SATA / SAS"},
        {kSensorSpecific, 0x21, Usage(3, 0), 0, 12, 0, "Fault Status assert"},  // slot type past the table
        {kSensorSpecific, 0x0C, Usage(0, 3), 1, 0xFF, 4, "Uncorrectable ECC/other uncorrectable memory error DIMM/SIMM/RIMM: 4"},
        {kSensorSpecific, 0x0C, Usage(3, 0), 1, 4, 0, "Uncorrectable ECC/other uncorrectable memory error"},
        {kSensorSpecific, 0x07, Usage(0, 3), 0, 0, 5, "IERR"},
        {0x70, 0x0C, Usage(0, 3), 2, 0, 4, "OEM State: 2"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(
            EventText(c.eventType, c.sensorType, c.dataUsage, c.offset, c.eventData2, c.eventData3),
            c.expected);
    }
    EXPECT_EQ(SlotConnectorText(0x21, 7), " DIMM/memory device");
    EXPECT_EQ(SlotConnectorText(0x0C, 7), "");
}

}  // namespace
}  // namespace norv
