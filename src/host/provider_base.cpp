#include "host/provider_base.h"

#include <objbase.h>

#include <array>
#include <cstddef>
#include <utility>

#include "host/class_definition.h"
#include "host/client_impersonation.h"
#include "host/coclass_type_info.h"
#include "host/provider_class_row.h"
#include "host/wbem_status.h"
#include "platform/load_order.h"

namespace norv::win {
namespace {

using TypeInfoTable = std::array<CoclassTypeInfo, kProviderClassCount>;

template <std::size_t... Index>
TypeInfoTable MakeTypeInfoTable(std::index_sequence<Index...>) {
    return {{CoclassTypeInfo(GuidOf(kProviderClassIdentities[Index].clsid))...}};
}

// The type information of each class's coclass, loaded on first use and released when the
// module unloads.
NORV_LOAD_ORDER(kLoadOrderModule)
TypeInfoTable g_coclassTypeInfo =
    MakeTypeInfoTable(std::make_index_sequence<kProviderClassCount>());

CoclassTypeInfo& TypeInfoOf(ProviderClass providerClass) noexcept {
    return g_coclassTypeInfo[static_cast<std::size_t>(providerClass)];
}

std::wstring WideName(std::string_view name) {
    return std::wstring(name.begin(), name.end());
}

}  // namespace

ProviderBase::ProviderBase(ProviderClass providerClass)
    : providerClass_(providerClass), servedClass_(WideName(IdentityOf(providerClass).servedClass)) {
    lock_.SetObjectName(IdentityOf(providerClass).className);
}

ProviderBase::~ProviderBase() {
    if (IWbemQuery* parser = queryParser_.exchange(nullptr)) parser->Release();
}

HRESULT ProviderBase::Initialize(LPWSTR /*user*/, LONG /*flags*/, LPWSTR /*nameSpace*/,
                                 LPWSTR /*locale*/, IWbemServices* services, IWbemContext* context,
                                 IWbemProviderInitSink* initSink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!services || !initSink) return kWbemInvalidParameter;
    services_ = ComPtr<IWbemServices>(services);

    NORV_RETURN_IF_FAILED(FetchClassDefinitions(services, context));

    ComPtr<IClassFactory> factory;
    if (FAILED(::CoGetClassObject(kPathParserClsid, CLSCTX_INPROC_SERVER, nullptr,
                                  __uuidof(IClassFactory), factory.put_void())) ||
        !factory) {
        return kWbemFailed;
    }
    pathParserFactory_ = std::move(factory);

    initSink->SetStatus(WBEM_S_INITIALIZED, 0);
    return kWbemNoError;
}
NORV_CATCH_RETURN()

HRESULT ProviderBase::FetchClassDefinitions(IWbemServices* services, IWbemContext* context) {
    return FetchClassDefinition(services, servedClass_.c_str(), context, classObject_);
}

HRESULT ProviderBase::GetClassInfo(ITypeInfo** out) noexcept {
    return TypeInfoOf(providerClass_).Get(out);
}

HRESULT ProviderBase::SpawnMethodOutput(const wchar_t* method,
                                        ComPtr<IWbemClassObject>& output) const noexcept {
    if (!classObject_) return kWbemFailed;
    ComPtr<IWbemClassObject> signature;
    NORV_RETURN_IF_FAILED(classObject_->GetMethod(method, 0, nullptr, signature.put()));
    if (!signature) return kWbemFailed;
    return signature->SpawnInstance(0, output.put());
}

// ----- Answered at once, without looking at the arguments.

HRESULT ProviderBase::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                    IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::CancelAsyncCall(IWbemObjectSink*) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::QueryObjectSink(LONG, IWbemObjectSink**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                                IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*,
                                    IWbemObjectSink*) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::CreateClassEnum(const BSTR, LONG, IWbemContext*,
                                      IEnumWbemClassObject**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*,
                                           IWbemObjectSink*) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::PutInstance(IWbemClassObject*, LONG, IWbemContext*,
                                  IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::CreateInstanceEnum(const BSTR, LONG, IWbemContext*,
                                         IEnumWbemClassObject**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                IEnumWbemClassObject**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                            IEnumWbemClassObject**) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                                 IWbemObjectSink*) noexcept {
    return kWbemNotSupported;
}

HRESULT ProviderBase::ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                 IWbemClassObject**, IWbemCallResult**) noexcept {
    return kWbemNotSupported;
}

// ----- Answered after the security prologue.

HRESULT ProviderBase::PutInstanceAsync(IWbemClassObject* instance, LONG /*flags*/,
                                       IWbemContext* /*context*/, IWbemObjectSink* sink) noexcept
    try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    return instance && sink ? kWbemProviderNotCapable : kWbemInvalidParameter;
}
NORV_CATCH_RETURN()

HRESULT ProviderBase::DeleteInstanceAsync(const BSTR /*path*/, LONG /*flags*/,
                                          IWbemContext* /*context*/,
                                          IWbemObjectSink* /*sink*/) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    return kWbemProviderNotCapable;
}
NORV_CATCH_RETURN()

HRESULT ProviderBase::ExecQueryAsync(const BSTR /*language*/, const BSTR /*query*/, LONG /*flags*/,
                                     IWbemContext* /*context*/, IWbemObjectSink* sink) noexcept
    try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!queryParser_.load()) {
        IWbemQuery* created = nullptr;
        NORV_RETURN_IF_FAILED(::CoCreateInstance(kQueryParserClsid, nullptr, CLSCTX_INPROC_SERVER,
                                                 __uuidof(IWbemQuery),
                                                 reinterpret_cast<void**>(&created)));
        IWbemQuery* none = nullptr;
        if (created && !queryParser_.compare_exchange_strong(none, created)) created->Release();
    }
    // A request that returns success must complete through its sink, or its client waits
    // for ever; WMI answers the query by enumerating the class instead.
    if (sink) sink->SetStatus(kWbemStatusComplete, kWbemProviderNotCapable, nullptr, nullptr);
    return kWbemProviderNotCapable;
}
NORV_CATCH_RETURN()

HRESULT ProviderBase::ExecMethodAsync(const BSTR /*path*/, const BSTR /*method*/, LONG /*flags*/,
                                      IWbemContext* /*context*/, IWbemClassObject* /*inParameters*/,
                                      IWbemObjectSink* /*sink*/) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    return kWbemNotSupported;
}
NORV_CATCH_RETURN()

}  // namespace norv::win
