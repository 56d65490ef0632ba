// The kinds of sensor the inventory knows. A kind selects the element-name text of a
// record and, with two key numbers, is the key by which the event log finds the record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace norv {

enum class SensorKind : std::uint32_t {
    Fan = 0,
    FanGroup = 1,
    FanSharedGroup = 2,
    Temperature = 3,
    PowerSupply = 4,
    PowerGroup = 5,
    PowerSubsystem = 6,
    CartridgeDimm = 7,
    BoardDimm = 8,
    CartridgePirn = 9,
    Cartridge = 10,
    BoardDimms = 11,
    AdvancedMemoryProtection = 12,
    Cpu = 13,
    Asr = 14,
    UidLight = 15,
    Nmi = 16,
    SlotNotify = 17,
    NetworkAdapters = 18,
    PostError = 19,
    OsStop = 20,
    LogMaintenance = 21,
    Rtc = 22,
};

inline constexpr std::size_t kSensorKindCount = 23;

// Element names live in fixed slots of 22 bytes, so a name holds at most 21 characters.
inline constexpr std::size_t kElementNameWidth = 22;
inline constexpr std::size_t kMaxElementNameLength = kElementNameWidth - 1;

// Element-name text of each kind, by kind index. "%u" marks where a number is printed.
inline constexpr std::array<std::string_view, kSensorKindCount> kElementNameTexts = {
    "FAN %u",               // 0  Fan
    "FAN GROUP %u",         // 1  FanGroup
    "FAN SHARED GROUP %u",  // 2  FanSharedGroup
    "TEMPERATURE %u",       // 3  Temperature
    "POWER SUPPLY %u",      // 4  PowerSupply
    "POWER GROUP %u",       // 5  PowerGroup
    "Pwr Subsystem",        // 6  PowerSubsystem
    "CART %u: DIMM %u",     // 7  CartridgeDimm
    "SysBoard DIMM %u",     // 8  BoardDimm
    "MEM CART %u PIRN",     // 9  CartridgePirn
    "MEM CART %u",          // 10 Cartridge
    "SysBoard DIMMs",       // 11 BoardDimms
    "Adv Mem Protect",      // 12 AdvancedMemoryProtection
    "CPU %u",               // 13 Cpu
    "ASR",                  // 14 Asr
    "UID Light signal",     // 15 UidLight
    "NMI",                  // 16 Nmi
    "Slot Notify",          // 17 SlotNotify
    "Network Adapters",     // 18 NetworkAdapters
    "POST Error",           // 19 PostError
    "",                     // 20 OsStop
    "Kron Maintenance",     // 21 LogMaintenance
    "RTC",                  // 22 Rtc
};

constexpr bool AllElementNameTextsFit() {
    for (std::string_view text : kElementNameTexts) {
        if (text.size() > kMaxElementNameLength) {
            return false;
        }
    }
    return true;
}
static_assert(AllElementNameTextsFit(), "an element-name text does not fit its 22-byte slot");

constexpr std::uint32_t KindIndex(SensorKind kind) {
    return static_cast<std::uint32_t>(kind);
}

constexpr std::string_view ElementNameText(SensorKind kind) {
    return KindIndex(kind) < kSensorKindCount ? kElementNameTexts[KindIndex(kind)]
                                              : std::string_view{};
}

}  // namespace norv
