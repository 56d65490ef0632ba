// Who may subscribe to the hardware events. A temporary consumer calls through WMI, which
// impersonates it: it is checked as every request of the module is, at impersonation level
// or higher. A permanent consumer has no call to impersonate; WMI names the subscription's
// creator by SID instead, and WMI has already checked that creator's right to register the
// subscription in the namespace. The events carry what the instance classes serve, so a
// permanent consumer is admitted unless its SID is malformed (or its length disagrees) or it
// is the anonymous logon, which a request could never impersonate.
#pragma once

#include <windows.h>

namespace norv::win {

HRESULT CheckPermanentConsumer(LONG sidLength, const BYTE* sid) noexcept;

}  // namespace norv::win
