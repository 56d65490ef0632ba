// Enumerations through Norvipmiprv.dll with warm and cold caches, side by side. The Windows
// program dll_enum_timer does the timing under Wine (QueryPerformanceCounter around each
// enumeration); this benchmark runs it once per class and reports its samples as manual
// iteration times, one repetition after another taking the next samples.
//
// Environment (defaults configured by CMake):
//   NORV_BENCH_WINE_RUN    the win64 build's wine-run script
//   NORV_BENCH_DLL_TIMER   dll_enum_timer.exe of that build
//   NORV_BENCH_DLL_SAMPLES samples of each kind per repetition (default 5)
//   NORV_BENCH_DLL_ROUNDS  repetitions the program measures for (default 3)
//   NORV_BENCH_DLL_PLATFORM a platform description for the host, as a Windows path
//                           (Z:/...); the host's default platform when unset
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Sample {
    double seconds = 0;
    double objects = 0;
    double platformQueries = 0;
};

struct ClassSamples {
    bool measured = false;
    std::string error;
    std::vector<Sample> warm;
    std::vector<Sample> cold;
    std::size_t nextWarm = 0;
    std::size_t nextCold = 0;
};

std::string Setting(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

unsigned CountSetting(const char* name, unsigned fallback) {
    const unsigned long value = std::strtoul(Setting(name, "").c_str(), nullptr, 10);
    return value == 0 ? fallback : static_cast<unsigned>(value);
}

unsigned SamplesPerRepetition() {
    return CountSetting("NORV_BENCH_DLL_SAMPLES", 5);
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ClassSamples Measure(const std::string& className) {
    ClassSamples samples;
    const unsigned count = SamplesPerRepetition() * CountSetting("NORV_BENCH_DLL_ROUNDS", 3);
    std::string command = Quoted(Setting("NORV_BENCH_WINE_RUN", NORV_BENCH_WINE_RUN)) + " " +
                          Quoted(Setting("NORV_BENCH_DLL_TIMER", NORV_BENCH_DLL_TIMER)) + " ";
    const std::string platform = Setting("NORV_BENCH_DLL_PLATFORM", "");
    if (!platform.empty()) command += "--platform " + Quoted(platform) + " ";
    command += Quoted(className) + " " + std::to_string(count) + " " + std::to_string(count);
    FILE* output = ::popen(command.c_str(), "r");
    if (output == nullptr) {
        samples.error = "cannot start " + command;
        return samples;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, output)) > 0;)
        text.append(buffer, read);
    const int status = ::pclose(output);
    std::istringstream lines(text);
    std::string kind;
    unsigned long long nanoseconds = 0;
    Sample sample;
    while (lines >> kind >> nanoseconds >> sample.objects >> sample.platformQueries) {
        sample.seconds = static_cast<double>(nanoseconds) / 1e9;
        if (kind == "warm") samples.warm.push_back(sample);
        if (kind == "cold") samples.cold.push_back(sample);
    }
    if (status != 0 || samples.warm.size() != count || samples.cold.size() != count)
        samples.error = command + " failed (status " + std::to_string(status) + ", " +
                        std::to_string(samples.warm.size()) + " warm and " +
                        std::to_string(samples.cold.size()) + " cold samples)";
    samples.measured = true;
    return samples;
}

ClassSamples& SamplesOf(const std::string& className) {
    static std::map<std::string, ClassSamples> measured;
    ClassSamples& samples = measured[className];
    if (!samples.measured) samples = Measure(className);
    return samples;
}

void Enumerate(benchmark::State& state, const std::string& className, bool warm) {
    ClassSamples& samples = SamplesOf(className);
    if (!samples.error.empty()) {
        state.SkipWithError(samples.error.c_str());
        for (auto _ : state) {
        }
        return;
    }
    const std::vector<Sample>& taken = warm ? samples.warm : samples.cold;
    std::size_t& next = warm ? samples.nextWarm : samples.nextCold;
    double objects = 0;
    double queries = 0;
    for (auto _ : state) {
        const Sample& sample = taken[next];
        next = (next + 1) % taken.size();
        state.SetIterationTime(sample.seconds);
        objects += sample.objects;
        queries += sample.platformQueries;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["objects"] = objects / iterations;
    // Queries the module sent to the platform's namespaces per enumeration.
    state.counters["platform_queries"] = queries / iterations;
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
    for (const char* className : {"NumericSensor", "Sensor", "LogRecord"}) {
        for (const bool warm : {true, false}) {
            const std::string name = std::string("DllEnumerate/") + className + "/" +
                                     PlatformName() + (warm ? "/warm" : "/cold");
            benchmark::RegisterBenchmark(name.c_str(), Enumerate, std::string(className), warm)
                ->UseManualTime()
                ->Iterations(SamplesPerRepetition())
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
