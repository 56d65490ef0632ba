#include "prefix/provider_services.h"

#include <utility>

#include "com/class_object.h"
#include "com/object_enumerator.h"
#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "com/wide_text.h"
#include "provider/association_objects.h"
#include "provider/provider_query.h"
#include "provider/provider_session.h"
#include "repository/association_statement.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

using norv::win::ComPtr;
using Objects = std::vector<ComPtr<IWbemClassObject>>;

// The enumerator of a request's objects, or of its failure: from Next with
// WBEM_FLAG_RETURN_IMMEDIATELY, else the call's own result.
HRESULT HandOutResults(HRESULT status, Objects objects, LONG flags,
                       const std::shared_ptr<ServedNamespaces>& served,
                       IEnumWbemClassObject** results) {
    EnumerationBehaviour behaviour;
    behaviour.forwardOnly = (flags & WBEM_FLAG_FORWARD_ONLY) != 0;
    if (status != WBEM_S_NO_ERROR) {
        if (!(flags & WBEM_FLAG_RETURN_IMMEDIATELY)) return status;
        behaviour.failure = status;
        objects.clear();
    }
    HandOut(ObjectEnumerator::Create(std::move(objects), behaviour, served), results);
    return WBEM_S_NO_ERROR;
}

// A client may pass a plain wide string where a BSTR is declared (Wine's scripting layer
// does, for the language of InstancesOf's query): the text ends at its terminator.
std::string ClientText(const BSTR text) {
    return text ? WideToUtf8(text) : std::string();
}

// The objects a client gets, located in the namespace as WMI locates a provider's.
Objects AsObjects(std::vector<CimObject> snapshots, const ObjectSource& source) {
    Objects objects;
    objects.reserve(snapshots.size());
    for (CimObject& snapshot : snapshots) {
        snapshot.Locate(source);
        objects.emplace_back(ClassObject::Create(std::move(snapshot)).get());
    }
    return objects;
}

// The host's own objects among what a provider indicated (another is a provider fault,
// which the request reports).
std::vector<CimObject> Snapshots(const Objects& objects) {
    std::vector<CimObject> snapshots;
    for (const ComPtr<IWbemClassObject>& object : objects)
        if (const ClassObject* ours = ClassObject::Implementation(object.get()))
            snapshots.push_back(ours->Snapshot());
    return snapshots;
}

}  // namespace

ObjectSource ProviderServices::Source() const {
    return ObjectSource{wmi_.host.served->ServerName(), wmi_.host.nameSpace};
}

ProviderOutcome ProviderServices::Run(const ProviderRequest& request) const {
    ProviderOutcome outcome = RunProviderRequest(wmi_.providerModule, wmi_.host, request);
    ReportPrefixProblems(request.target, outcome.problems);
    return outcome;
}

HRESULT ProviderServices::GetObject(const BSTR path, LONG, IWbemContext*, IWbemClassObject** object,
                                    IWbemCallResult** callResult) try {
    if (callResult) *callResult = nullptr;
    if (!object) return Wbem(WBEM_E_INVALID_PARAMETER);
    *object = nullptr;
    // An empty path asks for a blank class to define; this WMI defines no classes.
    if (!path || ::SysStringLen(path) == 0) return Wbem(WBEM_E_NOT_SUPPORTED);
    ProviderRequest request;
    request.operation = ProviderOperation::Get;
    request.target = ClientText(path);
    const ProviderOutcome outcome = Run(request);
    if (outcome.status != WBEM_S_NO_ERROR) return outcome.status;
    Objects located = AsObjects(Snapshots(outcome.objects), Source());
    if (located.size() != 1) return Wbem(WBEM_E_FAILED);
    HandOut(located.front(), object);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ProviderServices::CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext*,
                                             IEnumWbemClassObject** instances) try {
    if (!instances) return Wbem(WBEM_E_INVALID_PARAMETER);
    *instances = nullptr;
    if (!className) return Wbem(WBEM_E_INVALID_PARAMETER);
    ProviderRequest request;
    request.target = ClientText(className);
    const ProviderOutcome outcome = Run(request);
    return HandOutResults(outcome.status, AsObjects(Snapshots(outcome.objects), Source()), flags,
                          wmi_.host.served, instances);
}
NORV_CATCH_RETURN()

HRESULT ProviderServices::ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                    IWbemContext*, IEnumWbemClassObject** results) try {
    if (!results) return Wbem(WBEM_E_INVALID_PARAMETER);
    *results = nullptr;
    if (!language || !query) return Wbem(WBEM_E_INVALID_PARAMETER);
    if (!SameName(ClientText(language), "WQL")) return Wbem(WBEM_E_INVALID_QUERY_TYPE);
    const std::string text = ClientText(query);
    const auto finish = [&](HRESULT status, Objects objects) {
        return HandOutResults(status, std::move(objects), flags, wmi_.host.served, results);
    };

    if (IsAssociationStatement(text)) {
        ProviderAssociationAnswer answer =
            RunProviderAssociationQuery(wmi_.providerModule, wmi_.host, wmi_.classNames, text);
        ReportPrefixProblems(text, answer.problems);
        return finish(static_cast<HRESULT>(answer.answer.status),
                      AsObjects(std::move(answer.answer.objects), Source()));
    }

    // Checked against the class before the provider is asked, then filtered and projected,
    // exactly as the program's queries through the providers.
    std::optional<ProviderQueryPlan> plan =
        PlanProviderQuery(wmi_.host, text, OtherQueries::AnsweredHere);
    plan->ensureLocatable = (flags & WBEM_FLAG_ENSURE_LOCATABLE) != 0;
    ProviderQueryAnswer answer = RunProviderQuery(wmi_.providerModule, wmi_.host, *plan);
    ReportPrefixProblems(text, answer.outcome.problems);
    if (answer.outcome.status != WBEM_S_NO_ERROR) return finish(answer.outcome.status, {});
    return finish(WBEM_S_NO_ERROR, AsObjects(std::move(answer.objects), Source()));
}
NORV_CATCH_RETURN()

HRESULT ProviderServices::ExecMethod(const BSTR path, const BSTR method, LONG, IWbemContext*,
                                     IWbemClassObject* inParameters,
                                     IWbemClassObject** outParameters,
                                     IWbemCallResult** callResult) try {
    if (callResult) *callResult = nullptr;
    if (outParameters) *outParameters = nullptr;
    if (!path || !method) return Wbem(WBEM_E_INVALID_PARAMETER);
    ProviderRequest request;
    request.operation = ProviderOperation::ExecMethod;
    request.target = ClientText(path);
    request.method = ClientText(method);
    request.clientInParameters = ComPtr<IWbemClassObject>(inParameters);
    const ProviderOutcome outcome = Run(request);
    if (outcome.status != WBEM_S_NO_ERROR) return outcome.status;
    if (outParameters && !outcome.objects.empty()) HandOut(outcome.objects.front(), outParameters);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ProviderServices::QueryBlanket(IUnknown*, DWORD*, DWORD*, OLECHAR**, DWORD*, DWORD*, void**,
                                       DWORD*) {
    return E_NOTIMPL;
}

HRESULT ProviderServices::SetBlanket(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*,
                                     DWORD) {
    return S_OK;
}

HRESULT ProviderServices::CopyProxy(IUnknown*, IUnknown**) {
    return E_NOTIMPL;
}

}  // namespace norvwmi
