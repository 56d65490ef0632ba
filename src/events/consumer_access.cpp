#include "events/consumer_access.h"

#include "host/wbem_status.h"

namespace norv::win {

HRESULT CheckPermanentConsumer(LONG sidLength, const BYTE* sid) noexcept {
    PSID creator = const_cast<BYTE*>(sid);
    // The header is read before the length it implies is known: it must be there.
    if (!sid || sidLength < static_cast<LONG>(::GetSidLengthRequired(0)) ||
        !::IsValidSid(creator) || ::GetLengthSid(creator) != static_cast<DWORD>(sidLength)) {
        return kWbemAccessDenied;
    }
    BYTE anonymous[SECURITY_MAX_SID_SIZE];
    DWORD anonymousSize = sizeof anonymous;
    if (!::CreateWellKnownSid(WinAnonymousSid, nullptr, anonymous, &anonymousSize)) {
        return kWbemAccessDenied;
    }
    return ::EqualSid(creator, anonymous) ? kWbemAccessDenied : kWbemNoError;
}

}  // namespace norv::win
