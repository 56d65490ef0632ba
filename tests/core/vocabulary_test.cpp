#include "inventory/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
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

TEST(StateText, CasesAsReviewed) {
    test::ExpectCases("state_texts.txt", [](const std::string& input) {
        std::istringstream in = test::CaseInput(input);
        std::string what;
        std::uint32_t readingType = 0, sensorType = 0, offset = 0;
        in >> what >> readingType >> sensorType >> offset;
        if (what == "state") return std::string(StateText(readingType, sensorType, offset));
        const std::vector<std::string> states = PossibleStates(readingType, sensorType);
        std::string text = std::to_string(states.size()) + ":";
        for (const std::string& state : states)
            text += (&state == &states[0] ? " " : " | ") + state;
        return text;
    });
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

}  // namespace
}  // namespace norv
