#include "stress/stress_run.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "com/class_object.h"
#include "com/host_com_object.h"
#include "com/wbem_hresult.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

using norv::win::ComPtr;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kKeptProblems = 20;
constexpr std::size_t kLookupsPerEnumeration = 2;
constexpr DWORD kWatchdogTickMs = 100;
// Tenths of a degree: a NumericSensor's reading of a temperature.
constexpr std::int64_t kReadingsPerDegree = 10;

constexpr std::string_view kNumericSensorClass = "NumericSensor";
constexpr std::string_view kLogRecordClass = "LogRecord";
constexpr std::string_view kRecordLogClass = "RecordLog";
constexpr std::string_view kClearLogMethod = "ClearLog";
// Classes whose instances are made of the log's records (one per record, or the conditions
// the records leave active): their counts follow the log, which grows and is cleared while
// the threads run.
constexpr std::string_view kClassesOfTheLog[] = {kLogRecordClass, "LogManagesRecord",
                                                 "RecordAppliesToElement", "HealthCondition"};

bool FollowsTheLog(std::string_view className) {
    for (std::string_view name : kClassesOfTheLog)
        if (SameName(className, name)) return true;
    return false;
}
// Every this many rounds a thread's RecordLog check also runs ClearLog.
constexpr std::size_t kClearLogEveryRounds = 3;

struct StressClass {
    std::string name;
    CLSID clsid{};
};

std::optional<CimObject> SnapshotOf(IWbemClassObject* object) {
    const ClassObject* ours = ClassObject::Implementation(object);
    if (!ours) return std::nullopt;
    return ours->Snapshot();
}

const CimValue* ValueOf(const CimObject& object, std::string_view property) {
    const auto slot = object.Find(property);
    return slot ? &object.ValueAt(*slot) : nullptr;
}

