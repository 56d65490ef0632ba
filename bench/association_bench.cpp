// Association queries through Norvipmiprv.dll beside the requests they are set against: the
// Windows program association_timer times them under Wine with warm caches; this benchmark
// runs it once per description and reports its samples as manual iteration times.
//
//   DllAssociation/PLATFORM/KIND   KIND as the timer names it (references_log, enum_LogRecord,
//                                  enum_HealthCondition, associators_linked, get_linked,
//                                  associators_quiet, get_quiet), with the median of every
//                                  sample of the kind and, for the queries and the conditions,
//                                  the median ratio to the request of the same round they are
//                                  set against (ratio_in_round)
//
// PLATFORM is "default" (the host's description) and "full_log" (the same with a full
// 32768-byte management log).
// Environment (defaults configured by CMake):
//   NORV_BENCH_WINE_RUN           the win64 build's wine-run script
//   NORV_BENCH_ASSOCIATION_TIMER  association_timer.exe of that build
//   NORV_BENCH_ASSOCIATION_ROUNDS rounds per repetition (default 10)
//   NORV_BENCH_DLL_ROUNDS         repetitions the program measures for (default 3)
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
};

// Each query and the request of its round it is set against.
constexpr std::pair<const char*, const char*> kAgainst[] = {
    {"references_log", "enum_LogRecord"},
    {"enum_HealthCondition", "enum_LogRecord"},
    {"associators_linked", "get_linked"},
    {"associators_quiet", "get_quiet"}};

struct Run {
    bool measured = false;
    std::string error;
    std::map<std::string, std::vector<Sample>> taken;
    std::map<std::string, std::size_t> next;
};

Run Measure(const std::string& platform) {
    Run run;
    run.measured = true;
    const unsigned rounds = CountSetting("NORV_BENCH_ASSOCIATION_ROUNDS", 10) *
                            CountSetting("NORV_BENCH_DLL_ROUNDS", 3);
    const std::string command =
        Quoted(Setting("NORV_BENCH_WINE_RUN", NORV_BENCH_WINE_RUN)) + " " +
        Quoted(Setting("NORV_BENCH_ASSOCIATION_TIMER", NORV_BENCH_ASSOCIATION_TIMER)) + " " +
        (platform == "full_log" ? "--full-log " : "") + std::to_string(rounds);
    std::string text;
    int status = 0;
    if (!RunTimer(command, text, status)) {
        run.error = "cannot start " + command;
        return run;
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string kind;
        unsigned long long nanoseconds = 0;
        Sample sample;
        if (fields >> kind >> nanoseconds >> sample.objects) {
            sample.seconds = static_cast<double>(nanoseconds) / 1e9;
            run.taken[kind].push_back(sample);
        }
    }
    for (const auto& [query, against] : kAgainst)
        if (status != 0 || run.taken[query].size() != rounds || run.taken[against].size() != rounds)
            run.error = command + " failed (status " + std::to_string(status) + ")";
    return run;
}

Run& RunOf(const std::string& platform) {
    static std::map<std::string, Run> runs;
    Run& run = runs[platform];
    if (!run.measured) run = Measure(platform);
    return run;
}

void Report(benchmark::State& state, const std::string& platform, const std::string& kind) {
    Run& run = RunOf(platform);
    if (!run.error.empty()) {
        SkipEvery(state, run.error);
        return;
    }
    const std::vector<Sample>& taken = run.taken[kind];
    std::size_t& next = run.next[kind];
    for (auto _ : state) {
        state.SetIterationTime(taken[next].seconds);
        next = (next + 1) % taken.size();
    }
    std::vector<double> seconds;
    for (const Sample& sample : taken) seconds.push_back(sample.seconds);
    state.counters["median_ms"] = Median(seconds) * 1e3;
    state.counters["objects"] = taken.front().objects;
    for (const auto& [query, against] : kAgainst) {
        if (kind != query) continue;
        const std::vector<Sample>& other = run.taken[against];
        std::vector<double> ratios;
        for (std::size_t i = 0; i < taken.size(); ++i)
            ratios.push_back(taken[i].seconds / other[i].seconds);
        state.counters["ratio_in_round"] = Median(std::move(ratios));
    }
}

const bool registered = [] {
    for (const char* platform : {"default", "full_log"}) {
        for (const char* kind : {"references_log", "enum_LogRecord", "enum_HealthCondition",
                                 "associators_linked", "get_linked", "associators_quiet",
                                 "get_quiet"}) {
            const std::string name = std::string("DllAssociation/") + platform + "/" + kind;
            benchmark::RegisterBenchmark(name.c_str(), Report, std::string(platform),
                                         std::string(kind))
                ->UseManualTime()
                ->Iterations(CountSetting("NORV_BENCH_ASSOCIATION_ROUNDS", 10))
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
