#include "events/event_period_win.h"

#include <optional>

#include "events/event_period.h"
#include "platform/win_resource.h"

namespace norv::win {

std::uint32_t ReadEventPeriodSeconds() {
    UniqueHkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventProviderKey, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return EventPeriodSeconds(std::nullopt);
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status = ::RegQueryValueExW(key.get(), kEventPeriodValue, nullptr, &type,
                                              reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
        return EventPeriodSeconds(std::nullopt);
    }
    return EventPeriodSeconds(value);
}

}  // namespace norv::win
