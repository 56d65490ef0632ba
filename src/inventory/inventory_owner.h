// The owner of the process's sensor inventory, as the event log sees it: the lock every reader
// of the inventory holds, a rebuild from the platform, and the inventory. The sensor cache owns
// it (with the sensor lists made from it); the event log rebuilds it for every log area it
// maps, so that the log names the sensors the sensor classes show.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include "inventory/sensor_inventory.h"
#include "platform/named_lock.h"

namespace norv::win {

class InventoryOwner {
public:
    virtual NamedLock& Lock() noexcept = 0;
    // Rebuilds the inventory from the platform; the request context may be null.
    virtual bool RebuildInventory(IWbemContext* context) = 0;
    virtual const SensorInventory& Inventory() const noexcept = 0;

protected:
    ~InventoryOwner() = default;
};

// The process's one owner, built when the module loads.
InventoryOwner& TheInventoryOwner();

}  // namespace norv::win
