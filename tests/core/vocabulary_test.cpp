#include "inventory/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_file.h"

namespace norv {
namespace {

// Every text table as a reviewed file: the state lists by sensor type and by generic
// reading type, the entity and sensor-type texts, the locale entities and CIM sensor types.
// The file holds the texts' bytes as they are: the typographic quotes are single
// Windows-1252 bytes (0x91..0x94), the only bytes above ASCII.
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

}  // namespace
}  // namespace norv
