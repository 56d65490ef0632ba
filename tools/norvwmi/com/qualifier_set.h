// IWbemQualifierSet over the qualifiers of a class, a property or a method. The set is
// a snapshot: the host's class definitions do not change. Changing it is not supported.
#pragma once

#include <wbemcli.h>

#include <mutex>
#include <optional>
#include <vector>

#include "com/host_com_object.h"
#include "repository/cim_class_definition.h"

namespace norvwmi {

class QualifierSet final : public ComObject<QualifierSet, IWbemQualifierSet> {
public:
    // `flavor` is the origin every qualifier reports: WBEM_FLAVOR_ORIGIN_LOCAL on the
    // object that declares them, WBEM_FLAVOR_ORIGIN_PROPAGATED on an instance.
    QualifierSet(std::vector<Qualifier> qualifiers, LONG flavor);

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, VARIANT* value, LONG flavor) override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNames(LONG flags, SAFEARRAY** names) override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() override;

private:
    bool Listed(LONG flags) const;

    const std::vector<Qualifier> qualifiers_;
    const LONG flavor_;
    std::mutex mutex_;
    std::optional<std::size_t> position_;  // of BeginEnumeration/Next
};

// The CIMTYPE qualifier WMI gives every property: "uint32", "string", "ref:Class", ...
Qualifier CimTypeQualifier(const PropertyDefinition& property);

}  // namespace norvwmi
