#include "graph/association_provider.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "graph/association_select.h"
#include "graph/hardware_graph_win.h"
#include "host/class_definition.h"
#include "host/client_impersonation.h"
#include "host/instance_fill.h"
#include "platform/name_case.h"
#include "host/object_path_keys.h"
#include "host/provider_class_row.h"
#include "host/reference_path.h"
#include "host/wbem_status.h"
#include "platform/named_lock_scope.h"

namespace norv::win {
namespace {

std::size_t RowOf(const AssociationClass& association) {
    return static_cast<std::size_t>(&association - kAssociationClasses.data());
}

// The query's association class and, for each of its two references, the paths the query
// holds it against (as ReadReferencePath writes them); null when the query is not one the
// provider answers.
struct ReferenceQuery {
    const AssociationClass* association = nullptr;
    std::array<std::vector<std::string>, 2> paths;
};

ReferenceQuery ReadReferenceQuery(IClassFactory* pathParser, const wchar_t* language,
                                  const wchar_t* query) {
    ReferenceQuery read;
    if (!language || !query || !SameName(std::wstring_view(language), L"WQL")) return read;
    const std::optional<AssociationSelect> select = ParseAssociationSelect(query);
    if (!select) return read;
    const AssociationClass* association = FindAssociationClass(select->className);
    if (!association) return read;
    for (const ReferenceTerm& term : select->terms) {
        const bool first = SameName(term.role, association->firstRole);
        if (!first && !SameName(term.role, association->secondRole)) return read;
        std::string path;
        // A path that is not one, or one of a class the end never is, names no instance.
        const GraphEnd end = first ? association->first : association->second;
        if (SUCCEEDED(ReadReferencePath(pathParser, term.path.c_str(), path)) &&
            EndMayBe(end, std::string_view(path).substr(0, path.find('.'))))
            read.paths[first ? 0 : 1].push_back(std::move(path));
    }
    read.association = association;
    return read;
}

// Runs a request's work and completes it through the sink with its result, running out of
// memory included: once an instance may have been indicated, the client waits for SetStatus.
template <typename Work>
HRESULT CompleteThroughSink(IWbemObjectSink* sink, Work&& work) {
    HRESULT result = kWbemNoError;
    try {
        result = work();
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    sink->SetStatus(kWbemStatusComplete, result, nullptr, nullptr);
    return result;
}

// The fill of an association's instances: its two reference columns.
auto FillOf(const AssociationClass& association) {
    return [columns = AssociationColumns(association)](const AssociationData& data,
                                                       const WbemObject& instance) {
        return FillFromColumns(columns, data, instance);
    };
}

}  // namespace

HRESULT NorvAssociationProv::FetchClassDefinitions(IWbemServices* /*services*/,
                                                   IWbemContext* /*context*/) {
    return kWbemNoError;
}

HRESULT NorvAssociationProv::Definition(const AssociationClass& association, IWbemContext* context,
                                        ComPtr<IWbemClassObject>& definition) {
    ComPtr<IWbemClassObject>& kept = definitions_[RowOf(association)];
    {
        CriticalSectionScope guard(definitionsGuard_);
        definition = kept;
    }
    if (definition) return kWbemNoError;
    ComPtr<IWbemClassObject> fetched;
    NORV_RETURN_IF_FAILED(
        FetchClassDefinition(NamespaceServices(), association.name, context, fetched));
    CriticalSectionScope guard(definitionsGuard_);
    if (!kept) kept = std::move(fetched);
    definition = kept;
    return kWbemNoError;
}

HRESULT NorvAssociationProv::Ends(const AssociationClass& association, IWbemContext* context,
                                  GraphEnds& ends) {
    NamedLockScope providerLock(ProviderLock());
    return TakeGraphEnds(SourcesOf(association), context, ends) ? kWbemNoError : kWbemFailed;
}

HRESULT NorvAssociationProv::Instances(const AssociationClass& association,
                                       IWbemContext* context,
                                       std::vector<AssociationData>& instances) {
    GraphEnds ends;
    NORV_RETURN_IF_FAILED(Ends(association, context, ends));
    instances = AssociationsOf(association, ends);
    return kWbemNoError;
}

HRESULT NorvAssociationProv::IndicateEach(const AssociationClass& association,
                                          const std::vector<AssociationData>& instances,
                                          IWbemContext* context, IWbemObjectSink* sink) {
    if (instances.empty()) return kWbemNoError;
    ComPtr<IWbemClassObject> definition;
    NORV_RETURN_IF_FAILED(Definition(association, context, definition));
    for (const AssociationData& data : instances) {
        ComPtr<IWbemClassObject> instance;
        NORV_RETURN_IF_FAILED(
            MakeInstance(definition.get(), data, FillOf(association), instance));
        IWbemClassObject* objects[] = {instance.get()};
        NORV_RETURN_IF_FAILED(sink->Indicate(1, objects));
    }
    return kWbemNoError;
}

HRESULT NorvAssociationProv::CreateInstanceEnumAsync(const BSTR className, LONG /*flags*/,
                                                     IWbemContext* context,
                                                     IWbemObjectSink* sink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!sink) return kWbemInvalidParameter;
    return CompleteThroughSink(sink, [&]() -> HRESULT {
        const AssociationClass* association =
            FindAssociationClass(className ? className : L"");
        if (!association) return kWbemInvalidClass;
        std::vector<AssociationData> instances;
        NORV_RETURN_IF_FAILED(Instances(*association, context, instances));
        return IndicateEach(*association, instances, context, sink);
    });
}
NORV_CATCH_RETURN()

HRESULT NorvAssociationProv::ExecQueryAsync(const BSTR language, const BSTR query,
                                            LONG /*flags*/, IWbemContext* context,
                                            IWbemObjectSink* sink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!sink) return kWbemInvalidParameter;
    const ReferenceQuery read = ReadReferenceQuery(PathParserFactory(), language, query);
    if (!read.association) {
        sink->SetStatus(kWbemStatusComplete, kWbemProviderNotCapable, nullptr, nullptr);
        return kWbemProviderNotCapable;
    }
    return CompleteThroughSink(sink, [&]() -> HRESULT {
        // Nothing to read when no term can name an end (a RecordLog asked of the sensors).
        if (read.paths[0].empty() && read.paths[1].empty()) return kWbemNoError;
        GraphEnds ends;
        NORV_RETURN_IF_FAILED(Ends(*read.association, context, ends));
        const auto names = [&](std::size_t role, const std::string& end) {
            return std::ranges::any_of(read.paths[role], [&](const std::string& path) {
                return SameReferencePath(end, path);
            });
        };
        const std::vector<AssociationData> instances =
            AssociationsNaming(*read.association, ends, names);
        return IndicateEach(*read.association, instances, context, sink);
    });
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
            ComPtr<IWbemClassObject> definition;
            return SUCCEEDED(Definition(*association, context, definition)) &&
                           SUCCEEDED(MakeInstance(definition.get(), data, FillOf(*association),
                                                  instance))
                       ? kWbemNoError
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

template <>
HRESULT CreateProvider<NorvAssociationProv::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvAssociationProv>(iid, out);
}

}  // namespace norv::win
