// The message catalogue of the hardware alerts: every message an alert can carry, with its
// template, its arguments, its severity and its id in the module's Windows message table.
// The message registry file and the message table are written from these rows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace norv {

// CIM's PerceivedSeverity values.
enum class PerceivedSeverity : std::uint16_t {
    Unknown = 0,
    Information = 2,
    DegradedWarning = 3,
    Minor = 4,
    Major = 5,
    Critical = 6,
    FatalNonRecoverable = 7,
};

// The messages, in catalogue order; the value is the row's index.
enum class MessageKey : std::uint8_t {
    ReadingAboveUpperCriticalThreshold,
    FanRemoved,
    FanInserted,
    FanDegraded,
    FanRedundancyLost,
    ProcessorDegraded,
    ProcessorInternalError,
    PowerSupplyRemoved,
    PowerSupplyInserted,
    PowerSupplyOff,
    PowerSupplyOnline,
    PowerRedundancyLost,
    PowerSupplyFailure,
    PowerSupplyPredictiveFailure,
    PowerSupplyInputLost,
    PowerSupplyInputLostOrOutOfRange,
    PowerSupplyInputOutOfRange,
    MemoryOnline,
    MemoryDegraded,
    MemoryRedundancyLost,
    MemoryRedundancyDegraded,
    MemoryUncorrectableError,
    MemoryDisabled,
    MemoryCorrectableErrorLimit,
    MemoryConfigurationError,
    MemorySpareLost,
    PostError,
    LogCleared,
    FrontPanelNmi,
    IoChannelCheck,
    SoftwareNmi,
    PciSystemError,
    EisaFailSafeTimeout,
    BusUncorrectableError,
    FatalNmi,
    OsCriticalStop,
    OsSoftShutdown,
    OsSoftShutdownEnded,
    AgentNotResponding,
    SlotRedundancyLost,
    SlotRedundancyDegraded,
    SlotFault,
    SlotDeviceInstalled,
    SlotDeviceRemoved,
    SlotPowerOff,
    SlotPowerOn,
    SlotInterlockClosed,
    SlotInterlockOpen,
    RecoveryLimitExceeded,
    RecoveryTimerExpired,
    RecoveryPowerCycle,
    BatteryLow,
    ConditionRepaired,
    UnknownEvent,
};

inline constexpr std::size_t kAlertMessageCount =
    static_cast<std::size_t>(MessageKey::UnknownEvent) + 1;

// Where an argument's value comes from.
enum class MessageArgument : std::uint8_t {
    None,
    SensorLabel,        // the sensor's label as its log record writes it: "FAN 3(5.0.32)"
    Reading,            // the trigger reading of a threshold event, decimal
    ReadingUnits,       // the reading's units as Redfish names them: "Cel"
    Threshold,          // the sensor's upper threshold from the inventory, decimal
    PostErrorNumber,    // the POST error number of the entry, or "unspecified"
    RepairedEventText,  // the event text of the condition that was repaired
    RecordCaption,      // the caption of the log record
};

inline constexpr std::size_t kMaxMessageArguments = 4;

// The registries a MessageID belongs to: the DMTF sensor events, and our own.
inline constexpr std::string_view kSensorEventRegistry = "SensorEvent.1.0";
inline constexpr std::string_view kOwnRegistry = "Norvipmiprv.1.0";
inline constexpr std::string_view kSensorEventOwningEntity = "DMTF";
inline constexpr std::string_view kOwnOwningEntity = "Norvipmiprv";

struct AlertMessage {
    MessageKey key = MessageKey::UnknownEvent;
    std::string_view registry;
    std::string_view name;  // the last part of the MessageID
    std::string_view text;  // the template; %1 .. %n stand for the arguments in order
    std::array<MessageArgument, kMaxMessageArguments> arguments{};  // None past the count
    PerceivedSeverity severity = PerceivedSeverity::Unknown;
    std::uint16_t eventId = 0;  // the message table's id, low 16 bits

    constexpr std::size_t ArgumentCount() const {
        std::size_t count = 0;
        while (count < arguments.size() && arguments[count] != MessageArgument::None) ++count;
        return count;
    }
};

