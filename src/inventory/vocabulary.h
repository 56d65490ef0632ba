// The IPMI text vocabulary: state texts by event/reading type and sensor type, entity
// and sensor-type texts, and the codes the platform's own values translate to. Texts
// are narrow Windows-1252 (the typographic quotes are single bytes 0x91..0x94).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norv {

// Event/reading types.
inline constexpr std::uint32_t kReadingThreshold = 0x01;
inline constexpr std::uint32_t kReadingGenericFirst = 0x02;
inline constexpr std::uint32_t kReadingGenericLast = 0x0C;
inline constexpr std::uint32_t kReadingSeverity = 0x07;
inline constexpr std::uint32_t kReadingSensorSpecific = 0x6F;
inline constexpr std::uint32_t kReadingOemFirst = 0x70;

// Sensor types the rules single out.
inline constexpr std::uint32_t kSensorTypeTemperature = 0x01;
inline constexpr std::uint32_t kSensorTypeVoltage = 0x02;
inline constexpr std::uint32_t kSensorTypeCurrent = 0x03;
inline constexpr std::uint32_t kSensorTypeFan = 0x04;
inline constexpr std::uint32_t kSensorTypePowerSupply = 0x08;
inline constexpr std::uint32_t kSensorTypeMemory = 0x0C;
inline constexpr std::uint32_t kSensorTypeSlotConnector = 0x21;
inline constexpr std::uint32_t kSensorTypeWatchdog2 = 0x23;
inline constexpr std::uint32_t kSensorTypeOemFirst = 0xC0;

// Special state codes beside the state offsets 0..15, valid for any sensor.
inline constexpr std::uint8_t kStateOk = 16;
inline constexpr std::uint8_t kStateDeasserted = 17;
inline constexpr std::uint8_t kStateNotApplicable = 18;

// The texts of the special state codes.
inline constexpr std::string_view kStateTextOk = "OK";
inline constexpr std::string_view kStateTextDeasserted = "Deasserted";
inline constexpr std::string_view kStateTextNotApplicable = "N/A";

using StateList = std::span<const std::string_view>;

// State texts of a threshold or sensor-specific sensor of this sensor type, by state offset;
// empty for a type without texts.
StateList SensorTypeStates(std::uint32_t sensorType);

// State texts of the generic event/reading types 0x01..0x0C, by offset; empty for others.
// 0x01 is the list of threshold events, 0x07 the list of severities.
StateList GenericStates(std::uint32_t eventReadingType);

// The text of one state. States 16, 17 and 18 are "OK", "Deasserted" and "N/A" for any
// sensor; a state without a text (past the end of its list) reads "N/A".
std::string StateText(std::uint32_t eventReadingType, std::uint32_t sensorType,
                      std::uint32_t state);
// The same text added at the end of `text`: an event's text is built without a copy of it.
void AppendStateText(std::string& text, std::uint32_t eventReadingType, std::uint32_t sensorType,
                     std::uint32_t state);

// The ordered list of state texts a sensor of this type offers.
std::vector<std::string> PossibleStates(std::uint32_t eventReadingType, std::uint32_t sensorType);

// Entity ids 0..47 have a text; any other id reads "Unspecified".
std::string_view EntityText(std::uint32_t entityId);

// Sensor types 0x00..0x2D have a text, 0x2E..0xBF an empty one, 0xC0 and above "OEM".
std::string_view SensorTypeText(std::uint32_t sensorType);

// The IPMI entity code of a health-driver locale code.
std::uint32_t LocaleToEntity(std::uint8_t locale);

// The CIM SensorType value of an IPMI sensor type.
std::uint32_t CimSensorType(std::uint32_t sensorType);

// The CIM BaseUnits and RateUnits codes of the temperature sensors' readings.
inline constexpr std::uint32_t kCimUnitsDegreesCelsius = 2;
inline constexpr std::uint32_t kCimRateUnitsNone = 0;

}  // namespace norv
