// What the benchmark programs that run a Windows timer under Wine share: their settings from
// the environment, the timer's run and output, and the median of the samples it printed.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace norv::bench {

// The environment variable's value, or `fallback` when it is unset or empty.
inline std::string Setting(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

// A positive count from the environment, or `fallback`.
inline unsigned CountSetting(const char* name, unsigned fallback) {
    const unsigned long value = std::strtoul(Setting(name, "").c_str(), nullptr, 10);
    return value == 0 ? fallback : static_cast<unsigned>(value);
}

// A word for the shell, quoted whatever it holds.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the command and collects its standard output; false when it cannot be started.
inline bool RunTimer(const std::string& command, std::string& text, int& status) {
    FILE* output = ::popen(command.c_str(), "r");
    if (output == nullptr) return false;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, output)) > 0;)
        text.append(buffer, read);
    status = ::pclose(output);
    return true;
}

// A benchmark whose timer failed: reported with the error, its iterations left empty.
inline void SkipEvery(benchmark::State& state, const std::string& error) {
    state.SkipWithError(error.c_str());
    for (auto _ : state) {
    }
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace norv::bench
