#include "inventory/vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace norv {
namespace {

constexpr std::uint32_t kThreshold = 0x01;
constexpr std::uint32_t kSensorSpecific = 0x6F;

struct ListCase {
    std::uint32_t type, length;
    const char* first;
    const char* last;
};

// The state lists are typed from the same text as the code's tables: the first and last of
// a few, the counts, and the rows with rules of their own are checked here; the golden
// outputs carry the texts the platforms show.
TEST(StateText, SensorTypeAndGenericListsFirstLastAndLength) {
    const ListCase sensorTypes[] = {
        {0x05, 7, "General Chassis Intrusion", "FAN area Intrusion"},
        {0x07, 11, "IERR", "Processor Automatically Throttled"},
        {0x0C, 9, "Correctable ECC/other correctable memory error", "Spare"},
        {0x19, 1, "Soft Power Control Failure", "Soft Power Control Failure"},
        {0x21, 10, "Fault Status assert", "Slot holds spare device"},
        {0x2C, 8, "FRU Not Installed", "FRU Communication Lost"},
    };
    for (const ListCase& c : sensorTypes) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(StateText(kSensorSpecific, c.type, 0), c.first);
        EXPECT_EQ(StateText(kSensorSpecific, c.type, c.length - 1), c.last);
        EXPECT_EQ(StateText(kSensorSpecific, c.type, c.length), "N/A");  // past the list
        EXPECT_EQ(StateText(kThreshold, c.type, c.length - 1), c.last);  // threshold sensors too
        EXPECT_EQ(SensorTypeStates(c.type).size(), c.length);
    }
    const ListCase generic[] = {
        {0x02, 3, "Transition to Idle", "Transition to Busy"},
        {0x07, 9, "Transition to OK", "Informational"},
        {0x0A, 9, "Transition to Running", "Install Error"},
        {0x0C, 4, "D0 Power State", "D3 Power State"},
    };
    for (const ListCase& c : generic) {
        SCOPED_TRACE(c.type);
        for (std::uint32_t sensorType : {0x01u, 0x23u}) {  // the sensor type plays no part
            EXPECT_EQ(StateText(c.type, sensorType, 0), c.first);
            EXPECT_EQ(StateText(c.type, sensorType, c.length - 1), c.last);
            EXPECT_EQ(StateText(c.type, sensorType, c.length), "N/A");
        }
        EXPECT_EQ(GenericStates(c.type).size(), c.length);
    }
    EXPECT_EQ(GenericStates(0x01).size(), 12u);
    EXPECT_EQ(GenericStates(0x01).back(), "Upper Non-recoverable - going high");
    EXPECT_TRUE(GenericStates(0x00).empty());
    EXPECT_TRUE(GenericStates(0x0D).empty());
    EXPECT_TRUE(GenericStates(0x6F).empty());
}

TEST(StateText, ThresholdTypesShareTheThresholdList) {
    for (std::uint32_t sensorType : {0x01u, 0x02u, 0x03u, 0x04u, 0x0Au, 0x0Bu}) {
        for (std::uint32_t type : {kThreshold, kSensorSpecific}) {
            EXPECT_EQ(StateText(type, sensorType, 0), "at or below lower non-critical threshold");
            EXPECT_EQ(StateText(type, sensorType, 5), "at or above upper non-recoverable threshold");
            EXPECT_EQ(StateText(type, sensorType, 6), "N/A");
        }
    }
}

