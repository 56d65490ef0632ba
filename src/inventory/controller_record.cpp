#include "inventory/controller_record.h"

#include <cstdio>

#include "platform/load_order.h"

namespace norv {

namespace {
constexpr unsigned kControllerInstance = 0;
constexpr std::size_t kNameBufferSize = 24;
}  // namespace

ManagementControllerRecord MakeManagementControllerRecord(const std::string& manufacturerId,
                                                          const std::string& productNumber) {
    char name[kNameBufferSize];
    std::snprintf(name, sizeof name, "IPMI Controller %u", kControllerInstance);
    char instance[16];
    std::snprintf(instance, sizeof instance, ":%u", kControllerInstance);
    return ManagementControllerRecord{name, "1.5", manufacturerId, "0", productNumber + instance};
}

namespace {
// Built at load, before the caches that describe events and sensors of this controller, and
// destroyed after them.
NORV_LOAD_ORDER(kLoadOrderControllerRecord)
const ManagementControllerRecord controllerRecord =
    MakeManagementControllerRecord(NORV_MANUFACTURER_ID, NORV_PRODUCT_NUMBER);
}  // namespace

const ManagementControllerRecord& TheManagementController() {
    return controllerRecord;
}

}  // namespace norv
