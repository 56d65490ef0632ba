#include "inventory/controller_record.h"

#include <cstdio>

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

const ManagementControllerRecord& TheManagementController() {
    static const ManagementControllerRecord record =
        MakeManagementControllerRecord(NORV_MANUFACTURER_ID, NORV_PRODUCT_NUMBER);
    return record;
}

}  // namespace norv
