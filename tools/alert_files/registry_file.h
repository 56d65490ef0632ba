// Our Redfish message registry: the catalogue's own messages (not the DMTF ones it reuses)
// with their texts, arguments, severities and what each clears.
#pragma once

#include <string>

namespace norv {

// The file's name is its Id with ".json".
inline constexpr const char* kRegistryId = "Norvipmiprv.1.0.0";

std::string RegistryFile();

}  // namespace norv