std::optional<std::int64_t> IntegerOf(const CimObject& object, std::string_view property) {
    const CimValue* value = ValueOf(object, property);
    if (!value) return std::nullopt;
    if (const auto* s = std::get_if<std::int64_t>(&value->data)) return *s;
    if (const auto* u = std::get_if<std::uint64_t>(&value->data))
        return static_cast<std::int64_t>(*u);
    if (const auto* text = std::get_if<std::string>(&value->data)) {
        try {
            return static_cast<std::int64_t>(std::stoull(*text));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string TextIn(const CimObject& object, std::string_view property) {
    const std::string* text = TextOf(object, property);
    return text ? *text : std::string();
}

// The log's own record id in a LogRecord's RecordData: "*<device id>*<low> <high>*...".
std::optional<unsigned> RecordIdOf(const std::string& recordData) {
    const std::size_t first = recordData.find('*', 1);
    if (recordData.empty() || recordData[0] != '*' || first == std::string::npos) return {};
    unsigned low = 0;
    unsigned high = 0;
    if (std::sscanf(recordData.c_str() + first, "*%2x %2x*", &low, &high) != 2) return {};
    return low | high << 8;
}

std::string Listed(const std::vector<std::int64_t>& numbers) {
    std::string text;
    for (std::int64_t n : numbers) text += (text.empty() ? "" : " ") + std::to_string(n);
    return text;
}

class ComThread {
public:
    ComThread() : status_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComThread(const ComThread&) = delete;
    ComThread& operator=(const ComThread&) = delete;
    ~ComThread() {
        if (SUCCEEDED(status_)) ::CoUninitialize();
    }
    HRESULT Status() const { return status_; }

private:
    HRESULT status_;
};

// Handle values are multiples of four; a process of this size never has more.
constexpr std::uintptr_t kHighestProbedHandle = 4 * 16384;

// The handles the process holds. Wine answers GetProcessHandleCount with 0, so there the
// handles are counted one by one: a value is a handle when it has handle information.
unsigned long ProcessHandles() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0) return count;
    unsigned long probed = 0;
    for (std::uintptr_t value = 4; value <= kHighestProbedHandle; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++probed;
    }
    return probed;
}

// What the threads share: the settings, the findings and what earlier calls established.
class StressState {
public:
    StressState(const ProviderModule& module, const ProviderHost& host,
                const PerturbedClassSource* perturbation)
        : module_(module), host_(host), perturbation_(perturbation) {}

    const ProviderModule& Module() const { return module_; }
    const ProviderHost& Host() const { return host_; }
    const PerturbedClassSource* Perturbation() const { return perturbation_; }

    void Problem(const std::string& text) {
        std::lock_guard lock(mutex_);
        ++problemCount_;
        if (problems_.size() < kKeptProblems) problems_.push_back(text);
    }
    void Progress() { progress_.fetch_add(1); }
    std::uint64_t ProgressCount() const { return progress_.load(); }

    // The count the first enumeration of a class found; every later one must find as many.
    std::size_t ExpectedCount(const std::string& className, std::size_t found) {
        std::lock_guard lock(mutex_);
        return counts_.emplace(className, found).first->second;
    }

    // Whether sorted readings are those of one version of the platform data, up to `latest`.
    // Without a perturbation the data never changes: the first readings seen are the version.
    bool MatchesOneVersion(const std::vector<std::int64_t>& readings, std::uint64_t latest) {
        std::lock_guard lock(mutex_);
        if (!perturbation_) {
            if (!fixedReadings_) fixedReadings_ = readings;
            return *fixedReadings_ == readings;
        }
        for (std::uint64_t v = latest + 1; v-- > 0;) {
            auto cached = versions_.find(v);
            if (cached == versions_.end()) {
                std::vector<std::int64_t> expected;
                for (std::uint32_t celsius : perturbation_->PresentTemperatures(v))
                    expected.push_back(std::int64_t{celsius} * kReadingsPerDegree);
                cached = versions_.emplace(v, std::move(expected)).first;
            }
            if (cached->second == readings) return true;
        }
        return false;
    }

    void Count(std::uint64_t enumerations, std::uint64_t lookups, std::uint64_t notFound) {
        std::lock_guard lock(mutex_);
        enumerations_ += enumerations;
        lookups_ += lookups;
        notFound_ += notFound;
    }

    void Report(StressReport& report) const {
        std::lock_guard lock(mutex_);
        report.enumerations = enumerations_;
        report.lookups = lookups_;
        report.notFound = notFound_;
        report.problemCount = problemCount_;
        report.problems = problems_;
    }

    // What each thread is doing, for the watchdog's report.
    std::vector<std::atomic<const char*>> doing;

private:
    const ProviderModule& module_;
    const ProviderHost& host_;
    const PerturbedClassSource* perturbation_;
    std::atomic<std::uint64_t> progress_{0};
    mutable std::mutex mutex_;
    std::uint64_t problemCount_ = 0;
    std::vector<std::string> problems_;
    std::map<std::string, std::size_t> counts_;
    std::optional<std::vector<std::int64_t>> fixedReadings_;
    std::map<std::uint64_t, std::vector<std::int64_t>> versions_;
    std::uint64_t enumerations_ = 0;
    std::uint64_t lookups_ = 0;
    std::uint64_t notFound_ = 0;
};

class StressWorker {
public:
    StressWorker(StressState& state, const std::vector<StressClass>& classes, std::size_t index)
        : state_(state), classes_(classes), index_(index) {}

    void Run(Clock::time_point deadline) {
        const ComThread com;
        if (FAILED(com.Status())) {
            state_.Problem("thread " + std::to_string(index_) + ": CoInitializeEx failed with " +
                           StatusHex(static_cast<std::uint32_t>(com.Status())));
            return;
        }
        for (std::size_t round = 0; Clock::now() < deadline; ++round) Step(round);
        state_.doing[index_] = "finished";
    }

    // One class's calls: the thread's classes take turns, each thread starting at its own.
    void Step(std::size_t round) {
        const StressClass& target = classes_[(index_ + round) % classes_.size()];
        if (SameName(target.name, kLogRecordClass)) {
            CheckLogAgainstRecordLog(target, round);
        } else {
            Enumerate(target, round);
        }
    }

    ~StressWorker() { state_.Count(enumerations_, lookups_, notFound_); }
    StressWorker(const StressWorker&) = delete;
    StressWorker& operator=(const StressWorker&) = delete;

private:
    ProviderOutcome Call(const StressClass& target, ProviderOperation operation,
                         const std::string& what, const std::string& method = {}) {
        ProviderRequest request;
        request.operation = operation;
        request.target = what;
        request.method = method;
        ProviderOutcome outcome;
        {
            ComPtr<IClassFactory> factory;
            const HRESULT hr = state_.Module().GetClassObject(target.clsid, factory);
            if (FAILED(hr)) {
                outcome.status = hr;
                outcome.step = "DllGetClassObject";
            } else {
                outcome = CallProvider(factory.get(), state_.Host(), request);
            }
        }
        state_.Progress();
        const std::string label =
            target.name + " " +
            (operation == ProviderOperation::Enumerate ? "enum"
             : operation == ProviderOperation::Get     ? "get " + what
                                                       : "exec " + method + " " + what);
        for (const std::string& problem : outcome.problems) state_.Problem(label + ": " + problem);
        return outcome;
    }

    // The enumeration's objects as snapshots; nullopt (and a problem) when it failed.
    std::optional<std::vector<CimObject>> Enumerate(const StressClass& target, std::size_t round) {
        state_.doing[index_] = "enumerating";
        ++enumerations_;
        const ProviderOutcome outcome = Call(target, ProviderOperation::Enumerate, target.name);
        if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
            if (outcome.status != WBEM_S_NO_ERROR)
                state_.Problem(target.name + " enum: " +
                               DescribeStatus(static_cast<std::uint32_t>(outcome.status)) +
                               " from " + outcome.step);
            return std::nullopt;
        }
        std::vector<CimObject> objects;
        for (const auto& object : outcome.objects) {
            auto snapshot = SnapshotOf(object.get());
            if (!snapshot) return std::nullopt;  // CallProvider reported it
            objects.push_back(std::move(*snapshot));
        }
        CheckList(target, objects);
        Lookups(target, objects, round);
        return objects;
    }

    void CheckList(const StressClass& target, const std::vector<CimObject>& objects) {
        std::vector<std::string> paths;
        for (const CimObject& object : objects) paths.push_back(object.RelativePath().value_or(""));
        std::sort(paths.begin(), paths.end());
        if (std::adjacent_find(paths.begin(), paths.end()) != paths.end())
            state_.Problem(target.name + " enum: a key appears twice: " +
                           *std::adjacent_find(paths.begin(), paths.end()));
        if (!FollowsTheLog(target.name)) {
            const std::size_t expected = state_.ExpectedCount(target.name, objects.size());
            if (objects.size() != expected)
                state_.Problem(target.name + " enum: " + std::to_string(objects.size()) +
                               " objects, the first enumeration gave " + std::to_string(expected));
        }
        if (SameName(target.name, kNumericSensorClass)) CheckReadings(objects);
        if (SameName(target.name, kLogRecordClass)) CheckLogRecords(objects);
    }

    void CheckReadings(const std::vector<CimObject>& objects) {
        // The version is read after the enumeration: the list cannot be newer.
        const std::uint64_t latest = state_.Perturbation() ? state_.Perturbation()->Version() : 0;
        std::vector<std::int64_t> readings;
        for (const CimObject& object : objects)
            readings.push_back(IntegerOf(object, "CurrentReading").value_or(-1));
        std::sort(readings.begin(), readings.end());
        if (!state_.MatchesOneVersion(readings, latest))
            state_.Problem("NumericSensor enum: the readings " + Listed(readings) +
                           " are not those of any one version of the platform data (up to " +
                           std::to_string(latest) + "): a torn list");
    }

    void CheckLogRecords(const std::vector<CimObject>& objects) {
        long previous = -1;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string position = TextIn(objects[i], "RecordID");
            if (position != std::to_string(i + 1)) {
                state_.Problem("LogRecord enum: record " + std::to_string(i + 1) +
                               " has RecordID '" + position + "'");
                return;
            }
            const auto recordId = RecordIdOf(TextIn(objects[i], "RecordData"));
            if (!recordId || static_cast<long>(*recordId) <= previous) {
                state_.Problem("LogRecord enum: the log's record ids do not rise at record " +
                               std::to_string(i + 1));
                return;
            }
            previous = static_cast<long>(*recordId);
        }
        // The log only grows.
        if (objects.size() < lastLogRecords_)
            state_.Problem("LogRecord enum: " + std::to_string(objects.size()) + " records after " +
                           std::to_string(lastLogRecords_));
        lastLogRecords_ = objects.size();
    }

    std::optional<std::int64_t> RecordCount(std::size_t round) {
        const auto recordLog = std::find_if(classes_.begin(), classes_.end(), [](const auto& c) {
            return SameName(c.name, kRecordLogClass);
        });
        if (recordLog == classes_.end()) return std::nullopt;
        const auto logs = Enumerate(*recordLog, round);
        if (!logs || logs->size() != 1) return std::nullopt;
        if (round % kClearLogEveryRounds == 0) ClearLog(*recordLog, logs->front());
        return IntegerOf(logs->front(), "CurrentNumberOfRecords");
    }

    // ClearLog answers ReturnValue 1 and changes nothing: the platform's log cannot be
    // cleared, so the count never drops (CheckList sees to that on the next enumeration).
    void ClearLog(const StressClass& recordLog, const CimObject& log) {
        state_.doing[index_] = "clearing";
        const std::string path = log.RelativePath().value_or("");
        const ProviderOutcome outcome =
            Call(recordLog, ProviderOperation::ExecMethod, path, std::string(kClearLogMethod));
        if (!outcome.problems.empty()) return;
        if (outcome.status != WBEM_S_NO_ERROR || outcome.objects.size() != 1) {
            state_.Problem("RecordLog exec ClearLog: " +
                           DescribeStatus(static_cast<std::uint32_t>(outcome.status)) + " with " +
                           std::to_string(outcome.objects.size()) + " objects from " +
                           outcome.step);
            return;
        }
        const auto output = SnapshotOf(outcome.objects.front().get());
        if (output && IntegerOf(*output, "ReturnValue") != 1)
            state_.Problem("RecordLog exec ClearLog: ReturnValue is not 1");
    }

    // RecordLog, LogRecord, RecordLog: as the log only grows, an unchanged count before and
    // after is the count of the enumeration between them.
    void CheckLogAgainstRecordLog(const StressClass& target, std::size_t round) {
        const auto before = RecordCount(round);
        const auto records = Enumerate(target, round);
        const auto after = RecordCount(round);
        if (before && after && records && *before == *after &&
            static_cast<std::int64_t>(records->size()) != *before)
            state_.Problem("LogRecord enum: " + std::to_string(records->size()) +
                           " records while RecordLog counted " + std::to_string(*before) +
                           " before and after");
    }

    void Lookups(const StressClass& target, const std::vector<CimObject>& objects,
                 std::size_t round) {
        for (std::size_t k = 0; k < kLookupsPerEnumeration && k < objects.size(); ++k) {
            const CimObject& wanted = objects[(round * 7 + index_ + k) % objects.size()];
            const std::string path = wanted.RelativePath().value_or("");
            state_.doing[index_] = "getting";
            ++lookups_;
            const ProviderOutcome outcome = Call(target, ProviderOperation::Get, path);
            if (!outcome.problems.empty()) continue;
            if (outcome.status == Wbem(WBEM_E_NOT_FOUND) && outcome.objects.empty()) {
                ++notFound_;
                continue;
            }
            if (outcome.status != WBEM_S_NO_ERROR) {
                state_.Problem(target.name + " get " + path + ": " +
                               DescribeStatus(static_cast<std::uint32_t>(outcome.status)) +
                               " from " + outcome.step);
                continue;
            }
            const auto found = SnapshotOf(outcome.objects.front().get());
            if (found && found->RelativePath() != wanted.RelativePath())
                state_.Problem(target.name + " get " + path + ": found " +
                               found->RelativePath().value_or("an object without a path"));
        }
    }

    StressState& state_;
    const std::vector<StressClass>& classes_;
    const std::size_t index_;
    std::uint64_t enumerations_ = 0;
    std::uint64_t lookups_ = 0;
    std::uint64_t notFound_ = 0;
    std::size_t lastLogRecords_ = 0;
};

