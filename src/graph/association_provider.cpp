#include "graph/association_provider.h"

#include <new>
#include <string>

#include "graph/hardware_graph_win.h"
#include "host/class_definition.h"
#include "host/client_impersonation.h"
#include "host/instance_fill.h"
#include "host/object_path_keys.h"
#include "host/reference_path.h"
#include "host/wbem_status.h"
#include "platform/named_lock_scope.h"

namespace norv::win {
namespace {

std::size_t RowOf(const AssociationClass& association) {
    return static_cast<std::size_t>(&association - kAssociationClasses.data());
}

}  // namespace

HRESULT NorvAssociationProv::FetchClassDefinitions(IWbemServices* services,
                                                   IWbemContext* context) {
    for (const AssociationClass& association : kAssociationClasses) {
        NORV_RETURN_IF_FAILED(FetchClassDefinition(services, association.name, context,
                                                   definitions_[RowOf(association)]));
    }
    return kWbemNoError;
}

HRESULT NorvAssociationProv::Instances(const AssociationClass& association,
                                       IWbemContext* context,
                                       std::vector<AssociationData>& instances) {
    GraphEnds ends;
    {
        NamedLockScope providerLock(ProviderLock());
        if (!TakeGraphEnds(SourcesOf(association), context, ends)) return kWbemFailed;
    }
    instances = AssociationsOf(association, ends);
    return kWbemNoError;
}

HRESULT NorvAssociationProv::MakeInstance(const AssociationClass& association,
                                          const AssociationData& data,
                                          ComPtr<IWbemClassObject>& instance) const {
    const ComPtr<IWbemClassObject>& definition = definitions_[RowOf(association)];
    if (!definition) return kWbemFailed;
    NORV_RETURN_IF_FAILED(definition->SpawnInstance(0, instance.put()));
    return FillFromColumns(AssociationColumns(association), data, instance);
}

HRESULT NorvAssociationProv::CreateInstanceEnumAsync(const BSTR className, LONG /*flags*/,
                                                     IWbemContext* context,
                                                     IWbemObjectSink* sink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!sink) return kWbemInvalidParameter;
    const auto indicateEvery = [&]() -> HRESULT {
        const AssociationClass* association =
            FindAssociationClass(className ? className : L"");
        if (!association) return kWbemInvalidClass;
        std::vector<AssociationData> instances;
        NORV_RETURN_IF_FAILED(Instances(*association, context, instances));
        for (const AssociationData& data : instances) {
            ComPtr<IWbemClassObject> instance;
            NORV_RETURN_IF_FAILED(MakeInstance(*association, data, instance));
            IWbemClassObject* objects[] = {instance.get()};
            NORV_RETURN_IF_FAILED(sink->Indicate(1, objects));
        }
        return kWbemNoError;
    };
    HRESULT result = kWbemNoError;
    try {
        result = indicateEvery();
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    sink->SetStatus(kWbemStatusComplete, result, nullptr, nullptr);
    return result;
}
NORV_CATCH_RETURN()

HRESULT NorvAssociationProv::FindByPath(const wchar_t* path, IWbemContext* context,
                                        ComPtr<IWbemClassObject>& instance) {
    std::wstring className;
    if (FAILED(ReadPathClassName(PathParserFactory(), path, className))) {
        return kWbemInvalidParameter;
    }
    const AssociationClass* association = FindAssociationClass(className);
    if (!association ||
        FAILED(ValidateObjectPath(PathParserFactory(), path, association->name,
                                  kInstancePathKinds))) {
        return kWbemInvalidParameter;
    }
    const wchar_t* const roles[] = {association->firstRole, association->secondRole};
    std::string wanted[2];
    NORV_RETURN_IF_FAILED(ReadPathKeys(PathParserFactory(), path, roles, wanted));
    for (std::string* reference : {&wanted[0], &wanted[1]}) {
        if (reference->empty()) return kWbemNotFound;
        const std::wstring text(reference->begin(), reference->end());
        if (FAILED(ReadReferencePath(PathParserFactory(), text.c_str(), *reference))) {
            return kWbemNotFound;
        }
    }
    std::vector<AssociationData> instances;
    NORV_RETURN_IF_FAILED(Instances(*association, context, instances));
    for (const AssociationData& data : instances) {
        if (SameReferencePath(data.first, wanted[0]) && SameReferencePath(data.second, wanted[1])) {
            return SUCCEEDED(MakeInstance(*association, data, instance)) ? kWbemNoError
                                                                         : kWbemNotFound;
        }
    }
    return kWbemNotFound;
}

HRESULT NorvAssociationProv::GetObjectAsync(const BSTR path, LONG /*flags*/,
                                            IWbemContext* context,
                                            IWbemObjectSink* sink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!sink) return kWbemInvalidParameter;
    const std::wstring pathCopy = path ? std::wstring(path) : std::wstring();
    ComPtr<IWbemClassObject> instance;
    NORV_RETURN_IF_FAILED(FindByPath(path ? pathCopy.c_str() : nullptr, context, instance));
    IWbemClassObject* objects[] = {instance.get()};
    sink->Indicate(1, objects);
    sink->SetStatus(kWbemStatusComplete, kWbemNoError, nullptr, nullptr);
    return kWbemNoError;
}
NORV_CATCH_RETURN()

}  // namespace norv::win
