// Whether a sensor entry is the one a lookup's four keys name. The system keys are checked
// first and do not depend on the entry: a path with the wrong system names no sensor at all.
// Values compare case-sensitively; the key names were matched in any case before.
#pragma once

#include <string>
#include <string_view>

#include "inventory/controller_record.h"

namespace norv {

struct SensorKeyValues {
    std::string creationClassName;
    std::string deviceId;
    std::string systemCreationClassName;
    std::string systemName;
};

template <typename Entry>
bool MatchesSensorKeys(const Entry& entry, const SensorKeyValues& wanted,
                       std::string_view servedClass) {
    return wanted.systemCreationClassName == kComputerSystemClass &&
           wanted.systemName == TheManagementController().name &&
           wanted.deviceId == entry.deviceId && wanted.creationClassName == servedClass;
}

}  // namespace norv
