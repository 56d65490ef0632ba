// The provider classes this module serves: the class table of DllGetClassObject and of
// registration.
#pragma once

#include <span>

#include "host/provider_class_row.h"

namespace norv::win {

std::span<const ProviderClassRow> ServedProviderClasses() noexcept;

}  // namespace norv::win
