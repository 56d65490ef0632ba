// Conversions between the UTF-16 of the Windows API and UTF-8: the registry operations of
// the module and every text of its host, so that a module path or a name with any
// characters survives the round trip.
#pragma once

#include <string>
#include <string_view>

namespace norv::win {

// Both throw std::bad_alloc for a text longer than the API measures (INT_MAX units).
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace norv::win
