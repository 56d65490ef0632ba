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

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <deque>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "com/admin_locator.h"
#include "com/class_object.h"
#include "com/com_apartment.h"
#include "com/factory_registration.h"
#include "com/utility_parsers.h"
#include "com/wbem_services.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "provider/provider_call.h"
#include "provider/provider_module.h"
#include "provider/provider_registration.h"
#include "repository/class_source.h"
#include "repository/name_compare.h"
#include "repository/served_namespaces.h"
#include "simulated_driver/platform_loading.h"

namespace {

using norvwmi::ClassDefinition;
using norvwmi::ClassSource;
using norvwmi::ComApartment;
using norvwmi::ComputerName;
using norvwmi::InstanceDefinition;

// The next enumeration is taken as warm only this long after the one that filled the caches;
// they are rebuilt two seconds after it.
constexpr double kWarmWindowSeconds = 1.5;
constexpr DWORD kColdSleepMs = 2100;

// The platform's classes, counting the instance lists handed out outside the served
// namespace: the host's query evaluation asks for one per query.
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
        if (!norvwmi::SameName(nameSpace, norvwmi::kServedNamespace)) ++platformReads_;
        return inner_->Instances(nameSpace, className);
    }

    std::uint64_t PlatformReads() const { return platformReads_; }

private:
    std::shared_ptr<const ClassSource> inner_;
    mutable std::atomic<std::uint64_t> platformReads_{0};
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "dll_enum_timer: %s\n", message.c_str());
    return 1;
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
    void Restart() { ::QueryPerformanceCounter(&start_); }
    // Split so that ticks times 10^9 cannot overflow.
    std::uint64_t Nanoseconds() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        const auto ticks = static_cast<std::uint64_t>(now.QuadPart - start_.QuadPart);
        const auto perSecond = static_cast<std::uint64_t>(frequency_.QuadPart);
        return ticks / perSecond * 1000000000u + ticks % perSecond * 1000000000u / perSecond;
    }
    double Seconds() const { return static_cast<double>(Nanoseconds()) / 1e9; }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

struct Options {
    std::optional<std::wstring> platformFile;
    std::optional<std::wstring> moduleFile;
    bool memory = false;
    std::string className;  // enumerations
    unsigned warm = 0;
    unsigned cold = 0;
    unsigned requests = 0;  // memory
    unsigned every = 0;
};

std::optional<unsigned> ParseCount(const wchar_t* text) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || value > 1000000) return std::nullopt;
    return static_cast<unsigned>(value);
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    std::vector<std::wstring> operands;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if ((argument == L"--platform" || argument == L"--module") && i + 1 < argc) {
            (argument == L"--platform" ? options.platformFile : options.moduleFile) = argv[++i];
        } else if (argument == L"--memory") {
            options.memory = true;
        } else {
            operands.push_back(argument);
        }
    }
    if (options.memory) {
        if (operands.size() != 2) return std::nullopt;
        const auto requests = ParseCount(operands[0].c_str());
        const auto every = ParseCount(operands[1].c_str());
        if (!requests || !every || *every == 0) return std::nullopt;
        options.requests = *requests;
        options.every = *every;
        return options;
    }
    if (operands.size() != 3) return std::nullopt;
    const auto warm = ParseCount(operands[1].c_str());
    const auto cold = ParseCount(operands[2].c_str());
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
    if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
        std::string message =
            (request.operation == norvwmi::ProviderOperation::Get ? "get " : "enum ") +
            request.target + ": " + StatusText(outcome.status);
        if (!outcome.step.empty()) message += " from " + outcome.step;
        for (const std::string& problem : outcome.problems) message += "; " + problem;
        Fail(message);
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

// The served classes, in the order the memory burst visits them.
constexpr std::string_view kServedClasses[] = {
    "Sensor",      "NumericSensor",           "LogRecord", "RecordLog", "ComputerSystem",
    "AdminDomain", "SystemSpecificCollection"};

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

// A day's burst in little time: the requests go round the classes, an enumeration of each
// then a get of its first instance, and the caches rebuild every two seconds as they would.
int MeasureMemory(const Options& options, const norvwmi::ProviderModule& module,
                  const norvwmi::ProviderHost& host, const CountingClassSource& counter) {
    std::vector<norvwmi::ProviderRequest> round;
    for (const std::string_view className : kServedClasses) {
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

int Measure(const Options& options, const norvwmi::Platform& platform) {
    auto counter = std::make_shared<CountingClassSource>(platform.classes);
    // A namespace set of its own over the counting source; the description's stall
    // directives are not carried over, as a timed enumeration must not stall.
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
    return options.memory ? MeasureMemory(options, module, host, *counter)
                          : MeasureEnumerations(options, module, host, *counter);
}

int Run(int argc, wchar_t** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options)
        return Fail(
            "usage: dll_enum_timer [--platform FILE] [--module FILE] CLASS WARM COLD\n"
            "       dll_enum_timer [--platform FILE] [--module FILE] --memory REQUESTS EVERY");
    const ComApartment apartment;
    if (FAILED(apartment.Status()))
        return Fail("cannot initialise COM: " + StatusText(apartment.Status()));

    norvwmi::MofFile description = norvwmi::DefaultPlatformDescription();
    if (options->platformFile) {
        std::optional<std::string> text = ReadWholeFile(*options->platformFile);
        if (!text) return Fail("cannot read " + norvwmi::WideToUtf8(*options->platformFile));
        description = norvwmi::MofFile{norvwmi::WideToUtf8(*options->platformFile), *text};
    }
    auto platform = norvwmi::LoadPlatform(description, ComputerName());
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
