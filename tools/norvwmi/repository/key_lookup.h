// Finding an instance by the keys of its object path, as IWbemServices::GetObject does:
// the path must name every key of the class once (Class=value names the only key,
// Class=@ a singleton); key strings compare without regard to case, numbers by value.
#pragma once

#include <optional>
#include <vector>

#include "repository/cim_object.h"
#include "repository/object_path.h"

namespace norvwmi {

// The path's key values in the key properties' own forms; nullopt when the path does not
// name exactly the class's keys or a value does not suit its key (an invalid path).
std::optional<std::vector<KeyBinding>> WantedKeys(const ClassDefinition& definition,
                                                  const ObjectPath& path);

bool HasKeys(const CimObject& instance, const std::vector<KeyBinding>& wanted);

}  // namespace norvwmi
