// NorvAssociationProv: the instances of the seven association classes, which link the served
// instances to each other by their paths. One provider object answers every association
// class; it makes a class's instances for each request from the data its ends are served from.
// A request is about one class, so a class's definition is fetched when a request first
// needs it rather than all seven at Initialize.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <vector>

#include "graph/association_classes.h"
#include "graph/hardware_graph.h"
#include "host/provider_base.h"
#include "platform/critical_section.h"

namespace norv::win {

class NorvAssociationProv final : public ProviderBase {
public:
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvAssociationProv");

    NorvAssociationProv() : ProviderBase(kProviderClass) {}

    // Every instance of the named association class, then one SetStatus with the result:
    // WBEM_E_INVALID_CLASS for a class that is not one of them, WBEM_E_FAILED when the
    // sensors could not be read, the first failure of spawning, filling or indicating.
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR className, LONG flags,
                                                      IWbemContext* context,
                                                      IWbemObjectSink* sink) noexcept override;
    // The instance whose two references name the instances the path's keys name (in any
    // spelling of those paths), indicated and completed; WBEM_E_INVALID_PARAMETER for a
    // path that is not one of an association instance, WBEM_E_NOT_FOUND when no instance
    // has both references. A failure is returned without calling the sink.
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR path, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* sink) noexcept override;
    // The query WMI sends to resolve ASSOCIATORS OF and REFERENCES OF (association_select.h),
    // in WQL, of an association class and its own roles: only the instances one of whose
    // named references names the path given are made and indicated, then one SetStatus as
    // for an enumeration. Any other query is WBEM_E_PROVIDER_NOT_CAPABLE, completed through
    // the sink too, so that WMI enumerates the class instead.
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                             IWbemContext* context,
                                             IWbemObjectSink* sink) noexcept override;

private:
    ~NorvAssociationProv() override = default;

    // Fetches nothing: each definition comes at its first use (Definition).
    HRESULT FetchClassDefinitions(IWbemServices* services, IWbemContext* context) override;
    // The class's definition, fetched from the namespace on first use and kept for the
    // object's life. The fetch runs with no lock held; of two racing fetches the first is kept.
    HRESULT Definition(const AssociationClass& association, IWbemContext* context,
                       ComPtr<IWbemClassObject>& definition);

    // The class's ends now, taken under this provider's lock and the caches' locks, which
    // are given back before it returns.
    HRESULT Ends(const AssociationClass& association, IWbemContext* context, GraphEnds& ends);
    // The class's instances now.
    HRESULT Instances(const AssociationClass& association, IWbemContext* context,
                      std::vector<AssociationData>& instances);
    // Makes and indicates each instance, with no lock held.
    HRESULT IndicateEach(const AssociationClass& association,
                         const std::vector<AssociationData>& instances, IWbemContext* context,
                         IWbemObjectSink* sink);
    HRESULT FindByPath(const wchar_t* path, IWbemContext* context,
                       ComPtr<IWbemClassObject>& instance);

    CriticalSection definitionsGuard_;
    std::array<ComPtr<IWbemClassObject>, kAssociationClasses.size()> definitions_;
};

}  // namespace norv::win
