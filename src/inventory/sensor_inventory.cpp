#include "inventory/sensor_inventory.h"

namespace norv {

void SensorInventory::Clear() {
    records.clear();
    valid = false;
    notRun.reset();
}

void SensorInventory::MarkRead(std::size_t first, HealthRead read, bool ran) {
    for (std::size_t index = first; index < records.size(); ++index) {
        records[index].SetReadFrom(read);
    }
    if (!ran) notRun.set(IndexOf(read));
}

void SensorInventory::RemoveLast() {
    if (!records.empty()) {
        records.pop_back();
    }
}

}  // namespace norv
