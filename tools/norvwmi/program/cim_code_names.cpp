#include "program/cim_code_names.h"

#include <array>

namespace norvwmi {

namespace {

struct CodeName {
    std::uint64_t code;
    std::string_view name;
};

// The value map of BaseUnits, for the units a health sensor reads in.
constexpr std::array kBaseUnits{
    CodeName{2, "degrees C"}, CodeName{3, "degrees F"}, CodeName{4, "degrees K"},
    CodeName{5, "volts"},     CodeName{6, "amps"},      CodeName{7, "watts"},
    CodeName{19, "RPM"},      CodeName{65, "percent"},
};

// The value map of RateUnits, all of it but 0 (none).
constexpr std::array kRateUnits{
    CodeName{1, "per microsecond"}, CodeName{2, "per millisecond"}, CodeName{3, "per second"},
    CodeName{4, "per minute"},      CodeName{5, "per hour"},        CodeName{6, "per day"},
    CodeName{7, "per week"},        CodeName{8, "per month"},       CodeName{9, "per year"},
};

// The value map of SensorType up to the last code the provider puts.
constexpr std::array kSensorTypes{
    CodeName{0, "Unknown"}, CodeName{1, "Other"},   CodeName{2, "Temperature"},
    CodeName{3, "Voltage"}, CodeName{4, "Current"}, CodeName{5, "Tachometer"},
};

// The value map of PerceivedSeverity, all of it.
constexpr std::array kPerceivedSeverities{
    CodeName{0, "Unknown"},          CodeName{1, "Other"}, CodeName{2, "Information"},
    CodeName{3, "Degraded/Warning"}, CodeName{4, "Minor"}, CodeName{5, "Major"},
    CodeName{6, "Critical"},         CodeName{7, "Fatal/NonRecoverable"},
};

template <std::size_t N>
std::optional<std::string_view> NameIn(const std::array<CodeName, N>& table, std::uint64_t code) {
    for (const CodeName& row : table)
        if (row.code == code) return row.name;
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> BaseUnitsName(std::uint64_t code) {
    return NameIn(kBaseUnits, code);
}

std::optional<std::string_view> RateUnitsName(std::uint64_t code) {
    return NameIn(kRateUnits, code);
}

std::optional<std::string_view> SensorTypeName(std::uint64_t code) {
    return NameIn(kSensorTypes, code);
}

std::optional<std::string_view> PerceivedSeverityName(std::uint64_t code) {
    return NameIn(kPerceivedSeverities, code);
}

std::string PerceivedSeverityText(std::uint64_t code) {
    const auto name = PerceivedSeverityName(code);
    return name ? std::string(*name) : std::to_string(code);
}

}  // namespace norvwmi
