#include "inventory/sensor_inventory.h"

namespace norv {

void SensorInventory::Clear() {
    records.clear();
    valid = false;
}

void SensorInventory::RemoveLast() {
    if (!records.empty()) {
        records.pop_back();
    }
}

}  // namespace norv
