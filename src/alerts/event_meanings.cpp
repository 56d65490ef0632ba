#include "alerts/event_meanings.h"

#include <algorithm>
#include <initializer_list>

namespace norv {

namespace {

using enum MessageKey;
using enum AlertType;
using Cause = ProbableCause;

constexpr EventDirection kAssert = EventDirection::Assertion;
constexpr EventDirection kDeassert = EventDirection::Deassertion;
constexpr bool kBase = false;
constexpr bool kRepaired = true;
constexpr ConditionEffect kNone = ConditionEffect::None;
constexpr ConditionEffect kRaises = ConditionEffect::Raises;
constexpr ConditionEffect kClears = ConditionEffect::Clears;
constexpr ConditionEffect kClearsAll = ConditionEffect::ClearsAll;

// The SEL event type of a threshold event; every other type is discrete.
constexpr std::uint8_t kThresholdEventType = 0x01;
// Event data 2's high nibble on a discrete event: the severity, 0 for "Transition to OK".
constexpr std::uint8_t kSeverityTransitionToOk = 0;
constexpr std::uint8_t kEventDataStateUsage = 1;

constexpr EventMeaning Meaning(SelEventKey event, MessageKey message, AlertType alertType,
                               ProbableCause cause, ConditionEffect effect,
                               std::initializer_list<MessageKey> cleared = {}) {
    EventMeaning meaning{event, message, alertType, cause, effect, {}, 0};
    for (MessageKey key : cleared) meaning.cleared[meaning.clearedCount++] = key;
    return meaning;
}

// Columns: {sensor type, event type, offset, direction, form}, message, alert type, probable
// cause, effect, the conditions it clears. docs/alerts.md gives each row's reasons.
constexpr auto kMeanings = std::to_array<EventMeaning>({
    // E1 "Upper Critical - going high"
    Meaning({0x01, 0x01, 9, kAssert, kBase}, ReadingAboveUpperCriticalThreshold, EnvironmentalAlert,
            Cause::TemperatureUnacceptable, kRaises),
    // E2 "Device Removed/Device Absent"
    Meaning({0x04, 0x08, 0, kAssert, kBase}, FanRemoved, DeviceAlert, Cause::ElementMissing,
            kRaises),
    // E3 "Device Inserted/Device Present"
    Meaning({0x04, 0x08, 1, kAssert, kBase}, FanInserted, DeviceAlert, Cause::PreviousAlertCleared,
            kClears, {FanRemoved, FanDegraded}),
    // E4 "Transition to Degraded"
    Meaning({0x04, 0x0A, 6, kAssert, kBase}, FanDegraded, DeviceAlert, Cause::FanFailure, kRaises),
    // E5 "Redundancy Lost"
    Meaning({0x04, 0x0B, 1, kAssert, kBase}, FanRedundancyLost, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E6 "Transition to Degraded"
    Meaning({0x07, 0x0A, 6, kAssert, kBase}, ProcessorDegraded, DeviceAlert,
            Cause::ProcessorProblem, kRaises),
    // E7 "IERR"
    Meaning({0x07, 0x6F, 0, kAssert, kBase}, ProcessorInternalError, DeviceAlert,
            Cause::ProcessorProblem, kRaises),
    // E8 "Device Removed/Device Absent"
    Meaning({0x08, 0x08, 0, kAssert, kBase}, PowerSupplyRemoved, DeviceAlert, Cause::ElementMissing,
            kRaises),
    // E9 "Device Inserted/Device Present"
    Meaning({0x08, 0x08, 1, kAssert, kBase}, PowerSupplyInserted, DeviceAlert,
            Cause::PreviousAlertCleared, kClears,
            {PowerSupplyRemoved, PowerSupplyFailure, PowerSupplyPredictiveFailure}),
    // E10 "Transition to Power Off"
    Meaning({0x08, 0x0A, 2, kAssert, kBase}, PowerSupplyOff, DeviceAlert, Cause::PowerProblem,
            kRaises),
    // E11 "Transition to On Line"
    Meaning({0x08, 0x0A, 3, kAssert, kBase}, PowerSupplyOnline, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerSupplyOff}),
    // E12 "Redundancy Lost"
    Meaning({0x08, 0x0B, 1, kAssert, kBase}, PowerRedundancyLost, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E13 "Power Supply Failure detected"
    Meaning({0x08, 0x6F, 1, kAssert, kBase}, PowerSupplyFailure, DeviceAlert,
            Cause::PowerSupplyFailure, kRaises),
    // E14 "Predictive Failure"
    Meaning({0x08, 0x6F, 2, kAssert, kBase}, PowerSupplyPredictiveFailure, DeviceAlert,
            Cause::PowerSupplyFailure, kRaises),
    // E15 "Power Supply input lost (AC/DC)"
    Meaning({0x08, 0x6F, 3, kAssert, kBase}, PowerSupplyInputLost, DeviceAlert,
            Cause::CommercialPowerProblem, kRaises),
    // E16 "Power Supply input lost or out-of-range"
    Meaning({0x08, 0x6F, 4, kAssert, kBase}, PowerSupplyInputLostOrOutOfRange, DeviceAlert,
            Cause::CommercialPowerProblem, kRaises),
    // E17 "Power Supply input out-of-range, but present"
    Meaning({0x08, 0x6F, 5, kAssert, kBase}, PowerSupplyInputOutOfRange, DeviceAlert,
            Cause::CommercialPowerProblem, kRaises),
    // E18 "Transition to On Line"
    Meaning({0x0C, 0x0A, 3, kAssert, kBase}, MemoryOnline, DeviceAlert, Cause::Other, kNone),
    // E19 "Transition to Degraded"
    Meaning({0x0C, 0x0A, 6, kAssert, kBase}, MemoryDegraded, DeviceAlert,
            Cause::EquipmentMalfunction, kRaises),
    // E20 "Redundancy Lost"
    Meaning({0x0C, 0x0B, 1, kAssert, kBase}, MemoryRedundancyLost, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E21 "Redundancy Degraded"
    Meaning({0x0C, 0x0B, 2, kAssert, kBase}, MemoryRedundancyDegraded, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E22 "Uncorrectable ECC/other uncorrectable memory error"
    Meaning({0x0C, 0x6F, 1, kAssert, kBase}, MemoryUncorrectableError, DeviceAlert,
            Cause::EquipmentMalfunction, kRaises),
    // E23 "Memory Device Disabled"
    Meaning({0x0C, 0x6F, 4, kAssert, kBase}, MemoryDisabled, DeviceAlert, Cause::ElementUnavailable,
            kRaises),
    // E24 "Correctable ECC/other correctable memory error logging limit reached"
    Meaning({0x0C, 0x6F, 5, kAssert, kBase}, MemoryCorrectableErrorLimit, DeviceAlert,
            Cause::EquipmentMalfunction, kRaises),
    // E25 "Configuration error"
    Meaning({0x0C, 0x6F, 7, kAssert, kBase}, MemoryConfigurationError, DeviceAlert,
            Cause::ConfigurationError, kRaises),
    // E26 "Spare"
    Meaning({0x0C, 0x6F, 8, kDeassert, kBase}, MemorySpareLost, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E27 "System Firmware POST error"
    Meaning({0x0F, 0x6F, 0, kAssert, kBase}, PostError, DeviceAlert, Cause::EquipmentMalfunction,
            kRaises),
    // E28 "Log Area Reset/Cleared"
    Meaning({0x10, 0x6F, 2, kAssert, kBase}, LogCleared, ModelChange, Cause::PreviousAlertCleared,
            kClearsAll),
    // E29 "Front Panel NMI/Diagnostic Interrupt"
    Meaning({0x13, 0x6F, 0, kAssert, kBase}, FrontPanelNmi, DeviceAlert, Cause::Other, kRaises),
    // E30 "I/O channel check NMI"
    Meaning({0x13, 0x6F, 2, kAssert, kBase}, IoChannelCheck, DeviceAlert, Cause::IoDeviceError,
            kRaises),
    // E31 "Software NMI"
    Meaning({0x13, 0x6F, 3, kAssert, kBase}, SoftwareNmi, ProcessingError, Cause::SoftwareError,
            kRaises),
    // E32 "PCI SERR"
    Meaning({0x13, 0x6F, 5, kAssert, kBase}, PciSystemError, DeviceAlert, Cause::IoDeviceError,
            kRaises),
    // E33 "EISA Fail Safe Timeout"
    Meaning({0x13, 0x6F, 6, kAssert, kBase}, EisaFailSafeTimeout, DeviceAlert, Cause::Timeout,
            kRaises),
    // E34 "Bus Uncorrectable Error"
    Meaning({0x13, 0x6F, 8, kAssert, kBase}, BusUncorrectableError, DeviceAlert,
            Cause::IoDeviceError, kRaises),
    // E35 "Fatal NMI"
    Meaning({0x13, 0x6F, 9, kAssert, kBase}, FatalNmi, DeviceAlert, Cause::EquipmentMalfunction,
            kRaises),
    // E36 "Run-time Critical Stop"
    Meaning({0x20, 0x6F, 1, kAssert, kBase}, OsCriticalStop, ProcessingError,
            Cause::SoftwareProgramAbnormallyTerminated, kRaises),
    // E37 "Soft Shutdown initiated by PEF"
    Meaning({0x20, 0x6F, 4, kAssert, kBase}, OsSoftShutdown, ProcessingError, Cause::Other,
            kRaises),
    // E38 "Soft Shutdown initiated by PEF"
    Meaning({0x20, 0x6F, 4, kDeassert, kBase}, OsSoftShutdownEnded, ProcessingError,
            Cause::PreviousAlertCleared, kClears, {OsSoftShutdown}),
    // E39 "Agent Not Responding"
    Meaning({0x20, 0x6F, 5, kAssert, kBase}, AgentNotResponding, ProcessingError, Cause::Timeout,
            kRaises),
    // E40 "Redundancy Lost"
    Meaning({0x21, 0x0B, 1, kAssert, kBase}, SlotRedundancyLost, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E41 "Redundancy Degraded"
    Meaning({0x21, 0x0B, 2, kAssert, kBase}, SlotRedundancyDegraded, DeviceAlert,
            Cause::LossOfRedundancy, kRaises),
    // E42 "Fault Status assert"
    Meaning({0x21, 0x6F, 0, kAssert, kBase}, SlotFault, DeviceAlert, Cause::AdapterCardError,
            kRaises),
    // E43 "Device installed/attached"
    Meaning({0x21, 0x6F, 2, kAssert, kBase}, SlotDeviceInstalled, DeviceAlert, Cause::Other, kNone),
    // E44 "Device installed/attached"
    Meaning({0x21, 0x6F, 2, kDeassert, kBase}, SlotDeviceRemoved, DeviceAlert, Cause::Other, kNone),
    // E45 "Slot Power is Off"
    Meaning({0x21, 0x6F, 5, kAssert, kBase}, SlotPowerOff, DeviceAlert, Cause::Other, kNone),
    // E46 "Slot Power is Off"
    Meaning({0x21, 0x6F, 5, kDeassert, kBase}, SlotPowerOn, DeviceAlert, Cause::Other, kNone),
    // E47 "Interlock asserted"
    Meaning({0x21, 0x6F, 7, kAssert, kBase}, SlotInterlockClosed, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {SlotInterlockOpen}),
    // E48 "Interlock asserted"
    Meaning({0x21, 0x6F, 7, kDeassert, kBase}, SlotInterlockOpen, DeviceAlert,
            Cause::EnclosureDoorOpen, kRaises),
    // E49 "Limit Exceeded"
    Meaning({0x23, 0x05, 1, kAssert, kBase}, RecoveryLimitExceeded, ProcessingError, Cause::Other,
            kRaises),
    // E50 "Timer expired"
    Meaning({0x23, 0x6F, 0, kAssert, kBase}, RecoveryTimerExpired, ProcessingError, Cause::Timeout,
            kRaises),
    // E51 "Power Cycle"
    Meaning({0x23, 0x6F, 3, kAssert, kBase}, RecoveryPowerCycle, ProcessingError,
            Cause::ElementReinitialized, kRaises),
    // E52 "battery low"
    Meaning({0x29, 0x6F, 0, kAssert, kBase}, BatteryLow, DeviceAlert, Cause::LowBattery, kRaises),
    // R1 repaired E2 "Device Removed/Device Absent"
    Meaning({0x04, 0x08, 0, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {FanRemoved}),
    // R2 repaired E4 "Transition to Degraded"
    Meaning({0x04, 0x0A, 6, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {FanDegraded}),
    // R3 repaired E12 "Redundancy Lost"
    Meaning({0x08, 0x0B, 1, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerRedundancyLost}),
    // R4 repaired E13 "Power Supply Failure detected"
    Meaning({0x08, 0x6F, 1, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerSupplyFailure}),
    // R5 repaired E15 "Power Supply input lost (AC/DC)"
    Meaning({0x08, 0x6F, 3, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerSupplyInputLost}),
    // R6 repaired E16 "Power Supply input lost or out-of-range"
    Meaning({0x08, 0x6F, 4, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerSupplyInputLostOrOutOfRange}),
    // R7 repaired E17 "Power Supply input out-of-range, but present"
    Meaning({0x08, 0x6F, 5, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {PowerSupplyInputOutOfRange}),
    // R8 repaired E18 "Transition to On Line"
    Meaning({0x0C, 0x0A, 3, kAssert, kRepaired}, MemoryOnline, DeviceAlert, Cause::Other, kNone),
    // R9 repaired E19 "Transition to Degraded"
    Meaning({0x0C, 0x0A, 6, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryDegraded}),
    // R10 repaired E20 "Redundancy Lost"
    Meaning({0x0C, 0x0B, 1, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryRedundancyLost}),
    // R11 repaired E21 "Redundancy Degraded"
    Meaning({0x0C, 0x0B, 2, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryRedundancyDegraded}),
    // R12 repaired E22 "Uncorrectable ECC/other uncorrectable memory error"
    Meaning({0x0C, 0x6F, 1, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryUncorrectableError}),
    // R13 repaired E23 "Memory Device Disabled"
    Meaning({0x0C, 0x6F, 4, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryDisabled}),
    // R14 repaired E24 "Correctable ECC/other correctable memory error logging limit reached"
    Meaning({0x0C, 0x6F, 5, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryCorrectableErrorLimit}),
    // R15 repaired E25 "Configuration error"
    Meaning({0x0C, 0x6F, 7, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemoryConfigurationError}),
    // R16 repaired E26 "Spare"
    Meaning({0x0C, 0x6F, 8, kDeassert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {MemorySpareLost}),
    // R17 repaired E42 "Fault Status assert"
    Meaning({0x21, 0x6F, 0, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {SlotFault}),
    // R18 repaired E43 "Device installed/attached"
    Meaning({0x21, 0x6F, 2, kAssert, kRepaired}, SlotDeviceInstalled, DeviceAlert, Cause::Other,
            kNone),
    // R19 repaired E44 "Device installed/attached"
    Meaning({0x21, 0x6F, 2, kDeassert, kRepaired}, SlotDeviceRemoved, DeviceAlert, Cause::Other,
            kNone),
    // R20 repaired E47 "Interlock asserted"
    Meaning({0x21, 0x6F, 7, kAssert, kRepaired}, SlotInterlockClosed, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {SlotInterlockOpen}),
    // R21 repaired E48 "Interlock asserted"
    Meaning({0x21, 0x6F, 7, kDeassert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {SlotInterlockOpen}),
    // R22 repaired E52 "battery low"
    Meaning({0x29, 0x6F, 0, kAssert, kRepaired}, ConditionRepaired, DeviceAlert,
            Cause::PreviousAlertCleared, kClears, {BatteryLow}),
});
static_assert(kMeanings.size() == 74);

constexpr EventMeaning kUnknownMeaning{{}, UnknownEvent, Other, Cause::Unknown, kNone, {}, 0};

constexpr bool EventsAreDistinct() {
    for (std::size_t i = 0; i < kMeanings.size(); ++i) {
        for (std::size_t j = i + 1; j < kMeanings.size(); ++j) {
            if (kMeanings[i].event == kMeanings[j].event) return false;
        }
    }
    return true;
}
static_assert(EventsAreDistinct(), "an event has two meanings");

constexpr PerceivedSeverity SeverityOf(MessageKey key) {
    return kAlertMessages[static_cast<std::size_t>(key)].severity;
}

// A meaning raises a condition exactly when its severity calls for attention (Degraded/
// Warning or worse); it clears only conditions that something raises; a clearing alert says
// "cleared" by its probable cause, and a clearing list only with Clears.
constexpr bool EffectsFitSeverities() {
    for (const EventMeaning& meaning : kMeanings) {
        const bool attention = SeverityOf(meaning.message) >= PerceivedSeverity::DegradedWarning;
        if (attention != (meaning.effect == kRaises)) return false;
        const bool clears = meaning.effect == kClears || meaning.effect == kClearsAll;
        if (clears != (meaning.probableCause == Cause::PreviousAlertCleared)) return false;
        if ((meaning.effect == kClears) != (meaning.clearedCount > 0)) return false;
        for (MessageKey cleared : meaning.Cleared()) {
            const bool raised =
                std::any_of(kMeanings.begin(), kMeanings.end(), [cleared](const EventMeaning& m) {
                    return m.effect == kRaises && m.message == cleared;
                });
            if (!raised) return false;
        }
    }
    return true;
}

static_assert(EffectsFitSeverities());

}  // namespace

std::span<const EventMeaning> EventMeanings() {
    return kMeanings;
}

const EventMeaning& UnknownEventMeaning() {
    return kUnknownMeaning;
}

SelEventKey EventKeyOf(const SelEntry& entry) {
    const bool repaired = entry.eventType != kThresholdEventType &&
                          entry.EventData2Usage() == kEventDataStateUsage &&
                          (entry.eventData2 >> 4) == kSeverityTransitionToOk;
    return {entry.sensorType, entry.eventType, entry.offset,
            entry.deassertion != 0 ? kDeassert : kAssert, repaired};
}

const EventMeaning& FindEventMeaning(const SelEventKey& event) {
    const auto* found = std::find_if(kMeanings.begin(), kMeanings.end(),
                                     [&event](const EventMeaning& m) { return m.event == event; });
    return found != kMeanings.end() ? *found : kUnknownMeaning;
}

const EventMeaning& FindEventMeaning(const SelEntry& entry) {
    return FindEventMeaning(EventKeyOf(entry));
}

}  // namespace norv