// Ends the process when no call has finished for `seconds`: a thread that waits forever
// cannot be stopped any other way, and the run must not hang its caller.
void Watch(StressState& state, unsigned seconds, const std::atomic<bool>& done) {
    std::uint64_t seen = state.ProgressCount();
    auto since = Clock::now();
    while (!done.load()) {
        ::Sleep(kWatchdogTickMs);
        const std::uint64_t now = state.ProgressCount();
        if (now != seen) {
            seen = now;
            since = Clock::now();
            continue;
        }
        if (Clock::now() - since < std::chrono::seconds(seconds) || done.load()) continue;
        std::string text = "norvwmi: stress: watchdog: no call finished for " +
                           std::to_string(seconds) + " s (a deadlock?);";
        for (std::size_t i = 0; i < state.doing.size(); ++i)
            text += " thread " + std::to_string(i) + " " + state.doing[i].load() + ";";
        text += "\n";
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
        std::fflush(stdout);
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
}

}  // namespace

StressReport RunStress(const ProviderModule& module, const ProviderHost& host,
                       const std::vector<std::string>& classNames,
                       const PerturbedClassSource* perturbation, const StressSettings& settings) {
    StressReport report;
    StressState state(module, host, perturbation);
    std::vector<StressClass> classes;
    for (const std::string& name : classNames) {
        const ProviderLookup lookup = FindProvider(host.served->Classes(), host.nameSpace, name,
                                                   ProviderOperation::Enumerate);
        StressClass target{name, {}};
        if (lookup.status != ProviderLookupStatus::Found ||
            FAILED(::CLSIDFromString(Utf8ToWide(lookup.clsid).c_str(), &target.clsid))) {
            state.Problem(name + ": no provider to call (" + lookup.detail + ")");
            continue;
        }
        classes.push_back(std::move(target));
    }
    if (classes.empty()) state.Problem("no class to call");
    // One call of each class first: the module's caches then hold what they keep between
    // requests (the inventory keeps the processors' WMI objects), so that the count of the
    // host's objects before and after the run compares like with like.
    state.doing = std::vector<std::atomic<const char*>>(settings.threads);
    for (auto& doing : state.doing) doing = "warming up";
    std::atomic<bool> done{false};
    std::thread watchdog(Watch, std::ref(state), settings.watchdogSeconds, std::cref(done));
    if (!classes.empty()) {
        StressWorker warmUp(state, classes, 0);
        for (std::size_t round = 0; round < classes.size(); ++round) warmUp.Step(round);
    }
    if (perturbation) report.firstVersion = perturbation->Version();
    const long objectsBefore = LiveComObjects();

    if (!classes.empty()) {
        const auto start = Clock::now();
        const auto deadline = start + std::chrono::seconds(settings.seconds);
        std::vector<std::thread> threads;
        for (unsigned i = 0; i < settings.threads; ++i)
            threads.emplace_back(
                [&state, &classes, i, deadline] { StressWorker(state, classes, i).Run(deadline); });
        // Warm-up: every lazily made object of COM, the runtime and the module exists after
        // the first third of the run.
        std::this_thread::sleep_until(start + std::chrono::seconds(settings.seconds) / 3);
        report.handlesAfterWarmUp = ProcessHandles();
        for (std::thread& thread : threads) thread.join();
    }
    done = true;
    watchdog.join();

    if (perturbation) report.lastVersion = perturbation->Version();
    const long objectsAfter = LiveComObjects();
    if (objectsAfter != objectsBefore)
        state.Problem("the host holds " + std::to_string(objectsAfter - objectsBefore) +
                      " more COM objects than before the run: a reference was not released");
    if (module.CanUnloadNow() != S_OK)
        state.Problem(
            "DllCanUnloadNow answers S_FALSE once every reference is released: the "
            "module still counts an object or a lock");
    report.handlesAtEnd = ProcessHandles();
    if (report.handlesAfterWarmUp != 0 &&
        report.handlesAtEnd > report.handlesAfterWarmUp + kStressHandleTolerance)
        state.Problem("the process holds " + std::to_string(report.handlesAtEnd) +
                      " handles at the end, " + std::to_string(report.handlesAfterWarmUp) +
                      " after warm-up: handles leak");
    state.Report(report);
    return report;
}

std::string StressSummary(const StressSettings& settings, const StressReport& report) {
    return "stress: " + std::to_string(settings.threads) + " threads, " +
           std::to_string(settings.seconds) + " s: " + std::to_string(report.enumerations) +
           " enumerations, " + std::to_string(report.lookups) + " lookups (" +
           std::to_string(report.notFound) + " not found), platform versions " +
           std::to_string(report.firstVersion) + " to " + std::to_string(report.lastVersion) +
           ", handles " + std::to_string(report.handlesAfterWarmUp) + " after warm-up and " +
           std::to_string(report.handlesAtEnd) + " at the end, " +
           std::to_string(report.problemCount) + " problems\n";
}

}  // namespace norvwmi
