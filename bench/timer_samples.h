// What the benchmark programs that run a Windows timer under Wine share: their settings from
// the environment and the median of the samples a timer printed.
#pragma once

#include <algorithm>
#include <cstddef>
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

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace norv::bench
