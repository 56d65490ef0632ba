// The time-zone rules in force on this machine now.
#pragma once

#include "eventlog/time_zone_rules.h"

namespace norv {

// Reads the rules with GetTimeZoneInformation. If the platform cannot tell, the rules are
// UTC without daylight time.
TimeZoneRules ReadTimeZoneRules();

}  // namespace norv
