// The texts of the table view's cells that are more than a property's value: a reading
// with its unit modifier applied and its units in words, a date-time as local date and time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvwmi {

// value x 10^unitModifier in decimal, exactly: 410 and -1 give "41.0", -5 and -2 give
// "-0.05", 7 and 2 give "700". A modifier beyond +-9 gives "7e12".
std::string ScaledValue(std::int64_t value, std::int64_t unitModifier);

// "41.0 degrees C", "3.5 volts per second"; a code without words reads "unit 42" or
// "rate 12"; absent codes add nothing.
std::string ValueWithUnits(std::int64_t value, std::int64_t unitModifier,
                           std::optional<std::uint64_t> baseUnits,
                           std::optional<std::uint64_t> rateUnits);

// "2014-08-01 06:15" from "20140801061500.000000+120": the local date and time the text
// holds, its offset from UTC left out (seconds only when there are any). The date-time of
// an entry without a date reads "undated"; a text that is not a date-time is shown as is.
std::string LocalDateTime(std::string_view cimDateTime);

}  // namespace norvwmi
