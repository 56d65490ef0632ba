#include "inventory/sensor_record.h"

#include <array>
#include <cstddef>

namespace norv {

namespace {

constexpr std::string_view kNumberMark = "%u";

// Prints first and then second (unless it is kNoNumber) at the "%u" marks of text, in order.
// A mark left without a number stays as it is.
std::string FormatElementName(std::string_view text, std::uint8_t first, std::uint8_t second) {
    const std::array<std::uint8_t, 2> numbers = {first, second};
    const std::size_t numberCount = second == kNoNumber ? 1 : 2;
    std::size_t used = 0;
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (used < numberCount && text.substr(pos, kNumberMark.size()) == kNumberMark) {
            result += std::to_string(numbers[used++]);
            pos += kNumberMark.size();
        } else {
            result += text[pos++];
        }
    }
    if (result.size() > kMaxElementNameLength) {
        result.resize(kMaxElementNameLength);
    }
    return result;
}

bool IsFanGroupKind(SensorKind kind) {
    return kind == SensorKind::FanGroup || kind == SensorKind::FanSharedGroup;
}

std::uint16_t MaskOf(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>(low | (high << 8));
}

}  // namespace

void SensorRecord::SetOwnerId(std::uint32_t value) {
    ownerId = static_cast<std::uint8_t>(value);
    Mark(kFieldOwnerId);
}

void SensorRecord::SetOwnerLun(std::uint32_t value) {
    ownerLun = static_cast<std::uint8_t>(value);
    Mark(kFieldOwnerLun);
}

void SensorRecord::SetSensorNumber(std::uint32_t value) {
    sensorNumber = static_cast<std::uint8_t>(value);
    Mark(kFieldSensorNumber);
}

void SensorRecord::SetEntityId(std::uint32_t value) {
    entityId = value;
    Mark(kFieldEntityId);
}

void SensorRecord::SetEntityInstance(std::uint32_t value) {
    entityInstance = static_cast<std::uint8_t>(value);
    Mark(kFieldEntityInstance);
}

void SensorRecord::SetSensorType(std::uint32_t value) {
    sensorType = value;
    Mark(kFieldSensorType);
}

void SensorRecord::SetEventReadingType(std::uint32_t value) {
    eventReadingType = value;
    Mark(kFieldEventReadingType);
}

void SensorRecord::SetCurrentState(std::uint32_t value) {
    currentState = static_cast<std::uint8_t>(value);
    Mark(kFieldCurrentState);
}

void SensorRecord::SetCurrentReading(std::int32_t value) {
    currentReading = value;
    Mark(kFieldCurrentReading);
}

void SensorRecord::SetBaseUnits(std::uint32_t value) {
    baseUnits = static_cast<std::uint16_t>(value);
    Mark(kFieldBaseUnits);
}

void SensorRecord::SetUnitModifier(std::int32_t value) {
    unitModifier = value;
    Mark(kFieldUnitModifier);
}

void SensorRecord::SetRateUnits(std::uint32_t value) {
    rateUnits = static_cast<std::uint16_t>(value);
    Mark(kFieldRateUnits);
}

void SensorRecord::SetNominalReading(std::int32_t value) {
    nominalReading = value;
    Mark(kFieldNominalReading);
}

void SensorRecord::SetNormalMax(std::int32_t value) {
    normalMax = value;
    Mark(kFieldNormalMax);
}

void SensorRecord::SetNormalMin(std::int32_t value) {
    normalMin = value;
    Mark(kFieldNormalMin);
}

void SensorRecord::SetMaxReadable(std::int32_t value) {
    maxReadable = value;
    Mark(kFieldMaxReadable);
}

void SensorRecord::SetMinReadable(std::int32_t value) {
    minReadable = value;
    Mark(kFieldMinReadable);
}

void SensorRecord::SetUpperNonRecoverable(std::int32_t value) {
    upperNonRecoverable = value;
    MarkThreshold(kThresholdUpperNonRecoverable);
}

void SensorRecord::SetUpperCritical(std::int32_t value) {
    upperCritical = value;
    MarkThreshold(kThresholdUpperCritical);
}

void SensorRecord::SetUpperNonCritical(std::int32_t value) {
    upperNonCritical = value;
    MarkThreshold(kThresholdUpperNonCritical);
}

void SensorRecord::SetLowerNonRecoverable(std::int32_t value) {
    lowerNonRecoverable = value;
    MarkThreshold(kThresholdLowerNonRecoverable);
}

void SensorRecord::SetLowerCritical(std::int32_t value) {
    lowerCritical = value;
    MarkThreshold(kThresholdLowerCritical);
}

void SensorRecord::SetLowerNonCritical(std::int32_t value) {
    lowerNonCritical = value;
    MarkThreshold(kThresholdLowerNonCritical);
}

void SensorRecord::SetName(SensorKind sensorKind, std::uint8_t number1, std::uint8_t number2,
                           std::uint8_t number3) {
    kind = sensorKind;
    keyNumber1 = number1;
    keyNumber2 = number2;

    // Fan groups are keyed by their member mask and named by their group number; a
    // processor is keyed by its slot and named by its running count.
    SensorKind textKind = sensorKind;
    std::uint8_t first = number1;
    std::uint8_t second = number2;
    if (IsFanGroupKind(sensorKind) || sensorKind == SensorKind::Cpu) {
        first = number3;
        second = kNoNumber;
    } else if (sensorKind == SensorKind::CartridgeDimm && number1 == 0) {
        // Cartridge 0 is the system board itself.
        textKind = SensorKind::BoardDimm;
        first = number2;
        second = kNoNumber;
    } else if (sensorKind == SensorKind::Cartridge && number1 == 0) {
        textKind = SensorKind::BoardDimms;
        first = kNoNumber;
    }

    const std::string_view text = ElementNameText(textKind);
    name = first == kNoNumber ? std::string(text) : FormatElementName(text, first, second);
    Mark(kFieldName);
}

bool SensorRecord::Matches(SensorKind sensorKind, std::uint8_t key1, std::uint8_t key2) const {
    if (kind != sensorKind) {
        return false;
    }
    if (keyNumber1 == key1 && keyNumber2 == key2) {
        return true;
    }
    if (!IsFanGroupKind(sensorKind)) {
        return false;
    }
    // A group matches when it holds every fan the key names. An empty key names no fan
    // and so matches only the exact key above.
    const std::uint16_t keyMask = MaskOf(key1, key2);
    const std::uint16_t memberMask = MaskOf(keyNumber1, keyNumber2);
    return keyMask != 0 && (keyMask & memberMask) == keyMask;
}

}  // namespace norv
