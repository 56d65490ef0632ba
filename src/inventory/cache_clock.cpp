#include "inventory/cache_clock.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

namespace norv::win {

std::int32_t SystemClockSeconds() {
    char text[16] = {};
    const DWORD length = ::GetEnvironmentVariableA(kCacheClockSkewVariable, text, sizeof text);
    const long skew = length > 0 && length < sizeof text ? std::strtol(text, nullptr, 10) : 0;
    return static_cast<std::int32_t>(std::time(nullptr) + skew);
}

}  // namespace norv::win
