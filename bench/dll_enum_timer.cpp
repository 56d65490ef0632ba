// Times enumerations of one served class through Norvipmiprv.dll, loaded and called as
// `norvwmi enum` does (the module's class object, Initialize, CreateInstanceEnumAsync in the
// client's call context, a recording sink), and watches the process's memory over a long
// burst of requests. Google Benchmark has no Windows build here, so this program only
// measures and prints; bench/dll_enum_bench.cpp runs it and reports.
//
//   dll_enum_timer [--platform FILE] [--module FILE] CLASS WARM COLD
//   dll_enum_timer [--platform FILE] [--module FILE] --memory REQUESTS EVERY
//
// WARM enumerations run while the module's caches are fresh (a "fill" enumeration fills them
// first, and again after a sleep whenever the next one could reach the two-second limit);
// COLD ones each follow an untimed 2.1-second sleep, so they rebuild the caches. Each prints
// one line:
//   fill|warm|cold NANOSECONDS OBJECTS PLATFORM_QUERIES
// where PLATFORM_QUERIES counts the instance lists the host handed out from the platform's
// namespaces (root\wmi, root\CIMv2) during that enumeration: one per WQL query the module sent
// there. Each warm enumeration is followed by its floor, the work WMI itself does for the same
// instances without the provider: spawning each from the host's class object and putting the
// properties the provider put, with the values it put (IWbemClassObject::SpawnInstance, Put):
//   floor NANOSECONDS OBJECTS PUTS
//
// --memory sends REQUESTS requests round the served classes (an enumeration of each class,
// then a get of its first instance where the class serves gets) after one untimed round, and
// prints the process's memory counters (PROCESS_MEMORY_COUNTERS_EX: PrivateUsage, the commit
// charge PagefileUsage, WorkingSetSize) after that round (REQUESTS 0) and after every EVERY
// requests. Windows gives PrivateUsage and PagefileUsage the same value; Wine 8 reports
// PrivateUsage as 0 and keeps its own count of the private memory committed in PagefileUsage.
//   memory REQUESTS PRIVATE_USAGE PAGEFILE_USAGE WORKING_SET NANOSECONDS_SINCE_ROUND
// Exit status 0, or 1 with a message on standard error.
#include <windows.h>

#include <objbase.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/class_object.h"
#include "com/wbem_services.h"
#include "com/wide_text.h"
#include "host/provider_class_identity.h"
#include "provider/provider_session.h"
#include "provider/provider_module.h"
#include "provider/provider_registration.h"
#include "repository/served_namespaces.h"
#include "timed_stand_in.h"

namespace {

using norv::bench::CountingClassSource;
using norv::bench::StatusText;
using norv::bench::Stopwatch;
using norv::bench::kColdSleepMs;
using norv::bench::kWarmWindowSeconds;


int Fail(const std::string& message) {
    std::fprintf(stderr, "dll_enum_timer: %s\n", message.c_str());
    return 1;
}

struct Options {
    norv::bench::TimerArguments arguments;
    bool memory = false;
    std::string className;  // enumerations
    unsigned warm = 0;
    unsigned cold = 0;
    unsigned requests = 0;  // memory
    unsigned every = 0;
};

constexpr unsigned long kMostCount = 1000000;

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    options.arguments = norv::bench::SplitArguments(argc, argv);
    std::vector<std::wstring> operands;
    for (const std::wstring& operand : options.arguments.operands) {
        if (operand == L"--memory") {
            options.memory = true;
        } else {
            operands.push_back(operand);
        }
    }
    if (options.memory) {
        if (operands.size() != 2) return std::nullopt;
        const auto requests = norv::bench::ParseCount(operands[0], kMostCount);
        const auto every = norv::bench::ParseCount(operands[1], kMostCount);
        if (!requests || !every || *every == 0) return std::nullopt;
        options.requests = *requests;
        options.every = *every;
        return options;
    }
    if (operands.size() != 3) return std::nullopt;
    const auto warm = norv::bench::ParseCount(operands[1], kMostCount);
    const auto cold = norv::bench::ParseCount(operands[2], kMostCount);
    if (!warm || !cold) return std::nullopt;
    options.className = norvwmi::WideToUtf8(operands[0]);
    options.warm = *warm;
    options.cold = *cold;
    return options;
}

// One request through the module; the outcome, or nullopt (with a message on standard
// error) when it did not succeed.
std::optional<norvwmi::ProviderOutcome> RunRequest(const norvwmi::ProviderModule& module,
                                                   const norvwmi::ProviderHost& host,
                                                   const norvwmi::ProviderRequest& request) {
    norvwmi::ProviderOutcome outcome = norvwmi::RunProviderRequest(module, host, request);
    if (const std::optional<std::string> failure = norv::bench::RequestFailure(request, outcome)) {
        Fail(*failure);
        return std::nullopt;
    }
    return outcome;
}

