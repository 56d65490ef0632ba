// The one-line English text of a SEL event, composed from its state text and the
// meaning of event data 2 and 3.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace norv {

// Texts that only events use, blanks included.
inline constexpr std::string_view kEventOemCodeText = " OEM code: ";
inline constexpr std::string_view kEventValueText = " Value: ";
inline constexpr std::string_view kEventThresholdText = " Threshold: ";
inline constexpr std::string_view kEventPreviousStateText = ".  Previous event state: ";
inline constexpr std::string_view kEventSeverityText = ".  Severity: ";
inline constexpr std::string_view kEventMemoryDeviceText = " DIMM/SIMM/RIMM: ";
inline constexpr std::string_view kEventSlotNumberText = ", Slot/Connector Number: ";

// Slot/connector types by event data 2 of a Slot/Connector event.
inline constexpr std::array<std::string_view, 12> kSlotConnectorTexts = {
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

// dataUsage: bits 3..2 say how event data 2 is used, bits 1..0 how event data 3 is used
// (0 unused, 1 state or threshold data, 2 OEM code, 3 sensor-specific extension).
inline constexpr std::uint32_t kDataUnused = 0;
inline constexpr std::uint32_t kDataStateOrThreshold = 1;
inline constexpr std::uint32_t kDataOemCode = 2;
inline constexpr std::uint32_t kDataSensorSpecific = 3;

// The slot/connector type text for a Slot/Connector sensor (type 0x21); empty for any
// other sensor type and for a type index past the table.
std::string_view SlotConnectorText(std::uint32_t sensorType, std::uint32_t index);

// A threshold event offset past the threshold event list reads "N/A"; a severity or slot
// type past its table adds nothing.
std::string EventText(std::uint32_t eventType, std::uint32_t sensorType, std::uint32_t dataUsage,
                      std::uint32_t offset, std::uint32_t eventData2, std::uint32_t eventData3);
// The same text, added at the end of `text`.
void AppendEventText(std::string& text, std::uint32_t eventType, std::uint32_t sensorType,
                     std::uint32_t dataUsage, std::uint32_t offset, std::uint32_t eventData2,
                     std::uint32_t eventData3);

}  // namespace norv
