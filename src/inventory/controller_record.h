// The one management controller the provider presents: a fixed description
// built once when the module loads.
#pragma once

#include <string>

namespace norv {

struct ManagementControllerRecord {
    std::string name;            // "IPMI Controller 0"
    std::string ipmiVersion;     // "1.5"
    std::string manufacturerId;  // IANA enterprise number, decimal
    std::string productId;       // "0"
    std::string instanceId;      // product number followed by ":0"
};

// The process-wide controller record, configured at build time.
const ManagementControllerRecord& TheManagementController();

// Builds a controller record for the given identity (controller instance 0).
ManagementControllerRecord MakeManagementControllerRecord(const std::string& manufacturerId,
                                                          const std::string& productNumber);

}  // namespace norv
