// Times one tick of an idle event subscription beside one cold LogRecord and one cold Sensor
// enumeration of the same platform, in one process: what a subscription on a quiet server
// costs every period, set against the requests a console makes of the same log and sensors.
// Google Benchmark has no Windows build here, so this program only measures and prints;
// bench/dll_enum_bench.cpp runs it and reports.
//
//   event_tick_timer [--platform FILE] [--module FILE] SAMPLES
//
// The tick is the module's own code: `HardwareWatch` from the module's static library, given
// the served namespace as the event provider's Initialize is, started from a snapshot as a
// new query starts it, and ticked as the provider's worker ticks it, with a recording sink.
// The enumerations go through Norvipmiprv.dll as `norvwmi enum LogRecord` and `norvwmi enum
// Sensor` do. Before each sample the caches' clock moves on by three seconds (the skew the
// tests of the module use), so both the module's caches and the watch's are stale and
// rebuild, as they are every period of the default ten seconds; nothing else changes, so no
// tick finds an event (a tick that makes one is an error). The Sensor enumeration rebuilds
// the inventory as the tick does; the LogRecord one does so only where the platform has a
// management log. What the tick's time goes to is shown by two parts of it, timed alone: the
// snapshot it takes (both caches refreshed, their shared values taken) and the inventory build
// that refresh includes (the builders over the platform's queries). After one untimed sample
// of each kind ("fill"), SAMPLES of each, in turn, each one line:
//   tick|alerting|cold|sensor|snapshot|inventory NANOSECONDS OBJECTS QUERIES [CLASS=COUNT]...
// alerting: the tick of a second watch of the same platform whose subscription also has an
// active AlertIndication query (StartAlerts), taken beside the plain tick in each round, first
// in every other round, so that the two see the same spells of the machine; cold: a LogRecord
// enumeration; sensor: a Sensor enumeration. OBJECTS: a tick's events
// (always 0), an enumeration's instances, a snapshot's log records and sensor entries, an
// inventory's records. QUERIES: the instance lists the host handed out from the platform's
// namespaces (root\wmi, root\CIMv2) meanwhile, one per WQL query sent there, then the same by
// the class queried.
// Exit status 0, or 1 with a message on standard error.
#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "com/recording_sink.h"
#include "com/wbem_services.h"
#include "events/hardware_snapshot.h"
#include "events/hardware_watch.h"
#include "inventory/cache_clock.h"
#include "inventory/sensor_inventory.h"
#include "provider/provider_session.h"
#include "provider/provider_module.h"
#include "sensors/sdr_cache.h"
#include "timed_stand_in.h"

