#include "program/table_cells.h"

#include <algorithm>

#include "program/cim_code_names.h"

namespace norvwmi {

namespace {

// Beyond this the value is written with an exponent rather than a run of zeros.
constexpr std::int64_t kLargestPlainModifier = 9;

// The date-time WMI gives an entry that carries no date.
constexpr std::string_view kUndatedDateTime = "00000000000000.000000+000";

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string ScaledValue(std::int64_t value, std::int64_t unitModifier) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the smallest int64 has one too.
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (unitModifier > kLargestPlainModifier || unitModifier < -kLargestPlainModifier) {
        digits += "e" + std::to_string(unitModifier);
    } else if (unitModifier > 0) {
        if (magnitude != 0) digits.append(static_cast<std::size_t>(unitModifier), '0');
    } else if (unitModifier < 0) {
        const auto places = static_cast<std::size_t>(-unitModifier);
        if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
        digits.insert(digits.size() - places, ".");
    }
    return (negative ? "-" : "") + digits;
}

std::string ValueWithUnits(std::int64_t value, std::int64_t unitModifier,
                           std::optional<std::uint64_t> baseUnits,
                           std::optional<std::uint64_t> rateUnits) {
    std::string text = ScaledValue(value, unitModifier);
    if (baseUnits) {
        const auto name = BaseUnitsName(*baseUnits);
        text += " " + (name ? std::string(*name) : "unit " + std::to_string(*baseUnits));
    }
    if (rateUnits && *rateUnits != 0) {
        const auto name = RateUnitsName(*rateUnits);
        text += " " + (name ? std::string(*name) : "rate " + std::to_string(*rateUnits));
    }
    return text;
}

std::string LocalDateTime(std::string_view cimDateTime) {
    if (cimDateTime == kUndatedDateTime) return "undated";
    const std::string_view stamp = cimDateTime.substr(0, 14);
    if (cimDateTime.size() != kUndatedDateTime.size() || !AllDigits(stamp))
        return std::string(cimDateTime);
    return std::string(stamp.substr(0, 4)) + "-" + std::string(stamp.substr(4, 2)) + "-" +
           std::string(stamp.substr(6, 2)) + " " + std::string(stamp.substr(8, 2)) + ":" +
           std::string(stamp.substr(10, 2)) +
           (stamp.substr(12, 2) == "00" ? "" : ":" + std::string(stamp.substr(12, 2)));
}

}  // namespace norvwmi
