// Which property names IWbemClassObject::GetNames and BeginEnumeration list, from
// their flags: system properties first (in WMI's order), then the others by name.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <optional>
#include <string>
#include <vector>

#include "repository/cim_object.h"

namespace norvwmi {

struct PropertySelection {
    enum class Condition { Always, IfTrue, IfFalse, IfIdentical };
    enum class Origin { Any, Local, Propagated, System, NonSystem };

    Condition condition = Condition::Always;  // on the qualifier named below
    std::string qualifierName;
    CimValue qualifierValue;  // IfIdentical
    bool keysOnly = false;
    bool referencesOnly = false;
    Origin origin = Origin::Any;
};

// nullopt when the flags (or the qualifier a condition needs) are not valid.
std::optional<PropertySelection> GetNamesSelection(LONG flags, LPCWSTR qualifierName,
                                                   const VARIANT* qualifierValue);
std::optional<PropertySelection> EnumerationSelection(LONG flags);

std::vector<std::string> SelectNames(const CimObject& object, const PropertySelection& selection);

}  // namespace norvwmi
