// Which event queries ask for alerts: the event provider makes AlertIndication events only
// while one of its active queries selects from that class, so a tick without one costs
// nothing more.
#pragma once

#include <string_view>

namespace norv {

inline constexpr std::wstring_view kAlertIndicationClass = L"AlertIndication";

// Whether the query selects from AlertIndication: the word after its FROM, in any letter
// case ("SELECT * FROM AlertIndication WHERE PerceivedSeverity >= 6"). A query that names
// the class anywhere else (in a WHERE) does not.
bool AsksForAlerts(std::wstring_view query);

}  // namespace norv