// The rows of the catalogue, where the enumerators read without their types.
namespace alert_catalogue {

using enum MessageKey;
using enum MessageArgument;
using enum PerceivedSeverity;

// Indexed by MessageKey. Columns: key, registry, name, template, arguments, severity,
// message-table id.
// clang-format off
inline constexpr std::array<AlertMessage, kAlertMessageCount> kAlertMessages = {{
    {ReadingAboveUpperCriticalThreshold, kSensorEventRegistry, "ReadingAboveUpperCriticalThreshold",
     "Sensor '%1' reading of %2 (%3) is above the %4 upper critical threshold.",
     {SensorLabel, Reading, ReadingUnits, Threshold}, Critical, 1000},
    {FanRemoved, kOwnRegistry, "FanRemoved",
     "Fan '%1' was removed.",
     {SensorLabel}, Major, 1001},
    {FanInserted, kOwnRegistry, "FanInserted",
     "Fan '%1' was inserted.",
     {SensorLabel}, Information, 1002},
    {FanDegraded, kOwnRegistry, "FanDegraded",
     "Fan '%1' is degraded.",
     {SensorLabel}, Major, 1003},
    {FanRedundancyLost, kOwnRegistry, "FanRedundancyLost",
     "Fan group '%1' lost its redundancy.",
     {SensorLabel}, Major, 1004},
    {ProcessorDegraded, kOwnRegistry, "ProcessorDegraded",
     "Processor '%1' is degraded.",
     {SensorLabel}, Major, 1005},
    {ProcessorInternalError, kOwnRegistry, "ProcessorInternalError",
     "Processor '%1' had an internal error (IERR).",
     {SensorLabel}, FatalNonRecoverable, 1006},
    {PowerSupplyRemoved, kOwnRegistry, "PowerSupplyRemoved",
     "Power supply '%1' was removed.",
     {SensorLabel}, Major, 1007},
    {PowerSupplyInserted, kOwnRegistry, "PowerSupplyInserted",
     "Power supply '%1' was inserted.",
     {SensorLabel}, Information, 1008},
    {PowerSupplyOff, kOwnRegistry, "PowerSupplyOff",
     "Power supply '%1' turned off.",
     {SensorLabel}, DegradedWarning, 1009},
    {PowerSupplyOnline, kOwnRegistry, "PowerSupplyOnline",
     "Power supply '%1' is on line.",
     {SensorLabel}, Information, 1010},
    {PowerRedundancyLost, kOwnRegistry, "PowerRedundancyLost",
     "'%1' lost power supply redundancy.",
     {SensorLabel}, Major, 1011},
    {PowerSupplyFailure, kOwnRegistry, "PowerSupplyFailure",
     "Power supply '%1' failed.",
     {SensorLabel}, Major, 1012},
    {PowerSupplyPredictiveFailure, kOwnRegistry, "PowerSupplyPredictiveFailure",
     "Power supply '%1' predicts its failure.",
     {SensorLabel}, Minor, 1013},
    {PowerSupplyInputLost, kOwnRegistry, "PowerSupplyInputLost",
     "Power supply '%1' lost its input.",
     {SensorLabel}, Major, 1014},
    {PowerSupplyInputLostOrOutOfRange, kOwnRegistry, "PowerSupplyInputLostOrOutOfRange",
     "The input of power supply '%1' is lost or out of range.",
     {SensorLabel}, Major, 1015},
    {PowerSupplyInputOutOfRange, kOwnRegistry, "PowerSupplyInputOutOfRange",
     "The input of power supply '%1' is out of range but present.",
     {SensorLabel}, Major, 1016},
    {MemoryOnline, kOwnRegistry, "MemoryOnline",
     "Memory '%1' is on line.",
     {SensorLabel}, Information, 1017},
    {MemoryDegraded, kOwnRegistry, "MemoryDegraded",
     "Memory '%1' is degraded.",
     {SensorLabel}, Major, 1018},
    {MemoryRedundancyLost, kOwnRegistry, "MemoryRedundancyLost",
     "Memory '%1' lost its redundancy.",
     {SensorLabel}, Major, 1019},
    {MemoryRedundancyDegraded, kOwnRegistry, "MemoryRedundancyDegraded",
     "Memory '%1' runs with degraded redundancy.",
     {SensorLabel}, DegradedWarning, 1020},
    {MemoryUncorrectableError, kOwnRegistry, "MemoryUncorrectableError",
     "Memory '%1' had an uncorrectable error.",
     {SensorLabel}, Critical, 1021},
    {MemoryDisabled, kOwnRegistry, "MemoryDisabled",
     "Memory '%1' was disabled.",
     {SensorLabel}, Major, 1022},
    {MemoryCorrectableErrorLimit, kOwnRegistry, "MemoryCorrectableErrorLimit",
     "Memory '%1' reached its limit of logged correctable errors.",
     {SensorLabel}, Minor, 1023},
    {MemoryConfigurationError, kOwnRegistry, "MemoryConfigurationError",
     "Memory '%1' has a configuration error.",
     {SensorLabel}, Major, 1024},
    {MemorySpareLost, kOwnRegistry, "MemorySpareLost",
     "Memory '%1' no longer holds a spare.",
     {SensorLabel}, DegradedWarning, 1025},
    {PostError, kOwnRegistry, "PostError",
     "'%1' reports system firmware POST error %2.",
     {SensorLabel, PostErrorNumber}, Major, 1026},
    {LogCleared, kOwnRegistry, "LogCleared",
     "'%1' reports that the management log was cleared.",
     {SensorLabel}, Information, 1027},
    {FrontPanelNmi, kOwnRegistry, "FrontPanelNmi",
     "'%1' reports a front panel NMI (diagnostic interrupt).",
     {SensorLabel}, Major, 1028},
    {IoChannelCheck, kOwnRegistry, "IoChannelCheck",
     "'%1' reports an I/O channel check.",
     {SensorLabel}, FatalNonRecoverable, 1029},
    {SoftwareNmi, kOwnRegistry, "SoftwareNmi",
     "'%1' reports a software NMI.",
     {SensorLabel}, DegradedWarning, 1030},
    {PciSystemError, kOwnRegistry, "PciSystemError",
     "'%1' reports a PCI system error (SERR).",
     {SensorLabel}, FatalNonRecoverable, 1031},
    {EisaFailSafeTimeout, kOwnRegistry, "EisaFailSafeTimeout",
     "'%1' reports an EISA fail-safe timeout.",
     {SensorLabel}, FatalNonRecoverable, 1032},
    {BusUncorrectableError, kOwnRegistry, "BusUncorrectableError",
     "'%1' reports an uncorrectable bus error.",
     {SensorLabel}, FatalNonRecoverable, 1033},
    {FatalNmi, kOwnRegistry, "FatalNmi",
     "'%1' reports a fatal NMI.",
     {SensorLabel}, FatalNonRecoverable, 1034},
    {OsCriticalStop, kOwnRegistry, "OsCriticalStop",
     "'%1' reports a run-time critical stop of the operating system.",
     {SensorLabel}, FatalNonRecoverable, 1035},
    {OsSoftShutdown, kOwnRegistry, "OsSoftShutdown",
     "'%1' reports a soft shutdown of the operating system.",
     {SensorLabel}, DegradedWarning, 1036},
    {OsSoftShutdownEnded, kOwnRegistry, "OsSoftShutdownEnded",
     "'%1' reports that the soft shutdown of the operating system ended.",
     {SensorLabel}, Information, 1037},
    {AgentNotResponding, kOwnRegistry, "AgentNotResponding",
     "'%1' reports that an agent is not responding.",
     {SensorLabel}, Major, 1038},
    {SlotRedundancyLost, kOwnRegistry, "SlotRedundancyLost",
     "'%1' lost its redundancy.",
     {SensorLabel}, Major, 1039},
    {SlotRedundancyDegraded, kOwnRegistry, "SlotRedundancyDegraded",
     "'%1' runs with degraded redundancy.",
     {SensorLabel}, DegradedWarning, 1040},
    {SlotFault, kOwnRegistry, "SlotFault",
     "'%1' reports a fault.",
     {SensorLabel}, Major, 1041},
    {SlotDeviceInstalled, kOwnRegistry, "SlotDeviceInstalled",
     "A device was installed in '%1'.",
     {SensorLabel}, Information, 1042},
    {SlotDeviceRemoved, kOwnRegistry, "SlotDeviceRemoved",
     "The device in '%1' was removed.",
     {SensorLabel}, Information, 1043},
    {SlotPowerOff, kOwnRegistry, "SlotPowerOff",
     "The slot power of '%1' is off.",
     {SensorLabel}, Information, 1044},
    {SlotPowerOn, kOwnRegistry, "SlotPowerOn",
     "The slot power of '%1' is on.",
     {SensorLabel}, Information, 1045},
    {SlotInterlockClosed, kOwnRegistry, "SlotInterlockClosed",
     "The interlock of '%1' is closed.",
     {SensorLabel}, Information, 1046},
    {SlotInterlockOpen, kOwnRegistry, "SlotInterlockOpen",
     "The interlock of '%1' is open.",
     {SensorLabel}, DegradedWarning, 1047},
    {RecoveryLimitExceeded, kOwnRegistry, "RecoveryLimitExceeded",
     "'%1' exceeded its limit.",
     {SensorLabel}, Critical, 1048},
    {RecoveryTimerExpired, kOwnRegistry, "RecoveryTimerExpired",
     "The timer of '%1' expired.",
     {SensorLabel}, DegradedWarning, 1049},
    {RecoveryPowerCycle, kOwnRegistry, "RecoveryPowerCycle",
     "'%1' power-cycled the server.",
     {SensorLabel}, Major, 1050},
    {BatteryLow, kOwnRegistry, "BatteryLow",
     "Battery '%1' is low.",
     {SensorLabel}, Minor, 1051},
    {ConditionRepaired, kOwnRegistry, "ConditionRepaired",
     "The condition '%2' of '%1' was repaired.",
     {SensorLabel, RepairedEventText}, Information, 1052},
    {UnknownEvent, kOwnRegistry, "UnknownEvent",
     "'%1' logged an event without a known meaning: %2.",
     {SensorLabel, RecordCaption}, Unknown, 1053},
}};
// clang-format on

}  // namespace alert_catalogue

using alert_catalogue::kAlertMessages;

const AlertMessage& MessageOf(MessageKey key);

// "<registry>.<name>", e.g. "Norvipmiprv.1.0.FanDegraded".
std::string MessageId(const AlertMessage& message);
std::string_view OwningEntity(const AlertMessage& message);

// The argument's name in the message registry ("string" or "number" is its ParamType).
std::string_view ArgumentName(MessageArgument argument);
bool IsNumberArgument(MessageArgument argument);

// The severity as Redfish's MessageSeverity ("OK", "Warning", "Critical") and as the type of
// a Windows event log entry (1 error, 2 warning, 4 information). An unknown severity deserves
// a look: Warning.
std::string_view RedfishSeverity(PerceivedSeverity severity);
std::uint16_t WindowsEventType(PerceivedSeverity severity);

}  // namespace norv
