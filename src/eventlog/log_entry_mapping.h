// Turns a management-log entry into a SEL event attached to a sensor of the inventory, so
// that the event names the same sensor, with the same number, that the sensor providers
// show. Entries that cannot be mapped, or whose sensor is not in the inventory, are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "eventlog/sel_entry.h"
#include "eventlog/sensor_search.h"
#include "inventory/sensor_inventory.h"

namespace norv {

// The status byte that selects the "Transition to OK" severity form of event data 2.
inline constexpr std::uint8_t kEntryStatusTransitionToOk = 6;

// The POST error text is read for at most this many characters.
inline constexpr std::size_t kMaxPostErrorTextLength = 236;

// Starts selEntry afresh with the entry's bytes (at most 256 of them) and its record id,
// then fills every SEL field when the entry maps to an event and its sensor is found.
// Returns false for an entry that is dropped: unmapped, shorter than the fields its class
// reads, or naming a sensor the inventory does not hold. Nothing past the end of `entry`
// or past its own length field is read.
bool MapEntry(std::span<const std::uint8_t> entry, const SensorSearch& search, SelEntry& selEntry);
// The same, for one entry: a search over the inventory is made for the call.
bool MapEntry(std::span<const std::uint8_t> entry, const SensorInventory& inventory,
              SelEntry& selEntry);

// Takes the first record of the inventory that matches selEntry's sensorKind, key1 and key2
// and copies its identity (owner, number, entity, device id and label) into selEntry.
bool FindSensor(const SensorSearch& search, SelEntry& selEntry);
bool FindSensor(const SensorInventory& inventory, SelEntry& selEntry);

}  // namespace norv
