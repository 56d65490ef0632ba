// A class factory registered in this process with CoRegisterClassObject
// (CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE), so that CoCreateInstance in the process
// reaches the host's implementation; revoked when the registration ends.
#pragma once

#include <windows.h>

#include <objbase.h>

namespace norvwmi {

class FactoryRegistration {
public:
    FactoryRegistration() = default;
    FactoryRegistration(FactoryRegistration&& other) noexcept;
    FactoryRegistration& operator=(FactoryRegistration&& other) noexcept;
    FactoryRegistration(const FactoryRegistration&) = delete;
    FactoryRegistration& operator=(const FactoryRegistration&) = delete;
    ~FactoryRegistration();

    // Replaces an earlier registration of this object.
    HRESULT Register(REFCLSID classId, IUnknown* factory);
    void Revoke();
    bool IsRegistered() const { return cookie_ != 0; }

private:
    DWORD cookie_ = 0;
};

}  // namespace norvwmi
