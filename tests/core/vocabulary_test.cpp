#include "inventory/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace norv {
namespace {

constexpr std::uint32_t kThreshold = 0x01;
constexpr std::uint32_t kSensorSpecific = 0x6F;

// Every state text a sensor of this kind can show, read through StateText.
std::vector<std::string> ReadStates(std::uint32_t eventReadingType, std::uint32_t sensorType,
                                    std::uint32_t count) {
    std::vector<std::string> states;
    for (std::uint32_t state = 0; state < count; ++state) {
        states.push_back(StateText(eventReadingType, sensorType, state));
    }
    return states;
}

struct StateListCase {
    std::uint32_t type;
    std::uint32_t length;
    const char* first;
    const char* last;
};

void ExpectList(std::uint32_t eventReadingType, std::uint32_t sensorType,
                const StateListCase& c) {
    EXPECT_EQ(StateText(eventReadingType, sensorType, 0), c.first);
    EXPECT_EQ(StateText(eventReadingType, sensorType, c.length - 1), c.last);
    // The state after the last has no text of its own.
    EXPECT_EQ(StateText(eventReadingType, sensorType, c.length), "N/A");
}

TEST(StateText, SensorTypeListsOfSensorSpecificSensors) {
    const std::vector<StateListCase> cases = {
        {0x05, 7, "General Chassis Intrusion", "FAN area Intrusion"},
        {0x06, 6, "Secure Mode Violation attempt", "Out-of-band Access Password Violation"},
        {0x07, 11, "IERR", "Processor Automatically Throttled"},
        {0x08, 7, "Presence detected", "Configuration error"},
        {0x09, 8, "Power Off/Down", "Predictive Failure"},
        {0x0C, 9, "Correctable ECC/other correctable memory error", "Spare"},
        {0x0F, 3, "System Firmware POST error", "System Firmware Progress"},
        {0x10, 6, "Correctable Memory Error Logging Disabled", "SEL Almost Full"},
        {0x11, 8, "BIOS Watchdog Reset", "OS Watchdog pre-timeout Interrupt, non-NMI"},
        {0x12, 5, "System Reconfigured", "PEF Action"},
        {0x13, 11, "Front Panel NMI/Diagnostic Interrupt", "Bus Fatal Error"},
        {0x14, 5, "Power Button pressed", "FRU service request button"},
        {0x19, 1, "Soft Power Control Failure", "Soft Power Control Failure"},
        {0x1D, 8, "Initiated by power up", "System Restart"},
        {0x1E, 5, "No bootable media", "Timeout waiting for user selection of boot source"},
        {0x1F, 7, "A:boot completed", "boot completed - boot device not specified"},
        {0x20, 6, "Critical Stop during OS load / initialization", "Agent Not Responding"},
        {0x21, 10, "Fault Status assert", "Slot holds spare device"},
        {0x22, 14, "S0/G0 \x93" "working\x94", "Unknown"},
        {0x23, 4, "Timer expired", "Power Cycle"},
        {0x24, 4, "Platform generated page", "Platform generated SNMP trap"},
        {0x25, 3, "Entity Present", "Entity Disabled"},
        {0x27, 2, "LAN Heartbeat Lost", "LAN Heartbeat"},
        {0x28, 4, "Sensor access degraded or unavailable", "management controller unavailable"},
        {0x29, 3, "battery low", "battery presence detected"},
        {0x2A, 2, "Session Activated", "Session Deactivated"},
        {0x2B, 8, "Hardware change detected with associated Entity",
         "Software or F/W Change detected with associated Entity was successful"},
        {0x2C, 8, "FRU Not Installed", "FRU Communication Lost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sensor type 0x" << std::hex << c.type);
        ExpectList(kSensorSpecific, c.type, c);
        EXPECT_EQ(SensorTypeStates(c.type).size(), c.length);
        // Threshold sensors read the same sensor-type lists.
        EXPECT_EQ(StateText(kThreshold, c.type, c.length - 1), c.last);
    }
}

TEST(StateText, ThresholdTypesShareTheThresholdList) {
    const std::vector<std::string> thresholdList = {
        "at or below lower non-critical threshold",
        "at or below lower critical threshold",
        "at or below lower non-recoverable threshold",
        "at or above upper non-critical threshold",
        "at or above upper critical threshold",
        "at or above upper non-recoverable threshold",
    };
    for (std::uint32_t sensorType : {0x01u, 0x02u, 0x03u, 0x04u, 0x0Au, 0x0Bu}) {
        SCOPED_TRACE(::testing::Message() << "sensor type 0x" << std::hex << sensorType);
        EXPECT_EQ(ReadStates(kThreshold, sensorType, 6), thresholdList);
        EXPECT_EQ(ReadStates(kSensorSpecific, sensorType, 6), thresholdList);
        EXPECT_EQ(StateText(kThreshold, sensorType, 6), "N/A");
    }
}

TEST(StateText, TypographicQuotesAreSingleWindows1252Bytes) {
    const std::string loggingDisabled = StateText(kSensorSpecific, 0x10, 1);
    EXPECT_EQ(loggingDisabled, "Event \x91" "Type\x92" " Logging Disabled");
    ASSERT_EQ(loggingDisabled.size(), 29u);
    EXPECT_EQ(static_cast<unsigned char>(loggingDisabled[6]), 0x91);
    EXPECT_EQ(static_cast<unsigned char>(loggingDisabled[11]), 0x92);

    const std::vector<std::string> acpiStates = {
        "S0/G0 \x93" "working\x94",
        "S1 \x93" "sleeping with system h/w & processor context maintained\x94",
        "S2 \x93" "sleeping, processor context lost\x94",
        "S3 \x93" "sleeping, processor & h/w context lost, memory retained.\x94",
        "S4 \x93" "non-volatile sleep / suspend-to disk\x94",
        "S5/G2 \x93" "soft-off\x94",
    };
    EXPECT_EQ(ReadStates(kSensorSpecific, 0x22, 6), acpiStates);
    const std::string working = StateText(kSensorSpecific, 0x22, 0);
    ASSERT_EQ(working.size(), 15u);
    EXPECT_EQ(static_cast<unsigned char>(working[6]), 0x93);
    EXPECT_EQ(static_cast<unsigned char>(working[14]), 0x94);
}

TEST(StateText, NoTextCarriesAnyOtherNonAsciiByte) {
    for (std::uint32_t sensorType = 0; sensorType <= 0x2D; ++sensorType) {
        for (std::uint32_t state = 0; state < 16; ++state) {
            for (unsigned char byte : StateText(kSensorSpecific, sensorType, state)) {
                EXPECT_TRUE(byte < 0x80 || (byte >= 0x91 && byte <= 0x94))
                    << "sensor type " << sensorType << " state " << state;
            }
        }
    }
}

TEST(StateText, GenericLists) {
    const std::vector<StateListCase> cases = {
        {0x02, 3, "Transition to Idle", "Transition to Busy"},
        {0x03, 2, "State Deasserted", "State Asserted"},
        {0x04, 2, "Predictive Failure Deasserted", "Predictive Failure Asserted"},
        {0x05, 2, "Limit Not Exceeded", "Limit Exceeded"},
        {0x06, 2, "Performance Met", "Performance Lags"},
        {0x07, 9, "Transition to OK", "Informational"},
        {0x08, 2, "Device Removed/Device Absent", "Device Inserted/Device Present"},
        {0x09, 2, "Device Disabled", "Device Enabled"},
        {0x0A, 9, "Transition to Running", "Install Error"},
        {0x0B, 8, "Fully Redundant", "Redundancy Degraded from Non-Redundant"},
        {0x0C, 4, "D0 Power State", "D3 Power State"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "event/reading type 0x" << std::hex << c.type);
        // The sensor type plays no part for a generic type.
        ExpectList(c.type, 0x01, c);
        ExpectList(c.type, 0x23, c);
        EXPECT_EQ(GenericStates(c.type).size(), c.length);
    }
}

TEST(StateText, GenericThresholdEventList) {
    const StateList events = GenericStates(0x01);
    ASSERT_EQ(events.size(), 12u);
    EXPECT_EQ(events.front(), "Lower Non-critical - going low");
    EXPECT_EQ(events.back(), "Upper Non-recoverable - going high");
    EXPECT_TRUE(GenericStates(0x00).empty());
    EXPECT_TRUE(GenericStates(0x0D).empty());
    EXPECT_TRUE(GenericStates(0x6F).empty());
}

TEST(StateText, SensorTypesWithoutTextsReadNotApplicable) {
    for (std::uint32_t sensorType :
         {0x00u, 0x0Du, 0x0Eu, 0x15u, 0x16u, 0x17u, 0x18u, 0x1Au, 0x1Bu, 0x1Cu, 0x26u, 0x2Du,
          0x2Eu, 0x80u, 0xC0u, 0xFFu}) {
        SCOPED_TRACE(::testing::Message() << "sensor type 0x" << std::hex << sensorType);
        EXPECT_EQ(StateText(kSensorSpecific, sensorType, 0), "N/A");
        EXPECT_TRUE(SensorTypeStates(sensorType).empty());
        EXPECT_EQ(PossibleStates(kSensorSpecific, sensorType),
                  (std::vector<std::string>{"Deasserted", "N/A"}));
    }
}

TEST(StateText, SpecialStatesReadTheSameOnAnySensor) {
    for (std::uint32_t eventReadingType : {0x00u, 0x01u, 0x03u, 0x0Au, 0x20u, 0x6Fu, 0x70u}) {
        SCOPED_TRACE(::testing::Message() << "event/reading type 0x" << std::hex
                                          << eventReadingType);
        EXPECT_EQ(StateText(eventReadingType, 0x04, 16), "OK");
        EXPECT_EQ(StateText(eventReadingType, 0x04, 17), "Deasserted");
        EXPECT_EQ(StateText(eventReadingType, 0x04, 18), "N/A");
    }
}

TEST(StateText, OemAndUnassignedReadingTypes) {
    EXPECT_EQ(StateText(0x70, 0x01, 2), "OEM State: 2");
    EXPECT_EQ(StateText(0x7F, 0x0C, 0), "OEM State: 0");
    EXPECT_EQ(StateText(0xFF, 0x00, 15), "OEM State: 15");
    EXPECT_EQ(StateText(0x20, 0x01, 2), "N/A");
    EXPECT_EQ(StateText(0x00, 0x01, 0), "N/A");
    EXPECT_EQ(StateText(0x0D, 0x01, 0), "N/A");
    EXPECT_EQ(StateText(0x6E, 0x01, 0), "N/A");
}

TEST(PossibleStates, ThresholdSensorOffersOkAndNotApplicableFirst) {
    EXPECT_EQ(PossibleStates(0x01, 0x01), (std::vector<std::string>{
                                              "OK",
                                              "N/A",
                                              "at or below lower non-critical threshold",
                                              "at or below lower critical threshold",
                                              "at or below lower non-recoverable threshold",
                                              "at or above upper non-critical threshold",
                                              "at or above upper critical threshold",
                                              "at or above upper non-recoverable threshold",
                                          }));
    // A threshold sensor of the watchdog type does not get the timer interrupt.
    EXPECT_EQ(PossibleStates(0x01, 0x23),
              (std::vector<std::string>{"OK", "N/A", "Timer expired", "Hard Reset",
                                        "Power Down", "Power Cycle"}));
    EXPECT_EQ(PossibleStates(0x01, 0x30), (std::vector<std::string>{"OK", "N/A"}));
}

TEST(PossibleStates, SensorSpecificSensorOffersDeassertedFirst) {
    const std::vector<std::string> processor = PossibleStates(0x6F, 0x07);
    ASSERT_EQ(processor.size(), 13u);
    EXPECT_EQ(processor[0], "Deasserted");
    EXPECT_EQ(processor[1], "N/A");
    EXPECT_EQ(processor[2], "IERR");
    EXPECT_EQ(processor[12], "Processor Automatically Throttled");

    EXPECT_EQ(PossibleStates(0x6F, 0x23),
              (std::vector<std::string>{"Deasserted", "N/A", "Timer expired", "Hard Reset",
                                        "Power Down", "Power Cycle", "Timer interrupt"}));
}

TEST(PossibleStates, GenericSensorOffersDeassertedFirst) {
    EXPECT_EQ(PossibleStates(0x03, 0x12),
              (std::vector<std::string>{"Deasserted", "N/A", "State Deasserted",
                                        "State Asserted"}));
    const std::vector<std::string> availability = PossibleStates(0x0A, 0x04);
    ASSERT_EQ(availability.size(), 11u);
    EXPECT_EQ(availability[2], "Transition to Running");
    EXPECT_EQ(availability[10], "Install Error");
    EXPECT_EQ(PossibleStates(0x0C, 0x00).size(), 6u);
}

TEST(PossibleStates, OtherReadingTypesOfferNothing) {
    for (std::uint32_t eventReadingType : {0x00u, 0x0Du, 0x20u, 0x6Eu, 0x70u, 0xFFu}) {
        EXPECT_TRUE(PossibleStates(eventReadingType, 0x01).empty()) << eventReadingType;
    }
}

TEST(EntityText, FirstLastAndASpotCheck) {
    const std::vector<std::pair<std::uint32_t, const char*>> entities = {
        {0x00, "Unspecified"},
        {0x03, "Processor"},
        {0x2F, "IPMI Channel"},
    };
    for (const auto& [id, text] : entities) {
        EXPECT_EQ(EntityText(id), text) << "entity " << id;
    }
}

TEST(EntityText, IdsPastTheTableAreUnspecified) {
    EXPECT_EQ(EntityText(48), "Unspecified");
    EXPECT_EQ(EntityText(0xA0), "Unspecified");
    EXPECT_EQ(EntityText(0xFFFFFFFF), "Unspecified");
}

TEST(SensorTypeText, FirstLastAndSpotChecks) {
    const std::vector<std::pair<std::uint32_t, const char*>> sensorTypes = {
        {0x00, "reserved"},
        {0x01, "Temperature"},
        {0x04, "Fan"},
        {0x2D, "OEM"},
    };
    for (const auto& [code, text] : sensorTypes) {
        EXPECT_EQ(SensorTypeText(code), text) << "sensor type " << code;
    }
}

TEST(SensorTypeText, UnassignedCodesAreEmptyAndOemCodesAreOem) {
    EXPECT_EQ(SensorTypeText(0x2E), "");
    EXPECT_EQ(SensorTypeText(0x50), "");
    EXPECT_EQ(SensorTypeText(0xBF), "");
    EXPECT_EQ(SensorTypeText(0xC0), "OEM");
    EXPECT_EQ(SensorTypeText(0xFF), "OEM");
}

TEST(LocaleToEntity, EveryLocaleRow) {
    struct Row {
        std::uint8_t locale;
        std::uint32_t entity;
        const char* entityText;
    };
    const std::vector<Row> rows = {
        {0, 0x07, "System board"},
        {1, 0x07, "System board"},
        {2, 0x2C, "I/O module"},
        {3, 0x12, "Processor board"},
        {4, 0x08, "Memory module"},
        {5, 0x05, "Peripheral bay"},
        {6, 0x04, "Disk or disk bay"},
        {7, 0x13, "Power unit/power domain"},
        {8, 0x27, "External Environment"},
        {9, 0x17, "System chassis"},
        {10, 0x1F, "Cable/Interconnect"},
        {11, 0x06, "System management module"},
        {12, 0x0F, "Drive backplane"},
        {13, 0x2A, "Connectivity switch"},
        {14, 0x29, "Processing blade"},
        {15, 0x02, "Unknown"},
        {200, 0x02, "Unknown"},
        {255, 0x02, "Unknown"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "locale " << unsigned{row.locale});
        EXPECT_EQ(LocaleToEntity(row.locale), row.entity);
        EXPECT_EQ(EntityText(LocaleToEntity(row.locale)), row.entityText);
    }
}

TEST(CimSensorType, OnlyTheNumericTypesHaveTheirOwnCimType) {
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> rows = {
        {0x01, 2}, {0x02, 3}, {0x03, 4}, {0x04, 5}, {0x00, 1},
        {0x05, 1}, {0x08, 1}, {0x0A, 1}, {0x0C, 1}, {0xC0, 1},
    };
    for (const auto& [ipmi, cim] : rows) {
        EXPECT_EQ(CimSensorType(ipmi), cim) << "sensor type " << ipmi;
    }
}

}  // namespace
}  // namespace norv
