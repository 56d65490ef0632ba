// What the Windows timers (dll_enum_timer, event_tick_timer) set up before they time
// anything, as `norvwmi enum` sets it up: COM, the platform description, the host's stand-in
// (the WMI utility parsers and the administrative locator over a namespace set whose class
// source counts the platform queries) and Norvipmiprv.dll loaded through the host's loader.
// Each timer keeps its own measuring and its own messages' prefix.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/com_apartment.h"
#include "com/factory_registration.h"
#include "com/utility_parsers.h"
#include "provider/provider_call.h"
#include "provider/provider_module.h"
#include "repository/class_source.h"
#include "repository/served_namespaces.h"
#include "simulated_driver/platform_loading.h"

namespace norv::bench {

// A request is taken as warm only this long after the one that filled the module's caches;
// they are rebuilt two seconds after it. A cold one waits past those two seconds first.
inline constexpr double kWarmWindowSeconds = 1.5;
inline constexpr DWORD kColdSleepMs = 2100;

// Queries sent to the platform so far, by the class queried.
using QueryCounts = std::map<std::string, std::uint64_t>;

// The platform's classes, counting the instance lists handed out outside the served
// namespace by class: the host's query evaluation asks for one per query.
class CountingClassSource final : public norvwmi::ClassSource {
public:
    explicit CountingClassSource(std::shared_ptr<const norvwmi::ClassSource> inner);

    std::optional<std::string> FindNamespace(std::string_view nameSpace) const override;
    const norvwmi::ClassDefinition* FindClass(std::string_view nameSpace,
                                              std::string_view className) const override;
    std::vector<const norvwmi::InstanceDefinition*> Instances(
        std::string_view nameSpace, std::string_view className) const override;

    QueryCounts Counts() const;
    std::uint64_t PlatformReads() const;  // of every class

private:
    std::shared_ptr<const norvwmi::ClassSource> inner_;
    mutable std::mutex mutex_;
    mutable QueryCounts counts_;
};

class Stopwatch {
public:
    Stopwatch();
    void Restart();
    std::uint64_t Nanoseconds() const;
    double Seconds() const { return static_cast<double>(Nanoseconds()) / 1e9; }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

std::string StatusText(HRESULT status);

// A timer's command line with --platform FILE, --module FILE and --full-log taken out.
struct TimerArguments {
    std::optional<std::wstring> platformFile;
    bool fullLog = false;  // the default description with a full log (full_log_events.h)
    std::optional<std::wstring> moduleFile;
    std::vector<std::wstring> operands;  // the rest, in order
};

TimerArguments SplitArguments(int argc, wchar_t** argv);

// A decimal count of at most `most`.
std::optional<unsigned> ParseCount(const std::wstring& text, unsigned long most);

// Why a request through the module did not succeed ("enum CLASS: STATUS from STEP; ..."),
// or nullopt when it did.
std::optional<std::string> RequestFailure(const norvwmi::ProviderRequest& request,
                                          const norvwmi::ProviderOutcome& outcome);

// COM, the platform, the stand-in and the module, torn down in the reverse order: the module
// before the registrations it may call, COM last.
class TimedStandIn {
public:
    TimedStandIn() = default;
    TimedStandIn(const TimedStandIn&) = delete;
    TimedStandIn& operator=(const TimedStandIn&) = delete;

    // Loads the description (the host's default without --platform, with a full log with
    // --full-log) and the module (beside the program without --module); what failed, or
    // nullopt.
    std::optional<std::string> Open(const TimerArguments& arguments);

    const norvwmi::ProviderModule& Module() const { return module_; }
    const norvwmi::ProviderHost& Host() const { return host_; }
    const CountingClassSource& Counter() const { return *counter_; }
    // The classes of the served namespace, as association queries look through them.
    std::vector<std::string> ServedClasses() const;

private:
    norvwmi::ComApartment apartment_;
    norvwmi::Platform platform_;
    std::shared_ptr<CountingClassSource> counter_;
    norvwmi::UtilityParserRegistration parsers_;
    norvwmi::FactoryRegistration locator_;
    norvwmi::ProviderModule module_;
    norvwmi::ProviderHost host_;
};

}  // namespace norv::bench
