// AlertsToEventLog.mof: a permanent subscription that writes every alert of at least a
// severity to the Application event log, under our event source, with our message's id.
#pragma once

#include <cstdint>
#include <string>

namespace norv {

// The severity an alert needs to be logged: 5 Major and above.
inline constexpr std::uint16_t kEventLogSeverityThreshold = 5;

std::string SubscriptionMof();

// UninstallAlertsToEventLog.mof: deletes the bindings, consumers and filters that
// SubscriptionMof installs, each NOFAIL, so that uninstall.cmd may compile it whether or not
// the subscription was installed.
std::string SubscriptionRemovalMof();

}  // namespace norv
