// AlertsToEventLog.mof: a permanent subscription that writes every alert of at least a
// severity to the Application event log, under our event source, with our message's id.
#pragma once

#include <cstdint>
#include <string>

namespace norv {

// The severity an alert needs to be logged: 5 Major and above.
inline constexpr std::uint16_t kEventLogSeverityThreshold = 5;

std::string SubscriptionMof();

}  // namespace norv
