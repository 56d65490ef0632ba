// What a reader of the two process-wide caches gets: the parts it asked for, each as the
// cache last built it, shared and never changed after. A snapshot needs no lock to read and
// stays as it is however the caches are rebuilt meanwhile.
#pragma once

#include <memory>

#include "eventlog/log_contents.h"
#include "inventory/sensor_inventory.h"
#include "sensors/sensor_lists.h"

namespace norv {

struct CacheSnapshot {
    // The event log; null when it was not asked for. A log that cannot be read is an empty
    // (or shortened) log, with `readWhole` false.
    std::shared_ptr<const LogContents> log;
    // The sensor inventory as last built (by the log's rebuild or the lists' refresh) and
    // the two instance lists; both null when the sensors were not asked for or could not be
    // refreshed.
    std::shared_ptr<const SensorInventory> inventory;
    std::shared_ptr<const SensorLists> sensors;
};

}  // namespace norv
