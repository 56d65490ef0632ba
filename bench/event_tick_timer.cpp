// Times one tick of an idle event subscription beside one cold LogRecord enumeration of the
// same platform, in one process: what a subscription on a quiet server costs every period,
// set against the request a console makes of the same log. Google Benchmark has no Windows
// build here, so this program only measures and prints; bench/dll_enum_bench.cpp runs it and
// reports.
//
//   event_tick_timer [--platform FILE] [--module FILE] SAMPLES
//
// The tick is the module's own code: `HardwareWatch` from the module's static library, given
// the served namespace as the event provider's Initialize is, started from a snapshot as a
// new query starts it, and ticked as the provider's worker ticks it, with a recording sink.
// The enumeration goes through Norvipmiprv.dll as `norvwmi enum LogRecord` does. Before each
// sample the caches' clock moves on by three seconds (the skew the tests of the module use),
// so both the module's caches and the watch's are stale and rebuild, as they are every period
// of the default ten seconds; nothing else changes, so no tick finds an event (a tick that
// makes one is an error). What the tick's time goes to is shown by two parts of it, timed
// alone: the snapshot it takes (both caches refreshed and copied) and the inventory build
// that refresh includes (the builders over the platform's queries). After one untimed
// sample of each kind ("fill"), SAMPLES of each, in turn, each one line:
//   tick|cold|snapshot|inventory NANOSECONDS OBJECTS QUERIES [CLASS=COUNT]...
// OBJECTS: a tick's events (always 0), an enumeration's instances, a snapshot's log records
// and sensor entries, an inventory's records. QUERIES: the instance lists the host handed out
// from the platform's namespaces (root\wmi, root\CIMv2) meanwhile, one per WQL query sent
// there, then the same by the class queried.
// Exit status 0, or 1 with a message on standard error.
#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "com/admin_locator.h"
#include "com/com_apartment.h"
#include "com/factory_registration.h"
#include "com/recording_sink.h"
#include "com/utility_parsers.h"
#include "com/wbem_services.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "events/hardware_snapshot.h"
#include "events/hardware_watch.h"
#include "inventory/cache_clock.h"
#include "inventory/sensor_inventory.h"
#include "provider/provider_call.h"
#include "provider/provider_module.h"
#include "repository/class_source.h"
#include "repository/name_compare.h"
#include "sensors/sdr_cache.h"
#include "simulated_driver/platform_loading.h"

namespace {

using norvwmi::ClassDefinition;
using norvwmi::ClassSource;
using norvwmi::InstanceDefinition;

// Queries sent to the platform so far, by the class queried.
using QueryCounts = std::map<std::string, std::uint64_t>;

// The platform's classes, counting the instance lists handed out outside the served
// namespace by class: the host's query evaluation asks for one per query.
class CountingClassSource final : public ClassSource {
public:
    explicit CountingClassSource(std::shared_ptr<const ClassSource> inner)
        : inner_(std::move(inner)) {}

    std::optional<std::string> FindNamespace(std::string_view nameSpace) const override {
        return inner_->FindNamespace(nameSpace);
    }
    const ClassDefinition* FindClass(std::string_view nameSpace,
                                     std::string_view className) const override {
        return inner_->FindClass(nameSpace, className);
    }
    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override {
        if (!norvwmi::SameName(nameSpace, norvwmi::kServedNamespace)) {
            const std::lock_guard<std::mutex> hold(mutex_);
            ++counts_[std::string(className)];
        }
        return inner_->Instances(nameSpace, className);
    }

    QueryCounts Counts() const {
        const std::lock_guard<std::mutex> hold(mutex_);
        return counts_;
    }

private:
    std::shared_ptr<const ClassSource> inner_;
    mutable std::mutex mutex_;
    mutable QueryCounts counts_;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "event_tick_timer: %s\n", message.c_str());
    return 1;
}

bool Refuse(const std::string& message) {
    (void)Fail(message);
    return false;
}

std::string StatusText(HRESULT status) {
    return norvwmi::DescribeStatus(static_cast<std::uint32_t>(status));
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    norv::win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) return text;
        text.append(buffer, read);
    }
}

class Stopwatch {
public:
    Stopwatch() {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&start_);
    }
    // Split so that ticks times 10^9 cannot overflow.
    std::uint64_t Nanoseconds() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        const auto ticks = static_cast<std::uint64_t>(now.QuadPart - start_.QuadPart);
        const auto perSecond = static_cast<std::uint64_t>(frequency_.QuadPart);
        return ticks / perSecond * 1000000000u + ticks % perSecond * 1000000000u / perSecond;
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

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
        const std::size_t events = sink_->Objects().size() + watch_.WaitingEvents();
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
                snapshot.records.size() + snapshot.sensors.size() + snapshot.numericSensors.size(),
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

