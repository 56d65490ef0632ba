// What every SEL event the log-entry mapping produces means as an alert: its message, alert
// type and probable cause, and what it does to the conditions of its sensor. One row per
// event in its base form and one per event in the platform's repaired form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "alerts/alert_messages.h"
#include "eventlog/mapping_tables.h"
#include "eventlog/sel_entry.h"

namespace norv {

// CIM's AlertType values used here.
enum class AlertType : std::uint16_t {
    Other = 1,
    ProcessingError = 4,
    DeviceAlert = 5,
    EnvironmentalAlert = 6,
    ModelChange = 7,
};

// The X.733 probable causes, numbered as CIM's ProbableCause lists them, that the events use.
enum class ProbableCause : std::uint16_t {
    Unknown = 0,
    Other = 1,
    AdapterCardError = 2,
    ConfigurationError = 8,
    EnclosureDoorOpen = 15,
    EquipmentMalfunction = 16,
    IoDeviceError = 24,
    PowerProblem = 36,
    ProcessorProblem = 38,
    SoftwareError = 47,
    SoftwareProgramAbnormallyTerminated = 48,
    TemperatureUnacceptable = 51,
    PreviousAlertCleared = 59,
    ElementUnavailable = 72,
    ElementMissing = 73,
    LossOfRedundancy = 88,
    PowerSupplyFailure = 89,
    CommercialPowerProblem = 93,
    FanFailure = 94,
    LowBattery = 99,
    ElementReinitialized = 110,
    Timeout = 111,
};

// What a record of the event does to the conditions of its sensor.
enum class ConditionEffect : std::uint8_t {
    None,       // a state worth telling that is no condition (installed, on line, powered)
    Raises,     // a condition: its own message, on its sensor (and slot)
    Clears,     // ends the named conditions on its sensor (and slot)
    ClearsAll,  // the log was cleared: every condition went with its records
};

// A SEL event as the meaning table knows it. `repaired` is the platform's repaired form: a
// discrete event whose event data 2 carries the severity "Transition to OK".
struct SelEventKey {
    std::uint8_t sensorType = 0;
    std::uint8_t eventType = 0;
    std::uint8_t offset = 0;
    EventDirection direction = EventDirection::Assertion;
    bool repaired = false;

    constexpr bool operator==(const SelEventKey&) const = default;
};

inline constexpr std::size_t kMaxClearedMessages = 3;

struct EventMeaning {
    SelEventKey event;
    MessageKey message = MessageKey::UnknownEvent;
    AlertType alertType = AlertType::Other;
    ProbableCause probableCause = ProbableCause::Unknown;
    ConditionEffect effect = ConditionEffect::None;
    // For Clears: the raising messages whose conditions it ends.
    std::array<MessageKey, kMaxClearedMessages> cleared{};
    std::uint8_t clearedCount = 0;

    constexpr std::span<const MessageKey> Cleared() const {
        return std::span<const MessageKey>(cleared).first(clearedCount);
    }
    PerceivedSeverity Severity() const { return MessageOf(message).severity; }
};

// Every meaning: the base forms, then the repaired forms.
std::span<const EventMeaning> EventMeanings();

// The meaning of an event outside the table: severity Unknown, message UnknownEvent,
// no effect on any condition.
const EventMeaning& UnknownEventMeaning();

// The event a mapped entry stands for.
SelEventKey EventKeyOf(const SelEntry& entry);

// The meaning of the event, or UnknownEventMeaning() when the table has no row for it.
const EventMeaning& FindEventMeaning(const SelEventKey& event);
const EventMeaning& FindEventMeaning(const SelEntry& entry);

}  // namespace norv
