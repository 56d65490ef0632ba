// Conversions between the UTF-16 of the Windows API and the UTF-8 that registry operations
// carry, so that a module path with any characters survives the round trip.
#pragma once

#include <string>
#include <string_view>

namespace norv::win {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace norv::win