// One LogRecord enumeration through the module, printed; false (with a message) when it did
// not succeed.
bool RunEnumeration(const char* kind, const norvwmi::ProviderModule& module,
                    const norvwmi::ProviderHost& host, const CountingClassSource& counter) {
    norvwmi::ProviderRequest request;
    request.operation = norvwmi::ProviderOperation::Enumerate;
    request.target = "LogRecord";
    const QueryCounts before = counter.Counts();
    const Stopwatch watch;
    const norvwmi::ProviderOutcome outcome = norvwmi::RunProviderRequest(module, host, request);
    const std::uint64_t nanoseconds = watch.Nanoseconds();
    if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
        std::string message = "enum LogRecord: " + StatusText(outcome.status);
        if (!outcome.step.empty()) message += " from " + outcome.step;
        for (const std::string& problem : outcome.problems) message += "; " + problem;
        return Refuse(message);
    }
    PrintSample(kind, nanoseconds, outcome.objects.size(), before, counter.Counts());
    return true;
}

struct Options {
    std::optional<std::wstring> platformFile;
    std::optional<std::wstring> moduleFile;
    unsigned samples = 0;
};

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    std::vector<std::wstring> operands;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if ((argument == L"--platform" || argument == L"--module") && i + 1 < argc) {
            (argument == L"--platform" ? options.platformFile : options.moduleFile) = argv[++i];
        } else {
            operands.push_back(argument);
        }
    }
    if (operands.size() != 1) return std::nullopt;
    wchar_t* end = nullptr;
    const unsigned long samples = std::wcstoul(operands[0].c_str(), &end, 10);
    if (end == operands[0].c_str() || *end != L'\0' || samples > 100000) return std::nullopt;
    options.samples = static_cast<unsigned>(samples);
    return options;
}

int Measure(const Options& options, const norvwmi::Platform& platform) {
    auto counter = std::make_shared<CountingClassSource>(platform.classes);
    // A namespace set of its own over the counting source; the description's stall
    // directives are not carried over, as a timed request must not stall.
    auto served =
        std::make_shared<norvwmi::ServedNamespaces>(counter, platform.served->ServerName());

    const norvwmi::UtilityParserRegistration parsers = norvwmi::RegisterWmiUtilityParsers();
    if (FAILED(parsers.Status()))
        return Fail("cannot register the WMI utility parsers: " + StatusText(parsers.Status()));
    norvwmi::FactoryRegistration locator;
    const HRESULT registered = norvwmi::RegisterAdminLocator(served, locator);
    if (FAILED(registered))
        return Fail("cannot register the administrative locator: " + StatusText(registered));

    norvwmi::ProviderModule module;
    const HRESULT loaded =
        module.Load(options.moduleFile.value_or(norvwmi::DefaultProviderModulePath()));
    if (FAILED(loaded))
        return Fail("cannot load " + norvwmi::WideToUtf8(module.Path()) + ": " +
                    StatusText(loaded));
    norvwmi::ProviderHost host;
    host.served = served;
    host.nameSpace = std::string(norvwmi::kServedNamespace);
    host.clientLevel = norvwmi::ClientLevel::Impersonate;

    // What the event provider's Initialize and a new query do.
    norv::win::HardwareWatch watch;
    const auto services =
        norvwmi::NamespaceServices::Create(served, std::string(norvwmi::kServedNamespace));
    const HRESULT initialized = watch.Initialize(services.get(), nullptr);
    if (FAILED(initialized))
        return Fail("the watch's Initialize failed: " + StatusText(initialized));
    watch.Restart(watch.TakeSnapshot());
    IdleTick tick(watch, *counter);

    norv::SensorInventory inventory;

    // The first request of the module and the first stale tick read what a process reads once.
    for (unsigned i = 0; i <= options.samples; ++i) {
        const bool fill = i == 0;
        AgeTheCaches();
        if (!tick.Run(fill ? "fill" : "tick")) return 1;
        AgeTheCaches();
        if (!RunEnumeration(fill ? "fill" : "cold", module, host, *counter)) return 1;
        AgeTheCaches();
        RunSnapshot(fill ? "fill" : "snapshot", watch, *counter);
        if (!RunInventoryBuild(fill ? "fill" : "inventory", inventory, *counter)) return 1;
    }
    return 0;
}

int Run(int argc, wchar_t** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) return Fail("usage: event_tick_timer [--platform FILE] [--module FILE] SAMPLES");
    const norvwmi::ComApartment apartment;
    if (FAILED(apartment.Status()))
        return Fail("cannot initialise COM: " + StatusText(apartment.Status()));

    norvwmi::MofFile description = norvwmi::DefaultPlatformDescription();
    if (options->platformFile) {
        std::optional<std::string> text = ReadWholeFile(*options->platformFile);
        if (!text) return Fail("cannot read " + norvwmi::WideToUtf8(*options->platformFile));
        description = norvwmi::MofFile{norvwmi::WideToUtf8(*options->platformFile), *text};
    }
    auto platform = norvwmi::LoadPlatform(description, norvwmi::ComputerName());
    if (const auto* error = std::get_if<norvwmi::MofError>(&platform))
        return Fail(norvwmi::FormatMofError(*error));
    return Measure(*options, std::get<norvwmi::Platform>(platform));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}
