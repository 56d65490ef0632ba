// The WMI utility classes Wine 8 lacks or leaves incomplete, registered in the host's own
// process under Windows' class ids (CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE), so that the
// provider creates them by class id exactly as on Windows: the object-path parser (Wine's
// answers E_NOTIMPL to GetKey and GetKey2) and the query parser (Wine has none). In-process
// registrations take precedence over the registry, so Wine's own parser stays reachable only
// through wmiutils.dll itself.
#pragma once

#include <windows.h>

#include "com/factory_registration.h"

namespace norvwmi {

// Both registrations or neither; revoked when the object ends.
class UtilityParserRegistration {
public:
    UtilityParserRegistration() = default;

    // The outcome of the registration: S_OK, or why neither class is registered.
    HRESULT Status() const { return status_; }
    bool IsRegistered() const { return pathParser_.IsRegistered() && queryParser_.IsRegistered(); }
    void Revoke();

private:
    friend UtilityParserRegistration RegisterWmiUtilityParsers();

    FactoryRegistration pathParser_;
    FactoryRegistration queryParser_;
    HRESULT status_ = E_UNEXPECTED;
};

// Call after COM is initialised, once per process.
[[nodiscard]] UtilityParserRegistration RegisterWmiUtilityParsers();

}  // namespace norvwmi
