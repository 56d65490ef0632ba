// IWbemQualifierSet over the qualifiers of a class, a property or a method. The set is
// a snapshot. Only the sets of a class being defined (one made by SpawnDerivedClass) can be
// changed: Put writes through to that class; every other set refuses Put, and every set
// refuses Delete.
#pragma once

#include <wbemcli.h>

#include <functional>
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
    // A set that Put writes through: `write` puts the qualifier on the object the set is of.
    using Writer = std::function<HRESULT(const Qualifier&)>;
    QualifierSet(std::vector<Qualifier> qualifiers, LONG flavor, Writer write = {});

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, VARIANT* value, LONG flavor) override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE GetNames(LONG flags, SAFEARRAY** names) override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG flags) override;
    HRESULT STDMETHODCALLTYPE Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() override;

private:
    bool Listed(LONG flags) const;

    const LONG flavor_;
    const Writer write_;
    std::mutex mutex_;
    std::vector<Qualifier> qualifiers_;
    std::optional<std::size_t> position_;  // of BeginEnumeration/Next
};

// The CIMTYPE qualifier WMI gives every property: "uint32", "string", "ref:Class", ...
Qualifier CimTypeQualifier(const PropertyDefinition& property);

}  // namespace norvwmi
