// Enumerations through Norvipmiprv.dll with warm and cold caches, side by side with the floor
// of a warm one, and the module's memory over a long burst of requests. The Windows program
// dll_enum_timer does the timing under Wine (QueryPerformanceCounter around each enumeration);
// this benchmark runs it once per class and reports its samples as manual iteration times,
// one repetition after another taking the next samples.
//
//   DllEnumerate/CLASS/PLATFORM/warm|cold   whole enumerations through the module
//   DllEnumerate/CLASS/PLATFORM/floor       after each warm one, the same instances spawned
//                                           from the host's class object and their values
//                                           put without the provider (what WMI itself does)
//   DllMemory/PLATFORM/ARCH                 the process's private bytes over the burst (one
//                                           run; the samples go to standard error)
//   DllEventTick/PLATFORM/idle_tick         one tick of an idle event subscription with stale
//                                           caches, and the queries it sends by class
//   DllEventTick/PLATFORM/idle_tick_with_alerts  the same with an active AlertIndication query
//                                           beside it, interleaved; its ratio to idle_tick
//   DllEventTick/PLATFORM/cold_LogRecord    cold LogRecord and Sensor enumerations of the same
//   DllEventTick/PLATFORM/cold_Sensor       process, alternating with the ticks
//                                           (event_tick_timer); each kind's ratio to both
//   DllEventTick/PLATFORM/tick_snapshot     parts of the tick timed alone: its snapshot (both
//   DllEventTick/PLATFORM/tick_inventory_build  caches refreshed) and the inventory build in it
//
// Environment (defaults configured by CMake):
//   NORV_BENCH_WINE_RUN    the win64 build's wine-run script
//   NORV_BENCH_DLL_TIMER   dll_enum_timer.exe of that build
//   NORV_BENCH_DLL_SAMPLES samples of each kind per repetition (default 5)
//   NORV_BENCH_DLL_ROUNDS  repetitions the program measures for (default 3)
//   NORV_BENCH_DLL_PLATFORM a platform description for the host, as a Windows path
//                           (Z:/...); the host's default platform when unset
//   NORV_BENCH_DLL_ENUMERATIONS  0 leaves the enumerations and the event ticks out
//   NORV_BENCH_TICK_TIMER  event_tick_timer.exe of that build
//   NORV_BENCH_TICK_SAMPLES ticks (and cold enumerations of each class) per repetition
//                           (default 20)
//   NORV_BENCH_DLL_MEMORY_REQUESTS requests of the memory burst (default 20000; 0 leaves it out)
//   NORV_BENCH_DLL_MEMORY_EVERY    requests between memory samples (default 1000)
//   NORV_BENCH_DLL_ARCH    the name the memory benchmark gives the build (default win64)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "timer_samples.h"

