#include "sensors/sensor_instance_data.h"
#include "sensors/numeric_sensor_instance_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "support/case_file.h"

namespace norv {
namespace {

using Numeric = NumericSensorInstanceData;

using Signed = void (SensorRecord::*)(std::int32_t);
using Unsigned = void (SensorRecord::*)(std::uint32_t);
const std::map<std::string, std::variant<Signed, Unsigned>, std::less<>> kSetters = {
    {"OwnerId", &SensorRecord::SetOwnerId},
    {"OwnerLun", &SensorRecord::SetOwnerLun},
    {"SensorNumber", &SensorRecord::SetSensorNumber},
    {"EntityId", &SensorRecord::SetEntityId},
    {"EntityInstance", &SensorRecord::SetEntityInstance},
    {"SensorType", &SensorRecord::SetSensorType},
    {"EventReadingType", &SensorRecord::SetEventReadingType},
    {"CurrentState", &SensorRecord::SetCurrentState},
    {"CurrentReading", &SensorRecord::SetCurrentReading},
    {"BaseUnits", &SensorRecord::SetBaseUnits},
    {"UnitModifier", &SensorRecord::SetUnitModifier},
    {"RateUnits", &SensorRecord::SetRateUnits},
    {"NominalReading", &SensorRecord::SetNominalReading},
    {"NormalMax", &SensorRecord::SetNormalMax},
    {"NormalMin", &SensorRecord::SetNormalMin},
    {"MaxReadable", &SensorRecord::SetMaxReadable},
    {"MinReadable", &SensorRecord::SetMinReadable},
    {"UpperNonRecoverable", &SensorRecord::SetUpperNonRecoverable},
    {"UpperCritical", &SensorRecord::SetUpperCritical},
    {"UpperNonCritical", &SensorRecord::SetUpperNonCritical},
    {"LowerNonRecoverable", &SensorRecord::SetLowerNonRecoverable},
    {"LowerCritical", &SensorRecord::SetLowerCritical},
    {"LowerNonCritical", &SensorRecord::SetLowerNonCritical}};

const std::map<std::string, std::string> kDefinitions = test::Definitions("sensor_entries.txt");

// A record from the settings of tests/data/core/sensor_entries.txt.
void Set(SensorRecord& record, const std::string& settings) {
    std::istringstream in(settings);
    for (std::string word; in >> word;) {
        if (word.starts_with("@")) {
            Set(record, kDefinitions.at(word));
            continue;
        }
        const std::string name = word.substr(0, word.find('='));
        std::istringstream value = test::CaseInput(word.substr(name.size() + 1));
        std::int64_t number = 0;
        if (name == "Name") {
            std::replace(word.begin(), word.end(), '.', ' ');
            std::istringstream numbers(word.substr(5));
            unsigned kind = 0, n1 = 0, n2 = 0, n3 = 0;
            numbers >> kind >> n1 >> n2 >> n3;
            record.SetName(static_cast<SensorKind>(kind), static_cast<std::uint8_t>(n1),
                           static_cast<std::uint8_t>(n2), static_cast<std::uint8_t>(n3));
        } else if (value >> number; name == "Present") {
            record.SetPresent(static_cast<std::uint8_t>(number));
        } else if (const auto* setter = std::get_if<Signed>(&kSetters.at(name))) {
            (record.**setter)(static_cast<std::int32_t>(number));
        } else {
            (record.*std::get<Unsigned>(kSetters.at(name)))(static_cast<std::uint32_t>(number));
        }
    }
}

SensorRecord Record(const std::string& settings) {
    SensorRecord record;
    Set(record, settings);
    return record;
}

SensorInventory InventoryOf(const std::vector<SensorRecord>& records) {
    SensorInventory inventory;
    for (const SensorRecord& record : records) inventory.Append(record);
    inventory.SetValid(true);
    return inventory;
}

// The one entry that `build` makes of the record.
template <typename List>
auto OnlyEntry(const SensorRecord& record, bool (*build)(List&, const SensorInventory&)) {
    List list;
    build(list, InventoryOf({record}));
    EXPECT_EQ(list.Count(), 1u);
    return list.Count() == 1 ? list.At(0) : std::remove_cvref_t<decltype(list.At(0))>{};
}

// An entry in one line: the texts, presence, CIM type, other-type description, states
// (count and first) and the field bits.
template <typename Entry>
std::string Texts(const Entry& e) {
    char head[64];
    std::snprintf(head, sizeof head, "present %u type %u fields %X: ", unsigned{e.present},
                  unsigned{e.sensorType}, unsigned{e.fieldMask});
    return head + e.deviceId + " | " + e.name + " | " + e.elementName + " | " + e.caption + " | " +
           e.description + " | " + e.systemCreationClassName + " | " + e.systemName +
           " | other \"" + e.otherSensorTypeDescription + "\" | " + e.currentState + " | " +
           std::to_string(e.possibleStates.size()) + " states" +
           (e.possibleStates.empty() ? "" : ", first " + e.possibleStates.front());
}

std::string Readings(const Numeric& e) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "reading %d units %u/%d/%u resolution %u accuracy %d linear %d hysteresis %u "
                  "normal %d..%d nominal %d thresholds %d/%d %d/%d %d/%d readable %d..%d",
                  e.currentReading, unsigned{e.baseUnits}, e.unitModifier, unsigned{e.rateUnits},
                  e.resolution, e.accuracy, int{e.isLinear}, e.hysteresis, e.normalMin, e.normalMax,
                  e.nominalReading, e.lowerThresholdNonCritical, e.upperThresholdNonCritical,
                  e.lowerThresholdCritical, e.upperThresholdCritical, e.lowerThresholdFatal,
                  e.upperThresholdFatal, e.minReadable, e.maxReadable);
    return text;
}

// The device ids of a list's entries, "(hidden)" after those not present.
template <typename List>
std::string DeviceIds(const List& list) {
    std::string text;
    for (std::size_t i = 0; i < list.Count(); ++i)
        text += " " + list.At(i).deviceId + (list.At(i).present != 0 ? "" : " (hidden)");
    return text;
}

TEST(SensorEntries, CasesAsReviewed) {
    // The lists live from one "list" row to the next, so each row rebuilds them.
    SensorInstanceList sensors;
    NumericSensorInstanceList numerics;
    test::ExpectCases("sensor_entries.txt", [&](const std::string& input) {
        if (input.starts_with("list")) {
            std::vector<SensorRecord> records;
            std::istringstream in(input.substr(4));
            for (std::string settings; std::getline(in, settings, ';');)
                records.push_back(Record(settings));
            EXPECT_TRUE(BuildSensorList(sensors, InventoryOf(records)));
            EXPECT_TRUE(BuildNumericSensorList(numerics, InventoryOf(records)));
            EXPECT_TRUE(sensors.Built() && numerics.Built());
            return "sensors" + DeviceIds(sensors) + " | numerics" + DeviceIds(numerics);
        }
        const SensorRecord record = Record(input.substr(input.find(' ')));
        if (input.starts_with("sensor ")) return Texts(OnlyEntry(record, BuildSensorList));
        const Numeric entry = OnlyEntry(record, BuildNumericSensorList);
        return Texts(entry) + " | " + Readings(entry);
    });
}

}  // namespace
}  // namespace norv
