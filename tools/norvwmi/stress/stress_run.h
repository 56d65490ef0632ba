// norvwmi stress: many threads of one host process call the provider module at once, as the
// WMI service does, enumerating every served class and looking up what they enumerated,
// while the platform's data may change underneath (--perturb). Every call is checked:
//
// - it ends as a client expects (exactly one final SetStatus on success, nothing indicated
//   after it, the thread not left impersonating; provider/provider_call.h);
// - an enumeration succeeds, holds no key twice and is one consistent list: as many objects
//   as the first enumeration of its class (the platform's sensors do not come and go), the
//   NumericSensor readings all from one version of the platform data, the LogRecord
//   positions 1..n in order with the log's own record ids rising, and as many LogRecords as
//   RecordLog's CurrentNumberOfRecords when that count is the same before and after;
// - a lookup of an enumerated key finds that very object, or cleanly finds nothing.
//
// At the end every reference is gone: the host's COM objects are as many as before the run,
// DllCanUnloadNow answers S_OK, and the process holds no more handles than after warm-up
// (within a small tolerance). A watchdog ends the process with a report when no call
// finishes for the watchdog's time (a deadlock).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "provider/provider_call.h"
#include "provider/provider_module.h"
#include "simulated_driver/platform_perturbation.h"

namespace norvwmi {

struct StressSettings {
    unsigned threads = 7;
    unsigned seconds = 10;
    unsigned watchdogSeconds = 10;
};

// Handles the process may gain between warm-up and the end without it counting as a leak
// (COM's and the runtime's own lazily created objects).
inline constexpr unsigned long kStressHandleTolerance = 24;

struct StressReport {
    std::uint64_t enumerations = 0;
    std::uint64_t lookups = 0;
    std::uint64_t notFound = 0;  // lookups that cleanly found nothing
    std::uint64_t firstVersion = 0;
    std::uint64_t lastVersion = 0;
    unsigned long handlesAfterWarmUp = 0;  // 0 when the count cannot be read
    unsigned long handlesAtEnd = 0;
    std::uint64_t problemCount = 0;
    std::vector<std::string> problems;  // the first ones, as sentences
};

// Calls the providers of `classNames` (classes of host.nameSpace, each registered with a
// provider for enumeration and get). `perturbation` may be null: the data then never changes.
StressReport RunStress(const ProviderModule& module, const ProviderHost& host,
                       const std::vector<std::string>& classNames,
                       const PerturbedClassSource* perturbation, const StressSettings& settings);

// The one-line summary printed on standard output.
std::string StressSummary(const StressSettings& settings, const StressReport& report);

}  // namespace norvwmi
