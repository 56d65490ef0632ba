// The cells of --format table: readings scaled exactly and named by their CIM unit codes (an
// unknown code shows as its number), local date-times. The whole table and the summary line
// of the default and failing platforms are compared end to end with tests/data/norvwmi/table.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "inventory/vocabulary.h"
#include "program/cim_code_names.h"
#include "program/table_cells.h"
#include "support/case_file.h"

namespace norvwmi {
namespace {

std::optional<std::uint64_t> Code(const std::string& word) {
    if (word == "-") return std::nullopt;
    return std::stoull(word);
}

std::string Words(std::optional<std::string_view> words) {
    return words ? std::string(*words) : "-";
}

// The cases are tests/data/norvwmi/table_cells.txt.
TEST(TableCells, ReadingsUnitsDateTimesAndCodeWords) {
    norv::test::ExpectCases("table_cells.txt", [](const std::string& input) -> std::string {
        std::istringstream in(input);
        std::string kind, a, b, c, d;
        in >> kind >> a >> b >> c >> d;
        if (kind == "scaled") return ScaledValue(std::stoll(a), std::stoll(b));
        if (kind == "units") return ValueWithUnits(std::stoll(a), std::stoll(b), Code(c), Code(d));
        if (kind == "date") return LocalDateTime(a);
        const std::uint64_t code = *Code(a);
        return Words(kind == "sensor" ? SensorTypeName(code)
                     : kind == "base" ? BaseUnitsName(code)
                                      : RateUnitsName(code));
    });
    // Every code the provider puts has words.
    for (std::uint32_t ipmiType = 0; ipmiType < 256; ++ipmiType)
        EXPECT_TRUE(SensorTypeName(norv::CimSensorType(ipmiType))) << ipmiType;
}

}  // namespace
}  // namespace norvwmi
