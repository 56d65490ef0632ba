#include "inventory/vocabulary.h"

#include <array>
#include <cstddef>

namespace norv {

namespace {

// Shared by the threshold-based sensor types 0x01..0x04, 0x0A and 0x0B.
constexpr std::array<std::string_view, 6> kThresholdStates = {
    "at or below lower non-critical threshold",
    "at or below lower critical threshold",
    "at or below lower non-recoverable threshold",
    "at or above upper non-critical threshold",
    "at or above upper critical threshold",
    "at or above upper non-recoverable threshold",
};

// Sensor type 0x05 (Physical Security).
constexpr std::array<std::string_view, 7> kPhysicalSecurityStates = {
    "General Chassis Intrusion",
    "Drive Bay intrusion",
    "I/O Card area intrusion",
    "Processor area intrusion",
    "LAN Leash Lost(System is unplugged from LAN)",
    "Unauthorized dock",
    "FAN area Intrusion",
};

// Sensor type 0x06 (Platform Security Violation Attempt).
constexpr std::array<std::string_view, 6> kPlatformSecurityStates = {
    "Secure Mode Violation attempt",
    "Pre-boot Password Violation-user password",
    "Pre-boot Password Violation-setup password",
    "Pre-boot Password Violation-network boot password",
    "Other pre-boot Password Violation",
    "Out-of-band Access Password Violation",
};

// Sensor type 0x07 (Processor).
constexpr std::array<std::string_view, 11> kProcessorStates = {
    "IERR",
    "Thermal Trip",
    "FRB1/BIST failure",
    "FRB2/Hang in POST failure",
    "FRB3/Processor Startup/Initialization failure",
    "Configuration Error",
    "SM BIOS 'Uncorrectable CPU-complex Error'",
    "Processor Presence detected",
    "Processor disabled",
    "Terminator Presence Detected",
    "Processor Automatically Throttled",
};

// Sensor type 0x08 (Power Supply).
constexpr std::array<std::string_view, 7> kPowerSupplyStates = {
    "Presence detected",
    "Power Supply Failure detected",
    "Predictive Failure",
    "Power Supply input lost (AC/DC)",
    "Power Supply input lost or out-of-range",
    "Power Supply input out-of-range, but present",
    "Configuration error",
};

// Sensor type 0x09 (Power Unit).
constexpr std::array<std::string_view, 8> kPowerUnitStates = {
    "Power Off/Down",
    "Power Cycle",
    "240VA Power Down",
    "Interlock Power Down",
    "AC lost",
    "Soft Power Control Failure",
    "Power Unit Failure detected",
    "Predictive Failure",
};

// Sensor type 0x0C (Memory).
constexpr std::array<std::string_view, 9> kMemoryStates = {
    "Correctable ECC/other correctable memory error",
    "Uncorrectable ECC/other uncorrectable memory error",
    "Parity",
    "Memory Scrub Failed",
    "Memory Device Disabled",
    "Correctable ECC/other correctable memory error logging limit reached",
    "Presence detected",
    "Configuration error",
    "Spare",
};

// Sensor type 0x0F (System Firmware Progress).
constexpr std::array<std::string_view, 3> kFirmwareProgressStates = {
    "System Firmware POST error",
    "System Firmware Hang",
    "System Firmware Progress",
};

// Sensor type 0x10 (Event Logging Disabled).
constexpr std::array<std::string_view, 6> kEventLoggingDisabledStates = {
    "Correctable Memory Error Logging Disabled",
    "Event \x91" "Type\x92" " Logging Disabled",
    "Log Area Reset/Cleared",
    "All Event Logging Disabled",
    "SEL Full",
    "SEL Almost Full",
};

// Sensor type 0x11 (Watchdog 1).
constexpr std::array<std::string_view, 8> kWatchdog1States = {
    "BIOS Watchdog Reset",
    "OS Watchdog Reset",
    "OS Watchdog Shut Down",
    "OS Watchdog Power Down",
    "OS Watchdog Power Cycle",
    "OS Watchdog NMI/Diagnostic Interrupt",
    "OS Watchdog Expired, status only",
    "OS Watchdog pre-timeout Interrupt, non-NMI",
};

// Sensor type 0x12 (System Event).
constexpr std::array<std::string_view, 5> kSystemEventStates = {
    "System Reconfigured",
    "OEM System Boot Event",
    "Undetermined system hardware failure",
    "Entry added to Auxiliary Log",
    "PEF Action",
};

// Sensor type 0x13 (Critical Interrupt).
constexpr std::array<std::string_view, 11> kCriticalInterruptStates = {
    "Front Panel NMI/Diagnostic Interrupt",
    "Bus Timeout",
    "I/O channel check NMI",
    "Software NMI",
    "PCI PERR",
    "PCI SERR",
    "EISA Fail Safe Timeout",
    "Bus Correctable Error",
    "Bus Uncorrectable Error",
    "Fatal NMI",
    "Bus Fatal Error",
};

// Sensor type 0x14 (Button/Switch).
constexpr std::array<std::string_view, 5> kButtonSwitchStates = {
    "Power Button pressed",
    "Sleep Button pressed",
    "Reset Button pressed",
    "FRU latch open",
    "FRU service request button",
};

// Sensor type 0x19 (Chip Set).
constexpr std::array<std::string_view, 1> kChipSetStates = {
    "Soft Power Control Failure",
};

// Sensor type 0x1D (System Boot / Restart Initiated).
constexpr std::array<std::string_view, 8> kSystemBootStates = {
    "Initiated by power up",
    "Initiated by hard reset",
    "Initiated by warm reset",
    "User requested PXE boot",
    "Automatic boot to diagnostic",
    "OS / run-time software initiated hard reset",
    "OS / run-time software initiated warm reset",
    "System Restart",
};

// Sensor type 0x1E (Boot Error).
constexpr std::array<std::string_view, 5> kBootErrorStates = {
    "No bootable media",
    "Non-bootable diskette left in drive",
    "PXE Server not found",
    "Invalid boot sector",
    "Timeout waiting for user selection of boot source",
};

// Sensor type 0x1F (OS Boot).
constexpr std::array<std::string_view, 7> kOsBootStates = {
    "A:boot completed",
    "C:boot completed",
    "PXE boot completed",
    "Diagnostic boot completed",
    "CD-ROM boot completed",
    "ROM boot completed",
    "boot completed - boot device not specified",
};

// Sensor type 0x20 (OS Stop / Shutdown).
constexpr std::array<std::string_view, 6> kOsStopStates = {
    "Critical Stop during OS load / initialization",
    "Run-time Critical Stop",
    "OS Graceful Stop",
    "OS Graceful Shutdown",
    "Soft Shutdown initiated by PEF",
    "Agent Not Responding",
};

// Sensor type 0x21 (Slot/Connector).
constexpr std::array<std::string_view, 10> kSlotConnectorStates = {
    "Fault Status assert",
    "Identify Status asserted",
    "Device installed/attached",
    "Ready for Device Installation",
    "Ready for Device Removal",
    "Slot Power is Off",
    "Device Removal Request",
    "Interlock asserted",
    "Slot is Disabled",
    "Slot holds spare device",
};

// Sensor type 0x22 (System ACPI Power State).
constexpr std::array<std::string_view, 14> kAcpiPowerStates = {
    "S0/G0 \x93" "working\x94",
    "S1 \x93" "sleeping with system h/w & processor context maintained\x94",
    "S2 \x93" "sleeping, processor context lost\x94",
    "S3 \x93" "sleeping, processor & h/w context lost, memory retained.\x94",
    "S4 \x93" "non-volatile sleep / suspend-to disk\x94",
    "S5/G2 \x93" "soft-off\x94",
    "S4/S5 soft-off, particular S4 / S5 state cannot be determined",
    "G3/Mechanical Off",
    "Sleeping in an S1, S2, or S3 states",
    "G1 sleeping",
    "S5 entered by override",
    "Legacy ON state",
    "Legacy OFF state",
    "Unknown",
};

// Sensor type 0x23 (Watchdog 2).
constexpr std::array<std::string_view, 4> kWatchdog2States = {
    "Timer expired",
    "Hard Reset",
    "Power Down",
    "Power Cycle",
};

// Sensor type 0x24 (Platform Alert).
constexpr std::array<std::string_view, 4> kPlatformAlertStates = {
    "Platform generated page",
    "Platform generated LAN alert",
    "Platform Event Trap generated",
    "Platform generated SNMP trap",
};

// Sensor type 0x25 (Entity Presence).
constexpr std::array<std::string_view, 3> kEntityPresenceStates = {
    "Entity Present",
    "Entity Absent",
    "Entity Disabled",
};

// Sensor type 0x27 (LAN).
constexpr std::array<std::string_view, 2> kLanStates = {
    "LAN Heartbeat Lost",
    "LAN Heartbeat",
};

// Sensor type 0x28 (Management Subsystem Health).
constexpr std::array<std::string_view, 4> kManagementHealthStates = {
    "Sensor access degraded or unavailable",
    "controller access degraded or unavailable",
    "management controller off-line",
    "management controller unavailable",
};

// Sensor type 0x29 (Battery).
constexpr std::array<std::string_view, 3> kBatteryStates = {
    "battery low",
    "battery failed",
    "battery presence detected",
};

// Sensor type 0x2A (Session Audit).
constexpr std::array<std::string_view, 2> kSessionAuditStates = {
    "Session Activated",
    "Session Deactivated",
};

// Sensor type 0x2B (Version Change).
constexpr std::array<std::string_view, 8> kVersionChangeStates = {
    "Hardware change detected with associated Entity",
    "Firmware or software change detected with associated Entity",
    "Hardware incompatibility detected with associated Entity",
    "Firmware or software incompatibility detected with associated Entity",
    "Entity is of an invalid or unsupported hardware version",
    "Entity contains an invalid or unsupported firmware or software version",
    "Hardware Change detected with associated Entity was successful",
    "Software or F/W Change detected with associated Entity was successful",
};

// Sensor type 0x2C (FRU State).
constexpr std::array<std::string_view, 8> kFruStates = {
    "FRU Not Installed",
    "FRU Inactive",
    "FRU Activation Requested",
    "FRU Activation In Progress",
    "FRU Active",
    "FRU Deactivation Requested",
    "FRU Deactivation In Progress",
    "FRU Communication Lost",
};

// Sensor-type state lists by sensor type 0x00..0x2D; types without texts are empty.
constexpr std::array<StateList, 46> kSensorTypeStateLists = {
    StateList{},  // 0x00 reserved
    kThresholdStates,  // 0x01 Temperature
    kThresholdStates,  // 0x02 Voltage
    kThresholdStates,  // 0x03 Current
    kThresholdStates,  // 0x04 Fan
    kPhysicalSecurityStates,  // 0x05 Physical Security
    kPlatformSecurityStates,  // 0x06 Platform Security Violation Attempt
    kProcessorStates,  // 0x07 Processor
    kPowerSupplyStates,  // 0x08 Power Supply
    kPowerUnitStates,  // 0x09 Power Unit
    kThresholdStates,  // 0x0A Cooling Device
    kThresholdStates,  // 0x0B Other Units-based Sensor
    kMemoryStates,  // 0x0C Memory
    StateList{},  // 0x0D Drive Slot
    StateList{},  // 0x0E POST Memory Resize
    kFirmwareProgressStates,  // 0x0F System Firmware Progress
    kEventLoggingDisabledStates,  // 0x10 Event Logging Disabled
    kWatchdog1States,  // 0x11 Watchdog 1
    kSystemEventStates,  // 0x12 System Event
    kCriticalInterruptStates,  // 0x13 Critical Interrupt
    kButtonSwitchStates,  // 0x14 Button/Switch
    StateList{},  // 0x15 Module/Board
    StateList{},  // 0x16 Microcontroller/Coprocessor
    StateList{},  // 0x17 Add-in Card
    StateList{},  // 0x18 Chassis
    kChipSetStates,  // 0x19 Chip Set
    StateList{},  // 0x1A Other FRU
    StateList{},  // 0x1B Cable/Interconnect
    StateList{},  // 0x1C Terminator
    kSystemBootStates,  // 0x1D System Boot / Restart Initiated
    kBootErrorStates,  // 0x1E Boot Error
    kOsBootStates,  // 0x1F OS Boot
    kOsStopStates,  // 0x20 OS Stop / Shutdown
    kSlotConnectorStates,  // 0x21 Slot/Connector
    kAcpiPowerStates,  // 0x22 System ACPI Power State
    kWatchdog2States,  // 0x23 Watchdog 2
    kPlatformAlertStates,  // 0x24 Platform Alert
    kEntityPresenceStates,  // 0x25 Entity Presence
    StateList{},  // 0x26 Monitor ASIC / IC
    kLanStates,  // 0x27 LAN
    kManagementHealthStates,  // 0x28 Management Subsystem Health
    kBatteryStates,  // 0x29 Battery
    kSessionAuditStates,  // 0x2A Session Audit
    kVersionChangeStates,  // 0x2B Version Change
    kFruStates,  // 0x2C FRU State
    StateList{},  // 0x2D OEM
};

// Generic event/reading type 0x01.
constexpr std::array<std::string_view, 12> kThresholdEventStates = {
    "Lower Non-critical - going low",
    "Lower Non-critical - going high",
    "Lower Critical - going low",
    "Lower Critical - going high",
    "Lower Non-recoverable - going low",
    "Lower Non-recoverable - going high",
    "Upper Non-critical - going low",
    "Upper Non-critical - going high",
    "Upper Critical - going low",
    "Upper Critical - going high",
    "Upper Non-recoverable - going low",
    "Upper Non-recoverable - going high",
};

// Generic event/reading type 0x02.
constexpr std::array<std::string_view, 3> kUsageStates = {
    "Transition to Idle",
    "Transition to Active",
    "Transition to Busy",
};

// Generic event/reading type 0x03.
constexpr std::array<std::string_view, 2> kAssertionStates = {
    "State Deasserted",
    "State Asserted",
};

// Generic event/reading type 0x04.
constexpr std::array<std::string_view, 2> kPredictiveFailureStates = {
    "Predictive Failure Deasserted",
    "Predictive Failure Asserted",
};

// Generic event/reading type 0x05.
constexpr std::array<std::string_view, 2> kLimitStates = {
    "Limit Not Exceeded",
    "Limit Exceeded",
};

// Generic event/reading type 0x06.
constexpr std::array<std::string_view, 2> kPerformanceStates = {
    "Performance Met",
    "Performance Lags",
};

// Generic event/reading type 0x07.
constexpr std::array<std::string_view, 9> kSeverityStates = {
    "Transition to OK",
    "Transition to Non-Critical from OK",
    "Transition to Critical from less severe",
    "Transition to Non-recoverable from less severe",
    "Transition to Non-Critical from more severe",
    "Transition to Critical from Non-recoverable",
    "Transition to Non-recoverable",
    "Monitor",
    "Informational",
};

// Generic event/reading type 0x08.
constexpr std::array<std::string_view, 2> kPresenceStates = {
    "Device Removed/Device Absent",
    "Device Inserted/Device Present",
};

// Generic event/reading type 0x09.
constexpr std::array<std::string_view, 2> kEnablementStates = {
    "Device Disabled",
    "Device Enabled",
};

// Generic event/reading type 0x0A.
constexpr std::array<std::string_view, 9> kAvailabilityStates = {
    "Transition to Running",
    "Transition to In Test",
    "Transition to Power Off",
    "Transition to On Line",
    "Transition to Off Line",
    "Transition to Off Duty",
    "Transition to Degraded",
    "Transition to Power Save",
    "Install Error",
};

// Generic event/reading type 0x0B.
constexpr std::array<std::string_view, 8> kRedundancyStates = {
    "Fully Redundant",
    "Redundancy Lost",
    "Redundancy Degraded",
    "Non-redundant:Sufficient Resources from Redundant",
    "Non-redundant:Sufficient Resources from Insufficient",
    "Non-redundant:Insufficient Resources",
    "Redundancy Degraded from Fully Redundant",
    "Redundancy Degraded from Non-Redundant",
};

// Generic event/reading type 0x0C.
constexpr std::array<std::string_view, 4> kAcpiDeviceStates = {
    "D0 Power State",
    "D1 Power State",
    "D2 Power State",
    "D3 Power State",
};

// Generic state lists by event/reading type 0x00..0x0C; 0x00 has none.
constexpr std::array<StateList, 13> kGenericStateLists = {
    StateList{},  // 0x00
    kThresholdEventStates,  // 0x01
    kUsageStates,  // 0x02
    kAssertionStates,  // 0x03
    kPredictiveFailureStates,  // 0x04
    kLimitStates,  // 0x05
    kPerformanceStates,  // 0x06
    kSeverityStates,  // 0x07
    kPresenceStates,  // 0x08
    kEnablementStates,  // 0x09
    kAvailabilityStates,  // 0x0A
    kRedundancyStates,  // 0x0B
    kAcpiDeviceStates,  // 0x0C
};

// Entity texts by entity id 0x00..0x2F.
constexpr std::array<std::string_view, 48> kEntityTexts = {
    "Unspecified",  // 0x00
    "Other",  // 0x01
    "Unknown",  // 0x02
    "Processor",  // 0x03
    "Disk or disk bay",  // 0x04
    "Peripheral bay",  // 0x05
    "System management module",  // 0x06
    "System board",  // 0x07
    "Memory module",  // 0x08
    "Processor module",  // 0x09
    "Power Supply",  // 0x0A
    "Add-in card",  // 0x0B
    "Front Panel board",  // 0x0C
    "Back Panel board",  // 0x0D
    "Power system board",  // 0x0E
    "Drive backplane",  // 0x0F
    "System internal expansion board",  // 0x10
    "Other system board",  // 0x11
    "Processor board",  // 0x12
    "Power unit/power domain",  // 0x13
    "Power module",  // 0x14
    "Power management/Power distribution board",  // 0x15
    "Chassis back panel board",  // 0x16
    "System chassis",  // 0x17
    "Sub-chassis",  // 0x18
    "Other chassis board",  // 0x19
    "Disk Drive Bay",  // 0x1A
    "Peripheral Bay",  // 0x1B
    "Device Bay",  // 0x1C
    "Fan/cooling device",  // 0x1D
    "Cooling unit",  // 0x1E
    "Cable/Interconnect",  // 0x1F
    "Memory device",  // 0x20
    "System Management Software",  // 0x21
    "BIOS",  // 0x22
    "Operating System",  // 0x23
    "System bus",  // 0x24
    "Group",  // 0x25
    "Remote (Out of Band) Management Communication Device",  // 0x26
    "External Environment",  // 0x27
    "Battery",  // 0x28
    "Processing blade",  // 0x29
    "Connectivity switch",  // 0x2A
    "Processor/memory module",  // 0x2B
    "I/O module",  // 0x2C
    "Processor/IO module",  // 0x2D
    "Management Controller Firmware",  // 0x2E
    "IPMI Channel",  // 0x2F
};

// Sensor-type texts by sensor type 0x00..0x2D.
constexpr std::array<std::string_view, 46> kSensorTypeTexts = {
    "reserved",  // 0x00
    "Temperature",  // 0x01
    "Voltage",  // 0x02
    "Current",  // 0x03
    "Fan",  // 0x04
    "Physical Security",  // 0x05
    "Platform Security Violation Attempt",  // 0x06
    "Processor",  // 0x07
    "Power Supply",  // 0x08
    "Power Unit",  // 0x09
    "Cooling Device",  // 0x0A
    "Other Units-based Sensor",  // 0x0B
    "Memory",  // 0x0C
    "Drive Slot",  // 0x0D
    "POST Memory Resize",  // 0x0E
    "System Firmware Progress",  // 0x0F
    "Event Logging Disabled",  // 0x10
    "Watchdog 1",  // 0x11
    "System Event",  // 0x12
    "Critical Interrupt",  // 0x13
    "Button/Switch",  // 0x14
    "Module/Board",  // 0x15
    "Microcontroller/Coprocessor",  // 0x16
    "Add-in Card",  // 0x17
    "Chassis",  // 0x18
    "Chip Set",  // 0x19
    "Other FRU",  // 0x1A
    "Cable/Interconnect",  // 0x1B
    "Terminator",  // 0x1C
    "System Boot / Restart Initiated",  // 0x1D
    "Boot Error",  // 0x1E
    "OS Boot",  // 0x1F
    "OS Stop / Shutdown",  // 0x20
    "Slot/Connector",  // 0x21
    "System ACPI Power State",  // 0x22
    "Watchdog 2",  // 0x23
    "Platform Alert",  // 0x24
    "Entity Presence",  // 0x25
    "Monitor ASIC / IC",  // 0x26
    "LAN",  // 0x27
    "Management Subsystem Health",  // 0x28
    "Battery",  // 0x29
    "Session Audit",  // 0x2A
    "Version Change",  // 0x2B
    "FRU State",  // 0x2C
    "OEM",  // 0x2D
};
// Entity code by health-driver locale code 0..14; any other locale is "Unknown" (0x02).
constexpr std::array<std::uint8_t, 15> kLocaleEntities = {
    0x07,  // 0  System board
    0x07,  // 1  System board
    0x2C,  // 2  I/O module
    0x12,  // 3  Processor board
    0x08,  // 4  Memory module
    0x05,  // 5  Peripheral bay
    0x04,  // 6  Disk or disk bay
    0x13,  // 7  Power unit/power domain
    0x27,  // 8  External Environment
    0x17,  // 9  System chassis
    0x1F,  // 10 Cable/Interconnect
    0x06,  // 11 System management module
    0x0F,  // 12 Drive backplane
    0x2A,  // 13 Connectivity switch
    0x29,  // 14 Processing blade
};
constexpr std::uint32_t kUnknownEntity = 0x02;

struct CimSensorTypeRow {
    std::uint32_t ipmiSensorType;
    std::uint32_t cimSensorType;
};

// Every other sensor type is CIM "Other" (1).
constexpr std::array<CimSensorTypeRow, 4> kCimSensorTypes = {{
    {kSensorTypeTemperature, 2},  // Temperature
    {kSensorTypeVoltage, 3},      // Voltage
    {kSensorTypeCurrent, 4},      // Current
    {kSensorTypeFan, 5},          // Tachometer
}};
constexpr std::uint32_t kCimSensorTypeOther = 1;

constexpr std::string_view kWatchdogTimerInterrupt = "Timer interrupt";
constexpr std::string_view kOemStatePrefix = "OEM State: ";

std::string_view TextAt(StateList list, std::uint32_t state) {
    return state < list.size() ? list[state] : kStateTextNotApplicable;
}

bool IsGenericReading(std::uint32_t eventReadingType) {
    return eventReadingType >= kReadingGenericFirst && eventReadingType <= kReadingGenericLast;
}

}  // namespace

StateList SensorTypeStates(std::uint32_t sensorType) {
    return sensorType < kSensorTypeStateLists.size() ? kSensorTypeStateLists[sensorType]
                                                     : StateList{};
}

StateList GenericStates(std::uint32_t eventReadingType) {
    return eventReadingType < kGenericStateLists.size() ? kGenericStateLists[eventReadingType]
                                                        : StateList{};
}

void AppendStateText(std::string& text, std::uint32_t eventReadingType, std::uint32_t sensorType,
                     std::uint32_t state) {
    switch (state) {
    case kStateOk:
        text += kStateTextOk;
        return;
    case kStateDeasserted:
        text += kStateTextDeasserted;
        return;
    case kStateNotApplicable:
        text += kStateTextNotApplicable;
        return;
    default:
        break;
    }
    if (eventReadingType == kReadingThreshold || eventReadingType == kReadingSensorSpecific) {
        text += TextAt(SensorTypeStates(sensorType), state);
    } else if (IsGenericReading(eventReadingType)) {
        text += TextAt(GenericStates(eventReadingType), state);
    } else if (eventReadingType >= kReadingOemFirst) {
        text += kOemStatePrefix;
        text += std::to_string(state);
    } else {
        text += kStateTextNotApplicable;
    }
}

std::string StateText(std::uint32_t eventReadingType, std::uint32_t sensorType,
                      std::uint32_t state) {
    std::string text;
    AppendStateText(text, eventReadingType, sensorType, state);
    return text;
}

std::vector<std::string> PossibleStates(std::uint32_t eventReadingType, std::uint32_t sensorType) {
    StateList typed;
    std::string_view first;
    if (eventReadingType == kReadingThreshold) {
        first = kStateTextOk;
        typed = SensorTypeStates(sensorType);
    } else if (eventReadingType == kReadingSensorSpecific) {
        first = kStateTextDeasserted;
        typed = SensorTypeStates(sensorType);
    } else if (IsGenericReading(eventReadingType)) {
        first = kStateTextDeasserted;
        typed = GenericStates(eventReadingType);
    } else {
        return {};
    }

    std::vector<std::string> states;
    states.reserve(typed.size() + 3);
    states.emplace_back(first);
    states.emplace_back(kStateTextNotApplicable);
    states.insert(states.end(), typed.begin(), typed.end());
    if (eventReadingType == kReadingSensorSpecific && sensorType == kSensorTypeWatchdog2) {
        states.emplace_back(kWatchdogTimerInterrupt);
    }
    return states;
}

std::string_view EntityText(std::uint32_t entityId) {
    return entityId < kEntityTexts.size() ? kEntityTexts[entityId] : kEntityTexts[0];
}

std::string_view SensorTypeText(std::uint32_t sensorType) {
    if (sensorType < kSensorTypeTexts.size()) {
        return kSensorTypeTexts[sensorType];
    }
    return sensorType >= kSensorTypeOemFirst ? "OEM" : "";
}

std::uint32_t LocaleToEntity(std::uint8_t locale) {
    return locale < kLocaleEntities.size() ? kLocaleEntities[locale] : kUnknownEntity;
}

std::uint32_t CimSensorType(std::uint32_t sensorType) {
    for (const CimSensorTypeRow& row : kCimSensorTypes) {
        if (row.ipmiSensorType == sensorType) {
            return row.cimSensorType;
        }
    }
    return kCimSensorTypeOther;
}

}  // namespace norv