class EnumerationTimer {
public:
    EnumerationTimer(const norvwmi::ProviderModule& module, norvwmi::ProviderHost host,
                     const CountingClassSource& counter, std::string className)
        : module_(module), host_(std::move(host)), counter_(counter) {
        request_.operation = norvwmi::ProviderOperation::Enumerate;
        request_.target = std::move(className);
    }

    // One enumeration, printed; its outcome, or nullopt when it did not succeed.
    std::optional<norvwmi::ProviderOutcome> Run(const char* kind) {
        const std::uint64_t readsBefore = counter_.PlatformReads();
        const Stopwatch watch;
        std::optional<norvwmi::ProviderOutcome> outcome = RunRequest(module_, host_, request_);
        const std::uint64_t nanoseconds = watch.Nanoseconds();
        if (!outcome) return std::nullopt;
        std::printf("%s %llu %zu %llu\n", kind, static_cast<unsigned long long>(nanoseconds),
                    outcome->objects.size(),
                    static_cast<unsigned long long>(counter_.PlatformReads() - readsBefore));
        std::fflush(stdout);
        return outcome;
    }

private:
    const norvwmi::ProviderModule& module_;
    norvwmi::ProviderHost host_;
    const CountingClassSource& counter_;
    norvwmi::ProviderRequest request_;
};

// The properties the provider put on one instance, with the values it put.
struct PutValues {
    std::vector<std::wstring> names;
    std::deque<norv::win::UniqueVariant> values;  // a deque: a VARIANT owner cannot move
};

// What the provider put on each object: the properties given a value at the instance level.
std::optional<std::vector<PutValues>> ValuesPut(
    const std::vector<norv::win::ComPtr<IWbemClassObject>>& objects) {
    std::vector<PutValues> instances(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const norvwmi::ClassObject* own = norvwmi::ClassObject::Implementation(objects[i].get());
        if (own == nullptr) return std::nullopt;
        const norvwmi::CimObject snapshot = own->Snapshot();
        for (std::size_t p = 0; p < snapshot.PropertyCount(); ++p) {
            if (!snapshot.IsLocalAt(p)) continue;
            std::wstring name = norvwmi::Utf8ToWide(snapshot.PropertyAt(p).name);
            norv::win::UniqueVariant& value = instances[i].values.emplace_back();
            if (FAILED(objects[i]->Get(name.c_str(), 0, value.put(), nullptr, nullptr)))
                return std::nullopt;
            instances[i].names.push_back(std::move(name));
        }
    }
    return instances;
}

// Spawns every instance from the class object and puts its values, keeping the instances
// until the clock stops as the recording sink keeps the provider's. Prints the floor line.
bool TimeFloor(IWbemClassObject& classObject, std::vector<PutValues>& instances) {
    std::vector<norv::win::ComPtr<IWbemClassObject>> spawned(instances.size());
    std::size_t puts = 0;
    const Stopwatch watch;
    for (std::size_t i = 0; i < instances.size(); ++i) {
        if (FAILED(classObject.SpawnInstance(0, spawned[i].put()))) {
            Fail("SpawnInstance failed for the floor");
            return false;
        }
        PutValues& values = instances[i];
        for (std::size_t p = 0; p < values.names.size(); ++p) {
            if (FAILED(spawned[i]->Put(values.names[p].c_str(), 0, &values.values[p], 0))) {
                Fail("Put of " + norvwmi::WideToUtf8(values.names[p]) + " failed for the floor");
                return false;
            }
        }
        puts += values.names.size();
    }
    const std::uint64_t nanoseconds = watch.Nanoseconds();
    std::printf("floor %llu %zu %zu\n", static_cast<unsigned long long>(nanoseconds),
                instances.size(), puts);
    std::fflush(stdout);
    return true;
}

// The class object WMI hands a provider's Initialize, from the served namespace.
HRESULT ServedClassObject(const std::shared_ptr<norvwmi::ServedNamespaces>& served,
                          const std::string& className,
                          norv::win::ComPtr<IWbemClassObject>& classObject) {
    const auto services =
        norvwmi::NamespaceServices::Create(served, std::string(norvwmi::kServedNamespace));
    const norv::win::UniqueBstr name = norvwmi::MakeBstr(className);
    if (!name) return E_OUTOFMEMORY;
    return services->GetObject(name.get(), 0, nullptr, classObject.put(), nullptr);
}

