// The WMI utility interfaces (the object-path parser and the query parser) and the class ids
// the host registers them under: the provider's own declarations, shared with the host.
#pragma once

#include "platform/wmi_utility_interfaces.h"

namespace norvwmi {

using norv::kPathParserClsid;
using norv::kQueryParserClsid;

}  // namespace norvwmi