namespace {

using norv::bench::CountSetting;
using norv::bench::Median;
using norv::bench::Quoted;
using norv::bench::RunTimer;
using norv::bench::SkipEvery;
using norv::bench::Setting;

struct Sample {
    double seconds = 0;
    double objects = 0;
    double platformQueries = 0;  // floor: the properties put
};

enum class Kind { Warm, Cold, Floor };

struct ClassSamples {
    bool measured = false;
    std::string error;
    std::vector<Sample> warm;
    std::vector<Sample> cold;
    std::vector<Sample> floor;  // one after each warm sample
    std::size_t nextWarm = 0;
    std::size_t nextCold = 0;
    std::size_t nextFloor = 0;
};

unsigned SamplesPerRepetition() {
    return CountSetting("NORV_BENCH_DLL_SAMPLES", 5);
}

// A timer's command line up to its operands: the program the setting names (the build's by
// default) under Wine, with the platform description when one is set.
std::string TimerCommand(const char* timerSetting = "NORV_BENCH_DLL_TIMER",
                         const char* builtTimer = NORV_BENCH_DLL_TIMER) {
    std::string command = Quoted(Setting("NORV_BENCH_WINE_RUN", NORV_BENCH_WINE_RUN)) + " " +
                          Quoted(Setting(timerSetting, builtTimer)) + " ";
    const std::string platform = Setting("NORV_BENCH_DLL_PLATFORM", "");
    if (!platform.empty()) command += "--platform " + Quoted(platform) + " ";
    return command;
}

ClassSamples Measure(const std::string& className) {
    ClassSamples samples;
    const unsigned count = SamplesPerRepetition() * CountSetting("NORV_BENCH_DLL_ROUNDS", 3);
    const std::string command = TimerCommand() + Quoted(className) + " " + std::to_string(count) +
                                " " + std::to_string(count);
    int status = 0;
    std::string text;
    if (!RunTimer(command, text, status)) {
        samples.error = "cannot start " + command;
        return samples;
    }
    std::istringstream lines(text);
    std::string kind;
    unsigned long long nanoseconds = 0;
    Sample sample;
    while (lines >> kind >> nanoseconds >> sample.objects >> sample.platformQueries) {
        sample.seconds = static_cast<double>(nanoseconds) / 1e9;
        if (kind == "warm") samples.warm.push_back(sample);
        if (kind == "cold") samples.cold.push_back(sample);
        if (kind == "floor") samples.floor.push_back(sample);
    }
    if (status != 0 || samples.warm.size() != count || samples.cold.size() != count ||
        samples.floor.size() != count)
        samples.error = command + " failed (status " + std::to_string(status) + ", " +
                        std::to_string(samples.warm.size()) + " warm, " +
                        std::to_string(samples.cold.size()) + " cold and " +
                        std::to_string(samples.floor.size()) + " floor samples)";
    samples.measured = true;
    return samples;
}

ClassSamples& SamplesOf(const std::string& className) {
    static std::map<std::string, ClassSamples> measured;
    ClassSamples& samples = measured[className];
    if (!samples.measured) samples = Measure(className);
    return samples;
}

template <typename SampleType>
double MedianSeconds(const std::vector<SampleType>& samples) {
    std::vector<double> seconds;
    for (const SampleType& sample : samples) seconds.push_back(sample.seconds);
    return Median(std::move(seconds));
}

void Enumerate(benchmark::State& state, const std::string& className, Kind kind) {
    ClassSamples& samples = SamplesOf(className);
    if (!samples.error.empty()) {
        SkipEvery(state, samples.error);
        return;
    }
    const std::vector<Sample>& taken = kind == Kind::Warm   ? samples.warm
                                       : kind == Kind::Cold ? samples.cold
                                                            : samples.floor;
    std::size_t& next = kind == Kind::Warm   ? samples.nextWarm
                        : kind == Kind::Cold ? samples.nextCold
                                             : samples.nextFloor;
    double seconds = 0;
    double objects = 0;
    double queries = 0;
    for (auto _ : state) {
        const Sample& sample = taken[next];
        next = (next + 1) % taken.size();
        state.SetIterationTime(sample.seconds);
        seconds += sample.seconds;
        objects += sample.objects;
        queries += sample.platformQueries;
    }
    const auto iterations = static_cast<double>(state.iterations());
    // The median of every sample of this kind the process took, whatever the repetition: a
    // request the scheduler interrupts costs a slice of several milliseconds, which moves a
    // mean of five samples by far more than the provider's own work does.
    state.counters["median_ms"] = MedianSeconds(taken) * 1e3;
    state.counters["objects"] = objects / iterations;
    // Microseconds per object: the whole request's time shared out over what it returned.
    if (objects > 0) state.counters["us_per_object"] = seconds * 1e6 / objects;
    if (kind == Kind::Floor) {
        state.counters["puts"] = queries / iterations;
    } else {
        // Queries the module sent to the platform's namespaces per enumeration.
        state.counters["platform_queries"] = queries / iterations;
    }
}

// A sample of event_tick_timer (an idle tick, a cold enumeration, or one of the tick's parts),
// with its queries by class.
struct TickSample {
    double seconds = 0;
    double objects = 0;
    double platformQueries = 0;
    std::map<std::string, double> queriesByClass;
};

// The timer's kinds of sample as it prints them, and as the benchmarks name them: the tick,
// the tick of a subscription that also selects the alerts, the two enumerations, the tick's
// two parts.
constexpr std::pair<const char*, const char*> kTickKinds[] = {
    {"tick", "idle_tick"},
    {"alerting", "idle_tick_with_alerts"},
    {"cold", "cold_LogRecord"},
    {"sensor", "cold_Sensor"},
    {"snapshot", "tick_snapshot"},
    {"inventory", "tick_inventory_build"}};

// The enumerations every kind is set against, by the timer's kind and the class enumerated:
// the LogRecord one is the request of the same log, the Sensor one rebuilds the inventory as
// the tick does, also where the platform has no management log.
constexpr std::pair<const char*, const char*> kColdEnumerations[] = {{"cold", "LogRecord"},
                                                                     {"sensor", "Sensor"}};

struct TickSamples {
    bool measured = false;
    std::string error;
    std::map<std::string, std::vector<TickSample>> taken;  // by kind
    std::map<std::string, std::size_t> next;
};

unsigned TickSamplesPerRepetition() {
    return CountSetting("NORV_BENCH_TICK_SAMPLES", 20);
}

TickSamples MeasureTicks() {
    TickSamples samples;
    const unsigned count = TickSamplesPerRepetition() * CountSetting("NORV_BENCH_DLL_ROUNDS", 3);
    const std::string command =
        TimerCommand("NORV_BENCH_TICK_TIMER", NORV_BENCH_TICK_TIMER) + std::to_string(count);
    int status = 0;
    std::string text;
    if (!RunTimer(command, text, status)) {
        samples.error = "cannot start " + command;
        return samples;
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string kind;
        unsigned long long nanoseconds = 0;
        TickSample sample;
        if (!(fields >> kind >> nanoseconds >> sample.objects >> sample.platformQueries)) continue;
        sample.seconds = static_cast<double>(nanoseconds) / 1e9;
        for (std::string pair; fields >> pair;) {
            const std::size_t equals = pair.find('=');
            if (equals == std::string::npos) continue;
            sample.queriesByClass[pair.substr(0, equals)] +=
                std::strtod(pair.c_str() + equals + 1, nullptr);
        }
        if (kind != "fill") samples.taken[kind].push_back(std::move(sample));
    }
    std::string counts;
    bool complete = status == 0;
    for (const auto& [kind, benchmarkName] : kTickKinds) {
        complete = complete && samples.taken[kind].size() == count;
        counts += ", " + std::to_string(samples.taken[kind].size()) + " " + kind;
    }
    if (!complete)
        samples.error = command + " failed (status " + std::to_string(status) + counts + ")";
    samples.measured = true;
    return samples;
}

TickSamples& TickSamplesOfThisPlatform() {
    static TickSamples samples;
    if (!samples.measured) samples = MeasureTicks();
    return samples;
}

double MinSeconds(const std::vector<TickSample>& samples) {
    double least = samples.front().seconds;
    for (const TickSample& sample : samples) least = std::min(least, sample.seconds);
    return least;
}

double MeanSeconds(const std::vector<TickSample>& samples) {
    double seconds = 0;
    for (const TickSample& sample : samples) seconds += sample.seconds;
    return seconds / static_cast<double>(samples.size());
}

void EventTick(benchmark::State& state, const std::string& kind) {
    TickSamples& samples = TickSamplesOfThisPlatform();
    if (!samples.error.empty()) {
        SkipEvery(state, samples.error);
        return;
    }
    const std::vector<TickSample>& taken = samples.taken[kind];
    std::size_t& next = samples.next[kind];
    double objects = 0;
    double queries = 0;
    std::map<std::string, double> byClass;
    for (auto _ : state) {
        const TickSample& sample = taken[next];
        next = (next + 1) % taken.size();
        state.SetIterationTime(sample.seconds);
        objects += sample.objects;
        queries += sample.platformQueries;
        for (const auto& [className, count] : sample.queriesByClass) byClass[className] += count;
    }
    const auto iterations = static_cast<double>(state.iterations());
    // Medians of every sample of this kind the process took, as for the enumerations above.
    state.counters["median_ms"] = MedianSeconds(taken) * 1e3;
    state.counters["objects"] = objects / iterations;
    state.counters["platform_queries"] = queries / iterations;
    // Queries of each class per sample, and the most that one sample sent of one class.
    double mostOfOneClass = 0;
    for (const TickSample& sample : taken)
        for (const auto& [className, count] : sample.queriesByClass)
            mostOfOneClass = std::max(mostOfOneClass, count);
    state.counters["most_of_one_class"] = mostOfOneClass;
    for (const auto& [className, count] : byClass)
        state.counters["q_" + className] = count / iterations;
    // Each kind against each cold enumeration, over all the process's samples: the ratio of
    // the medians, of the means, and the median ratio of the samples taken in the same round
    // (under Wine a process has spells of some tens of milliseconds in which every request is
    // several times slower; a round's samples share its spell).
    for (const auto& [coldKind, className] : kColdEnumerations) {
        const std::vector<TickSample>& cold = samples.taken[coldKind];
        const std::string over = std::string("_over_") + className;
        state.counters["median" + over] = MedianSeconds(taken) / MedianSeconds(cold);
        state.counters["mean" + over] = MeanSeconds(taken) / MeanSeconds(cold);
        std::vector<double> roundRatios;
        for (std::size_t i = 0; i < taken.size(); ++i)
            roundRatios.push_back(taken[i].seconds / cold[i].seconds);
        state.counters["round_ratio" + over] = Median(std::move(roundRatios));
    }
    // The tick with an alert query against the plain one of the same round (goal <= 1.05).
    if (kind == "alerting") {
        const std::vector<TickSample>& plain = samples.taken["tick"];
        std::vector<double> roundRatios;
        for (std::size_t i = 0; i < taken.size(); ++i)
            roundRatios.push_back(taken[i].seconds / plain[i].seconds);
        state.counters["min_ms"] = MinSeconds(taken) * 1e3;
        state.counters["idle_tick_min_ms"] = MinSeconds(plain) * 1e3;
        state.counters["idle_tick_median_ms"] = MedianSeconds(plain) * 1e3;
        state.counters["median_over_idle_tick"] = MedianSeconds(taken) / MedianSeconds(plain);
        state.counters["min_over_idle_tick"] = MinSeconds(taken) / MinSeconds(plain);
        state.counters["round_ratio_over_idle_tick"] = Median(std::move(roundRatios));
    }
}

struct MemorySample {
    double requests = 0;
    double privateUsage = 0;
    double pagefileUsage = 0;
    double workingSet = 0;
    double seconds = 0;  // since the first sample
};

// Least-squares slope of y over x.
double Slope(const std::vector<MemorySample>& samples, double MemorySample::*y) {
    const auto n = static_cast<double>(samples.size());
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (const MemorySample& sample : samples) {
        sumX += sample.requests;
        sumY += sample.*y;
        sumXX += sample.requests * sample.requests;
        sumXY += sample.requests * (sample.*y);
    }
    const double spread = n * sumXX - sumX * sumX;
    return spread == 0 ? 0 : (n * sumXY - sumX * sumY) / spread;
}

// The burst runs once, whatever the repetitions; its samples go to standard error.
void Memory(benchmark::State& state, const std::string& name, unsigned requests, unsigned every) {
    const std::string command =
        TimerCommand() + "--memory " + std::to_string(requests) + " " + std::to_string(every);
    int status = 0;
    std::string text;
    std::vector<MemorySample> samples;
    if (RunTimer(command, text, status)) {
        std::istringstream lines(text);
        std::string kind;
        MemorySample sample;
        unsigned long long nanoseconds = 0;
        while (lines >> kind >> sample.requests >> sample.privateUsage >> sample.pagefileUsage >>
               sample.workingSet >> nanoseconds) {
            sample.seconds = static_cast<double>(nanoseconds) / 1e9;
            if (kind == "memory") samples.push_back(sample);
        }
    }
    if (status != 0 || samples.size() != requests / every + 1) {
        const std::string error = command + " failed (status " + std::to_string(status) + ", " +
                                  std::to_string(samples.size()) + " samples)";
        SkipEvery(state, error);
        return;
    }
    // Wine leaves PrivateUsage at 0 and counts the committed private memory in PagefileUsage;
    // Windows gives both the same value.
    bool privateReported = false;
    for (const MemorySample& sample : samples) privateReported |= sample.privateUsage > 0;
    double MemorySample::*figure =
        privateReported ? &MemorySample::privateUsage : &MemorySample::pagefileUsage;

    std::fprintf(stderr, "%s: requests, %s KiB, working set KiB, seconds\n", name.c_str(),
                 privateReported ? "PrivateUsage" : "PagefileUsage");
    double lowest = samples.front().*figure;
    double highest = lowest;
    for (const MemorySample& sample : samples) {
        std::fprintf(stderr, "  %6.0f %10.0f %10.0f %8.2f\n", sample.requests,
                     sample.*figure / 1024, sample.workingSet / 1024, sample.seconds);
        lowest = std::min(lowest, sample.*figure);
        highest = std::max(highest, sample.*figure);
    }
    for (auto _ : state) state.SetIterationTime(samples.back().seconds / requests);
    state.counters["requests"] = requests;
    state.counters["samples"] = static_cast<double>(samples.size());
    state.counters["from_pagefile_usage"] = privateReported ? 0 : 1;
    state.counters["first_kib"] = samples.front().*figure / 1024;
    state.counters["last_kib"] = samples.back().*figure / 1024;
    state.counters["min_kib"] = lowest / 1024;
    state.counters["max_kib"] = highest / 1024;
    state.counters["slope_kib_per_1000"] = Slope(samples, figure) * 1000 / 1024;
    state.counters["ws_first_kib"] = samples.front().workingSet / 1024;
    state.counters["ws_last_kib"] = samples.back().workingSet / 1024;
    state.counters["ws_slope_kib_per_1000"] =
        Slope(samples, &MemorySample::workingSet) * 1000 / 1024;
}

// The description's file name without its folder and ".mof", or "default".
std::string PlatformName() {
    std::string name = Setting("NORV_BENCH_DLL_PLATFORM", "default");
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mof") == 0)
        name.resize(name.size() - 4);
    return name;
}

const bool registered = [] {
    if (Setting("NORV_BENCH_DLL_ENUMERATIONS", "1") != "0") {
        constexpr std::pair<Kind, const char*> kinds[] = {
            {Kind::Warm, "warm"}, {Kind::Floor, "floor"}, {Kind::Cold, "cold"}};
        for (const char* className : {"NumericSensor", "Sensor", "LogRecord"}) {
            for (const auto& [kind, kindName] : kinds) {
                const std::string name = std::string("DllEnumerate/") + className + "/" +
                                         PlatformName() + "/" + kindName;
                benchmark::RegisterBenchmark(name.c_str(), Enumerate, std::string(className), kind)
                    ->UseManualTime()
                    ->Iterations(SamplesPerRepetition())
                    ->Unit(benchmark::kMillisecond);
            }
        }
        for (const auto& [kind, kindName] : kTickKinds) {
            const std::string name = "DllEventTick/" + PlatformName() + "/" + kindName;
            benchmark::RegisterBenchmark(name.c_str(), EventTick, std::string(kind))
                ->UseManualTime()
                ->Iterations(TickSamplesPerRepetition())
                ->Unit(benchmark::kMillisecond);
        }
    }
    const unsigned long requests =
        std::strtoul(Setting("NORV_BENCH_DLL_MEMORY_REQUESTS", "20000").c_str(), nullptr, 10);
    if (requests > 0) {
        const std::string name =
            "DllMemory/" + PlatformName() + "/" + Setting("NORV_BENCH_DLL_ARCH", "win64");
        benchmark::RegisterBenchmark(name.c_str(), Memory, name, static_cast<unsigned>(requests),
                                     CountSetting("NORV_BENCH_DLL_MEMORY_EVERY", 1000))
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(1)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
