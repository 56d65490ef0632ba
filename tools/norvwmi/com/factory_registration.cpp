#include "com/factory_registration.h"

#include <utility>

namespace norvwmi {

FactoryRegistration::FactoryRegistration(FactoryRegistration&& other) noexcept
    : cookie_(std::exchange(other.cookie_, 0)) {}

FactoryRegistration& FactoryRegistration::operator=(FactoryRegistration&& other) noexcept {
    if (this != &other) {
        Revoke();
        cookie_ = std::exchange(other.cookie_, 0);
    }
    return *this;
}

FactoryRegistration::~FactoryRegistration() {
    Revoke();
}

HRESULT FactoryRegistration::Register(REFCLSID classId, IUnknown* factory) {
    Revoke();
    return ::CoRegisterClassObject(classId, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                   &cookie_);
}

void FactoryRegistration::Revoke() {
    if (cookie_ != 0) ::CoRevokeClassObject(std::exchange(cookie_, 0));
}

}  // namespace norvwmi