int MeasureEnumerations(const Options& options, const norvwmi::ProviderModule& module,
                        const norvwmi::ProviderHost& host, const CountingClassSource& counter) {
    norv::win::ComPtr<IWbemClassObject> classObject;
    const HRESULT found = ServedClassObject(host.served, options.className, classObject);
    if (FAILED(found) || !classObject)
        return Fail("no class object for " + options.className + ": " + StatusText(found));
    EnumerationTimer timer(module, host, counter, options.className);

    Stopwatch sinceFill;
    if (!timer.Run("fill")) return 1;
    sinceFill.Restart();
    for (unsigned i = 0; i < options.warm; ++i) {
        if (sinceFill.Seconds() > kWarmWindowSeconds) {
            ::Sleep(kColdSleepMs);
            if (!timer.Run("fill")) return 1;
            sinceFill.Restart();
        }
        const std::optional<norvwmi::ProviderOutcome> warm = timer.Run("warm");
        if (!warm) return 1;
        std::optional<std::vector<PutValues>> values = ValuesPut(warm->objects);
        if (!values) return Fail("cannot read the values of an enumerated " + options.className);
        if (!TimeFloor(*classObject.get(), *values)) return 1;
    }
    for (unsigned i = 0; i < options.cold; ++i) {
        ::Sleep(kColdSleepMs);
        if (!timer.Run("cold")) return 1;
    }
    return 0;
}

bool PrintMemory(unsigned requests, const Stopwatch& sinceRound) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(),
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)) {
        Fail("GetProcessMemoryInfo failed");
        return false;
    }
    std::printf("memory %u %llu %llu %llu %llu\n", requests,
                static_cast<unsigned long long>(counters.PrivateUsage),
                static_cast<unsigned long long>(counters.PagefileUsage),
                static_cast<unsigned long long>(counters.WorkingSetSize),
                static_cast<unsigned long long>(sinceRound.Nanoseconds()));
    std::fflush(stdout);
    return true;
}

// A day's burst in little time: the requests go round the classes of the class table, an
// enumeration of each then a get of its first instance, and the caches rebuild every two
// seconds as they would.
int MeasureMemory(const Options& options, const norvwmi::ProviderModule& module,
                  const norvwmi::ProviderHost& host, const CountingClassSource& counter) {
    std::vector<norvwmi::ProviderRequest> round;
    for (const norv::ProviderClassIdentity& row : norv::kProviderClassIdentities) {
        const std::string_view className = row.servedClass;
        if (className.empty()) continue;  // the association classes are association_timer's
        norvwmi::ProviderRequest enumeration;
        enumeration.operation = norvwmi::ProviderOperation::Enumerate;
        enumeration.target = std::string(className);
        const std::optional<norvwmi::ProviderOutcome> outcome =
            RunRequest(module, host, enumeration);
        if (!outcome) return 1;
        round.push_back(enumeration);
        const norvwmi::ProviderLookup gets = norvwmi::FindProvider(
            counter, norvwmi::kServedNamespace, className, norvwmi::ProviderOperation::Get);
        if (gets.status != norvwmi::ProviderLookupStatus::Found || outcome->objects.empty())
            continue;
        norv::win::UniqueVariant path;
        if (FAILED(outcome->objects.front()->Get(L"__RELPATH", 0, path.put(), nullptr, nullptr)) ||
            path.vt != VT_BSTR)
            return Fail("no path for an instance of " + std::string(className));
        norvwmi::ProviderRequest get;
        get.operation = norvwmi::ProviderOperation::Get;
        get.target = norvwmi::BstrToUtf8(path.bstrVal);
        if (!RunRequest(module, host, get)) return 1;
        round.push_back(get);
    }

    const Stopwatch sinceRound;
    if (!PrintMemory(0, sinceRound)) return 1;
    for (unsigned sent = 1; sent <= options.requests; ++sent) {
        if (!RunRequest(module, host, round[(sent - 1) % round.size()])) return 1;
        if (sent % options.every == 0 && !PrintMemory(sent, sinceRound)) return 1;
    }
    return 0;
}

int Run(int argc, wchar_t** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options)
        return Fail(
            "usage: dll_enum_timer [--platform FILE] [--module FILE] CLASS WARM COLD\n"
            "       dll_enum_timer [--platform FILE] [--module FILE] --memory REQUESTS EVERY");
    norv::bench::TimedStandIn standIn;
    if (const std::optional<std::string> failure = standIn.Open(options->arguments))
        return Fail(*failure);
    return options->memory
               ? MeasureMemory(*options, standIn.Module(), standIn.Host(), standIn.Counter())
               : MeasureEnumerations(*options, standIn.Module(), standIn.Host(), standIn.Counter());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}