namespace {

using norv::bench::CountingClassSource;
using norv::bench::QueryCounts;
using norv::bench::Stopwatch;

int Fail(const std::string& message) {
    std::fprintf(stderr, "event_tick_timer: %s\n", message.c_str());
    return 1;
}

bool Refuse(const std::string& message) {
    (void)Fail(message);
    return false;
}

// Moves the caches' clock three seconds on: both the module's caches and the watch's (the
// module's library linked here) read it from this process's environment.
void AgeTheCaches() {
    static long skew = 0;
    skew += 3;
    ::SetEnvironmentVariableA(norv::win::kCacheClockSkewVariable, std::to_string(skew).c_str());
}

// The queries sent between two counts, as " CLASS=COUNT" pairs, and their total.
std::pair<std::uint64_t, std::string> QueriesBetween(const QueryCounts& before,
                                                     const QueryCounts& after) {
    std::uint64_t total = 0;
    std::string byClass;
    for (const auto& [className, count] : after) {
        const auto earlier = before.find(className);
        const std::uint64_t sent = count - (earlier == before.end() ? 0 : earlier->second);
        if (sent == 0) continue;
        total += sent;
        byClass += " " + className + "=" + std::to_string(sent);
    }
    return {total, byClass};
}

void PrintSample(const char* kind, std::uint64_t nanoseconds, std::size_t objects,
                 const QueryCounts& before, const QueryCounts& after) {
    const auto [total, byClass] = QueriesBetween(before, after);
    std::printf("%s %llu %zu %llu%s\n", kind, static_cast<unsigned long long>(nanoseconds), objects,
                static_cast<unsigned long long>(total), byClass.c_str());
    std::fflush(stdout);
}

// The event provider's watch over one subscription, ticked by hand.
class IdleTick {
public:
    IdleTick(norv::win::HardwareWatch& watch, const CountingClassSource& counter)
        : watch_(watch),
          counter_(counter),
          sink_(norvwmi::RecordingSink::Create()),
          stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    // One tick, printed; false (with a message) when it found an event or cannot run.
    bool Run(const char* kind) {
        if (!sink_ || !stop_) return Refuse("no sink or stop event for the tick");
        const norv::win::StopSignal stop(stop_.get());
        const QueryCounts before = counter_.Counts();
        const Stopwatch watch;
        watch_.Tick(sink_.get(), stop);
        const std::uint64_t nanoseconds = watch.Nanoseconds();
        // The recording sink takes every event offered to it.
        const std::size_t events = sink_->Objects().size();
        if (events != 0)
            return Refuse("an idle tick made " + std::to_string(events) +
                          " events: the platform is not quiet");
        PrintSample(kind, nanoseconds, events, before, counter_.Counts());
        return true;
    }

private:
    norv::win::HardwareWatch& watch_;
    const CountingClassSource& counter_;
    norv::win::ComPtr<norvwmi::RecordingSink> sink_;
    norv::win::UniqueHandle stop_;
};

// The tick's snapshot alone, printed.
void RunSnapshot(const char* kind, norv::win::HardwareWatch& watch,
                 const CountingClassSource& counter) {
    const QueryCounts before = counter.Counts();
    const Stopwatch stopwatch;
    const norv::HardwareSnapshot snapshot = watch.TakeSnapshot();
    const std::uint64_t nanoseconds = stopwatch.Nanoseconds();
    PrintSample(kind, nanoseconds,
                snapshot.Records().size() + snapshot.Sensors().size() +
                    snapshot.NumericSensors().size(),
                before, counter.Counts());
}

// The inventory build alone, into an inventory kept between builds as the sensor cache keeps
// its own (it asks for the processors once). False (with a message) when the build failed.
bool RunInventoryBuild(const char* kind, norv::SensorInventory& inventory,
                       const CountingClassSource& counter) {
    const QueryCounts before = counter.Counts();
    const Stopwatch stopwatch;
    const bool built = norv::win::BuildPlatformInventory(inventory, nullptr);
    const std::uint64_t nanoseconds = stopwatch.Nanoseconds();
    if (!built) return Refuse("the inventory build failed");
    PrintSample(kind, nanoseconds, inventory.Count(), before, counter.Counts());
    return true;
}

// One enumeration of the class through the module, printed; false (with a message) when it
// did not succeed.
bool RunEnumeration(const char* kind, const char* className,
                    const norv::bench::TimedStandIn& standIn) {
    norvwmi::ProviderRequest request;
    request.operation = norvwmi::ProviderOperation::Enumerate;
    request.target = className;
    const QueryCounts before = standIn.Counter().Counts();
    const Stopwatch watch;
    const norvwmi::ProviderOutcome outcome =
        norvwmi::RunProviderRequest(standIn.Module(), standIn.Host(), request);
    const std::uint64_t nanoseconds = watch.Nanoseconds();
    if (const std::optional<std::string> failure = norv::bench::RequestFailure(request, outcome))
        return Refuse(*failure);
    PrintSample(kind, nanoseconds, outcome.objects.size(), before, standIn.Counter().Counts());
    return true;
}

int Measure(unsigned samples, const norv::bench::TimedStandIn& standIn) {
    const CountingClassSource& counter = standIn.Counter();
    // What the event provider's Initialize and a new query do; the second watch's subscription
    // also selects the alerts.
    norv::win::HardwareWatch watch;
    norv::win::HardwareWatch alertingWatch;
    const auto services = norvwmi::NamespaceServices::Create(
        standIn.Host().served, std::string(norvwmi::kServedNamespace));
    for (norv::win::HardwareWatch* started : {&watch, &alertingWatch}) {
        const HRESULT initialized = started->Initialize(services.get(), nullptr);
        if (FAILED(initialized))
            return Fail("the watch's Initialize failed: " + norv::bench::StatusText(initialized));
        started->Restart(started->TakeSnapshot());
    }
    alertingWatch.StartAlerts();
    IdleTick tick(watch, counter);
    IdleTick alertingTick(alertingWatch, counter);

    norv::SensorInventory inventory;

    // The first request of the module and the first stale tick read what a process reads once.
    for (unsigned i = 0; i <= samples; ++i) {
        const bool fill = i == 0;
        const bool alertingFirst = i % 2 == 1;
        for (const bool alerting : {alertingFirst, !alertingFirst}) {
            AgeTheCaches();
            if (!(alerting ? alertingTick : tick).Run(fill ? "fill" : alerting ? "alerting" : "tick"))
                return 1;
        }
        AgeTheCaches();
        if (!RunEnumeration(fill ? "fill" : "cold", "LogRecord", standIn)) return 1;
        AgeTheCaches();
        if (!RunEnumeration(fill ? "fill" : "sensor", "Sensor", standIn)) return 1;
        AgeTheCaches();
        RunSnapshot(fill ? "fill" : "snapshot", watch, counter);
        if (!RunInventoryBuild(fill ? "fill" : "inventory", inventory, counter)) return 1;
    }
    return 0;
}

int Run(int argc, wchar_t** argv) {
    const norv::bench::TimerArguments arguments = norv::bench::SplitArguments(argc, argv);
    const std::optional<unsigned> samples =
        arguments.operands.size() == 1 ? norv::bench::ParseCount(arguments.operands[0], 100000)
                                       : std::nullopt;
    if (!samples) return Fail("usage: event_tick_timer [--platform FILE] [--module FILE] SAMPLES");
    norv::bench::TimedStandIn standIn;
    if (const std::optional<std::string> failure = standIn.Open(arguments)) return Fail(*failure);
    return Measure(*samples, standIn);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}
