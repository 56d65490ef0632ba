#include "inventory/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "golden_text.h"

namespace norv {
namespace {

constexpr std::uint32_t kThreshold = 0x01;
constexpr std::uint32_t kSensorSpecific = 0x6F;

// Every text table as a reviewed file: the state lists by sensor type and by generic
// reading type, the entity and sensor-type texts, the locale entities and CIM sensor types.
TEST(Vocabulary, EveryTableAsReviewed) {
    std::string text;
    const auto list = [&](const char* what, std::uint32_t code, const StateList& states) {
        text += what + std::to_string(code) + ":";
        for (const auto& state : states) text += " [" + std::string(state) + "]";
        text += "\n";
    };
    for (std::uint32_t type = 0; type <= 0x2E; ++type)
        list("sensor type ", type, SensorTypeStates(type));
    for (std::uint32_t type = 0; type <= 0x0D; ++type) list("generic ", type, GenericStates(type));
    for (std::uint32_t id = 0; id <= 0x30; ++id)
        text += "entity " + std::to_string(id) + ": " + std::string(EntityText(id)) + "\n";
    for (std::uint32_t code : {0x00u, 0x01u, 0x04u, 0x2Du, 0x2Eu, 0xBFu, 0xC0u, 0xFFu}) {
        text += "sensor type text " + std::to_string(code) + ": " +
                std::string(SensorTypeText(code)) + "\n";
    }
    for (unsigned locale = 0; locale <= 16; ++locale) {
        text += "locale " + std::to_string(locale) + ": entity " +
                std::to_string(LocaleToEntity(static_cast<std::uint8_t>(locale))) + "\n";
    }
    for (std::uint32_t code = 0; code <= 6; ++code)
        text += "cim type of " + std::to_string(code) + ": " + std::to_string(CimSensorType(code)) +
                "\n";
    test::ExpectGolden("vocabulary.txt", text);
    // Spot checks of the file's contents.
    EXPECT_EQ(SensorTypeStates(0x07).front(), "IERR");
    EXPECT_EQ(GenericStates(0x01).size(), 12u);
    EXPECT_EQ(EntityText(0x03), "Processor");
    EXPECT_EQ(LocaleToEntity(9), 0x17u);
}

TEST(StateText, ReadsTheListOfTheSensorTypeOrOfTheGenericType) {
    // Sensor-specific and threshold sensors read their sensor type's list, past its end "N/A".
    for (std::uint32_t type : {kThreshold, kSensorSpecific}) {
        EXPECT_EQ(StateText(type, 0x07, 0), "IERR");
        EXPECT_EQ(StateText(type, 0x07, 10), "Processor Automatically Throttled");
        EXPECT_EQ(StateText(type, 0x07, 11), "N/A");
        EXPECT_EQ(StateText(type, 0x2C, 7), "FRU Communication Lost");
        EXPECT_EQ(StateText(type, 0x2C, 8), "N/A");
    }
    // The sensor type plays no part for a generic type.
    for (std::uint32_t sensorType : {0x01u, 0x23u}) {
        EXPECT_EQ(StateText(0x02, sensorType, 0), "Transition to Idle");
        EXPECT_EQ(StateText(0x0C, sensorType, 3), "D3 Power State");
        EXPECT_EQ(StateText(0x0C, sensorType, 4), "N/A");
    }
    // Threshold types share the threshold list.
    for (std::uint32_t sensorType : {0x01u, 0x02u, 0x03u, 0x04u, 0x0Au, 0x0Bu}) {
        for (std::uint32_t type : {kThreshold, kSensorSpecific}) {
            EXPECT_EQ(StateText(type, sensorType, 0), "at or below lower non-critical threshold");
            EXPECT_EQ(StateText(type, sensorType, 5),
                      "at or above upper non-recoverable threshold");
            EXPECT_EQ(StateText(type, sensorType, 6), "N/A");
        }
    }
}

TEST(StateText, TypographicQuotesAreSingleWindows1252Bytes) {
    EXPECT_EQ(StateText(kSensorSpecific, 0x10, 1),
              "Event \x91"
              "Type\x92"
              " Logging Disabled");
    EXPECT_EQ(StateText(kSensorSpecific, 0x22, 0),
              "S0/G0 \x93"
              "working\x94");
    for (std::uint32_t sensorType = 0; sensorType <= 0x2D; ++sensorType) {
        for (std::uint32_t state = 0; state < 16; ++state) {
            for (unsigned char byte : StateText(kSensorSpecific, sensorType, state)) {
                EXPECT_TRUE(byte < 0x80 || (byte >= 0x91 && byte <= 0x94))
                    << sensorType << "/" << state;
            }
        }
    }
}

TEST(StateText, SpecialOemAndUnassignedStates) {
    for (std::uint32_t type : {0x00u, 0x01u, 0x03u, 0x0Au, 0x20u, 0x6Fu, 0x70u}) {
        EXPECT_EQ(StateText(type, 0x04, 16), "OK");
        EXPECT_EQ(StateText(type, 0x04, 17), "Deasserted");
        EXPECT_EQ(StateText(type, 0x04, 18), "N/A");
    }
    EXPECT_EQ(StateText(0x70, 0x01, 2), "OEM State: 2");
    EXPECT_EQ(StateText(0xFF, 0x00, 15), "OEM State: 15");
    for (std::uint32_t type : {0x00u, 0x0Du, 0x20u, 0x6Eu})
        EXPECT_EQ(StateText(type, 0x01, 0), "N/A") << type;
    EXPECT_EQ(StateText(kSensorSpecific, 0x0D, 0), "N/A");
}

TEST(PossibleStates, OkOrDeassertedThenNotApplicableThenTheList) {
    using V = std::vector<std::string>;
    const V threshold = PossibleStates(0x01, 0x01);
    ASSERT_EQ(threshold.size(), 8u);
    EXPECT_EQ(V(threshold.begin(), threshold.begin() + 3),
              (V{"OK", "N/A", "at or below lower non-critical threshold"}));
    // Only a sensor-specific watchdog gets the timer interrupt.
    EXPECT_EQ(PossibleStates(0x01, 0x23),
              (V{"OK", "N/A", "Timer expired", "Hard Reset", "Power Down", "Power Cycle"}));
    EXPECT_EQ(PossibleStates(0x6F, 0x23), (V{"Deasserted", "N/A", "Timer expired", "Hard Reset",
                                             "Power Down", "Power Cycle", "Timer interrupt"}));
    EXPECT_EQ(PossibleStates(0x01, 0x30), (V{"OK", "N/A"}));
    EXPECT_EQ(PossibleStates(0x6F, 0x07).size(), 13u);
    EXPECT_EQ(PossibleStates(kSensorSpecific, 0x0D), (V{"Deasserted", "N/A"}));
    EXPECT_EQ(PossibleStates(0x03, 0x12),
              (V{"Deasserted", "N/A", "State Deasserted", "State Asserted"}));
    EXPECT_EQ(PossibleStates(0x0A, 0x04).size(), 11u);
    for (std::uint32_t type : {0x00u, 0x0Du, 0x20u, 0x6Eu, 0x70u, 0xFFu})
        EXPECT_TRUE(PossibleStates(type, 0x01).empty()) << type;
}

}  // namespace
}  // namespace norv