TEST(StateText, TypographicQuotesAreSingleWindows1252Bytes) {
    EXPECT_EQ(StateText(kSensorSpecific, 0x10, 1), "Event \x91" "Type\x92" " Logging Disabled");
    EXPECT_EQ(StateText(kSensorSpecific, 0x22, 0), "S0/G0 \x93" "working\x94");
    EXPECT_EQ(StateText(kSensorSpecific, 0x22, 5), "S5/G2 \x93" "soft-off\x94");
    for (std::uint32_t sensorType = 0; sensorType <= 0x2D; ++sensorType) {
        for (std::uint32_t state = 0; state < 16; ++state) {
            for (unsigned char byte : StateText(kSensorSpecific, sensorType, state)) {
                EXPECT_TRUE(byte < 0x80 || (byte >= 0x91 && byte <= 0x94)) << sensorType << "/" << state;
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
    for (std::uint32_t type : {0x00u, 0x0Du, 0x20u, 0x6Eu}) EXPECT_EQ(StateText(type, 0x01, 0), "N/A") << type;
    for (std::uint32_t sensorType : {0x00u, 0x0Du, 0x18u, 0x1Cu, 0x26u, 0x2Du, 0x2Eu, 0xC0u, 0xFFu}) {
        EXPECT_EQ(StateText(kSensorSpecific, sensorType, 0), "N/A") << sensorType;
        EXPECT_TRUE(SensorTypeStates(sensorType).empty());
    }
}

TEST(PossibleStates, OkOrDeassertedThenNotApplicableThenTheList) {
    using V = std::vector<std::string>;
    const std::vector<std::string> threshold = PossibleStates(0x01, 0x01);
    ASSERT_EQ(threshold.size(), 8u);
    EXPECT_EQ(V(threshold.begin(), threshold.begin() + 3), (V{"OK", "N/A", "at or below lower non-critical threshold"}));
    // Only a sensor-specific watchdog gets the timer interrupt.
    EXPECT_EQ(PossibleStates(0x01, 0x23), (V{"OK", "N/A", "Timer expired", "Hard Reset", "Power Down", "Power Cycle"}));
    EXPECT_EQ(PossibleStates(0x6F, 0x23),
              (V{"Deasserted", "N/A", "Timer expired", "Hard Reset", "Power Down", "Power Cycle", "Timer interrupt"}));
    EXPECT_EQ(PossibleStates(0x01, 0x30), (V{"OK", "N/A"}));
    const std::vector<std::string> processor = PossibleStates(0x6F, 0x07);
    ASSERT_EQ(processor.size(), 13u);
    EXPECT_EQ(processor[2], "IERR");
    EXPECT_EQ(PossibleStates(kSensorSpecific, 0x0D), (V{"Deasserted", "N/A"}));
    EXPECT_EQ(PossibleStates(0x03, 0x12), (V{"Deasserted", "N/A", "State Deasserted", "State Asserted"}));
    EXPECT_EQ(PossibleStates(0x0A, 0x04).size(), 11u);
    for (std::uint32_t type : {0x00u, 0x0Du, 0x20u, 0x6Eu, 0x70u, 0xFFu}) EXPECT_TRUE(PossibleStates(type, 0x01).empty()) << type;
}

TEST(Vocabulary, EntitySensorTypeLocaleAndCimTypeTables) {
    EXPECT_EQ(EntityText(0x00), "Unspecified");
    EXPECT_EQ(EntityText(0x03), "Processor");
    EXPECT_EQ(EntityText(0x2F), "IPMI Channel");
    for (std::uint32_t id : {48u, 0xA0u, 0xFFFFFFFFu}) EXPECT_EQ(EntityText(id), "Unspecified") << id;
    EXPECT_EQ(SensorTypeText(0x00), "reserved");
    EXPECT_EQ(SensorTypeText(0x04), "Fan");
    EXPECT_EQ(SensorTypeText(0x2D), "OEM");
    for (std::uint32_t code : {0x2Eu, 0xBFu}) EXPECT_EQ(SensorTypeText(code), "") << code;
    for (std::uint32_t code : {0xC0u, 0xFFu}) EXPECT_EQ(SensorTypeText(code), "OEM") << code;
    const std::pair<std::uint8_t, std::uint32_t> locales[] = {
        {0, 0x07}, {1, 0x07},  {2, 0x2C},  {3, 0x12},  {4, 0x08},  {5, 0x05},  {6, 0x04},  {7, 0x13},  {8, 0x27},
        {9, 0x17}, {10, 0x1F}, {11, 0x06}, {12, 0x0F}, {13, 0x2A}, {14, 0x29}, {15, 0x02}, {200, 0x02}, {255, 0x02}};
    for (const auto& [locale, entity] : locales) EXPECT_EQ(LocaleToEntity(locale), entity) << int{locale};
    EXPECT_EQ(EntityText(LocaleToEntity(7)), "Power unit/power domain");
    const std::pair<std::uint32_t, std::uint32_t> cimTypes[] = {{0x01, 2}, {0x02, 3}, {0x03, 4}, {0x04, 5},
                                                                {0x00, 1}, {0x05, 1}, {0xC0, 1}};
    for (const auto& [ipmi, cim] : cimTypes) EXPECT_EQ(CimSensorType(ipmi), cim) << ipmi;
}

}  // namespace
}  // namespace norv
