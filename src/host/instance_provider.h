// The request steps of an enumeration and of a lookup, once for every provider class. A
// served class is described by a class of static members:
//
//   static constexpr ProviderClass kProviderClass;   // its identity and served WMI class
//   static constexpr std::array<const wchar_t*, N> kKeyNames;  // the keys a lookup reads
//   using Entry = ...;                                // the data of one instance
//   using Data = ...;                                 // what the provider object keeps
//   static bool Matches(const Entry&, const PathKeyValues<N>& wanted);
//   static HRESULT Fill(const Entry&, const WbemObject& instance);
//   static bool IsShown(const Entry&);                // optional; every entry otherwise
//   static void BeforeEnumeration();                  // optional; runs before anything else
//   static constexpr bool kEnumerationChecksFill;     // optional; true otherwise
//   static constexpr const wchar_t* kMethodName;      // optional: the one method it runs,
//   static constexpr std::uint32_t kMethodReturnValue;//   and what that method returns
//   static constexpr bool kUpdateIsDeletion;          // optional: PutInstanceAsync answers
//                                                     //   as DeleteInstanceAsync; false otherwise
//
// Data::Session(Data&, IWbemContext*) is opened once the provider's own lock is held and
// closed before it is released: it takes any lock of its own (a process-wide cache's) and
// refreshes the data; Refreshed() tells whether it could, Entries() lists the entries in
// the order they are shown. RebuiltList (rebuilt_list.h) is the Data of a class that builds
// its list anew for every request.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "host/client_impersonation.h"
#include "host/instance_columns.h"
#include "host/instance_fill.h"
#include "host/object_path_keys.h"
#include "host/provider_base.h"
#include "host/wbem_status.h"
#include "platform/named_lock_scope.h"
#include "platform/win_resource.h"
#include "platform/wmi_property.h"

namespace norv::win {

// The wanted key values of a lookup, in the order of the class's kKeyNames; a key the path
// does not give is empty.
template <std::size_t N>
using PathKeyValues = std::array<std::string, N>;

// The members a class described by its columns has alike: the keys a lookup reads off a path
// (the key columns, in the table's order), whether an entry is the one they name, its fill.
template <const auto& Columns>
struct ServedByColumns {
    static constexpr auto kKeyNames = KeyNames<Columns>();

    template <typename Entry>
    static bool Matches(const Entry& entry, const PathKeyValues<kKeyNames.size()>& wanted) {
        return MatchesKeyColumns(Columns, entry, wanted);
    }
    template <typename Entry>
    static HRESULT Fill(const Entry& entry, const WbemObject& instance) {
        return FillFromColumns(Columns, entry, instance);
    }
};

template <typename Class>
class InstanceProvider final : public ProviderBase {
public:
    using Entry = typename Class::Entry;
    using Wanted = PathKeyValues<Class::kKeyNames.size()>;

    InstanceProvider() : ProviderBase(Class::kProviderClass) {}

    // Every shown entry as an instance, then one SetStatus with the result: the first
    // failure of refreshing, spawning, filling or indicating, else WBEM_S_NO_ERROR.
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR /*className*/, LONG /*flags*/,
                                                      IWbemContext* context,
                                                      IWbemObjectSink* sink) noexcept override try {
        if constexpr (requires { Class::BeforeEnumeration(); }) Class::BeforeEnumeration();
        ClientImpersonation client;
        NORV_RETURN_IF_FAILED(client.Begin());
        if (!sink) return kWbemInvalidParameter;
        const HRESULT result = IndicateEveryInstance(context, sink);
        sink->SetStatus(kWbemStatusComplete, result, nullptr, nullptr);
        return result;
    }
    NORV_CATCH_RETURN()

    // The one instance the path names, indicated and completed with WBEM_S_NO_ERROR; a
    // failure is returned without calling the sink.
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR path, LONG /*flags*/,
                                             IWbemContext* /*context*/,
                                             IWbemObjectSink* sink) noexcept override try {
        ClientImpersonation client;
        NORV_RETURN_IF_FAILED(client.Begin());
        if (!sink) return kWbemInvalidParameter;
        const std::wstring pathCopy = path ? std::wstring(path) : std::wstring();
        ComPtr<IWbemClassObject> instance;
        NORV_RETURN_IF_FAILED(GetInstanceByPath(path ? pathCopy.c_str() : nullptr, instance));
        IWbemClassObject* objects[] = {instance.get()};
        sink->Indicate(1, objects);
        sink->SetStatus(kWbemStatusComplete, kWbemNoError, nullptr, nullptr);
        return kWbemNoError;
    }
    NORV_CATCH_RETURN()

    // The class's one method on the instance the path names, with its ReturnValue in an
    // output instance; any other method is WBEM_E_NOT_SUPPORTED. A failure before the output
    // is indicated is returned without calling the sink.
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR path, const BSTR method, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParameters,
                                              IWbemObjectSink* sink) noexcept override try {
        if constexpr (requires { Class::kMethodName; }) {
            ClientImpersonation client;
            NORV_RETURN_IF_FAILED(client.Begin());
            if (!sink) return kWbemInvalidParameter;
            if (!method ||
                CompareStringOrdinal(method, -1, Class::kMethodName, -1, TRUE) != CSTR_EQUAL) {
                return kWbemNotSupported;
            }
            const std::wstring pathCopy = path ? std::wstring(path) : std::wstring();
            const wchar_t* const pathText = path ? pathCopy.c_str() : nullptr;
            if (FAILED(ValidateObjectPath(PathParserFactory(), pathText, ServedClassName(),
                                          WBEMPATH_INFO_IS_INST_REF))) {
                return kWbemInvalidParameter;
            }
            ComPtr<IWbemClassObject> instance;
            NORV_RETURN_IF_FAILED(GetInstanceByPath(pathText, instance));
            ComPtr<IWbemClassObject> output;
            NORV_RETURN_IF_FAILED(SpawnMethodOutput(Class::kMethodName, output));
            NORV_RETURN_IF_FAILED(
                PutUInt32Property(output, L"ReturnValue", Class::kMethodReturnValue));
            IWbemClassObject* objects[] = {output.get()};
            sink->Indicate(1, objects);
            sink->SetStatus(kWbemStatusComplete, kWbemNoError, nullptr, nullptr);
            return kWbemNoError;
        } else {
            return ProviderBase::ExecMethodAsync(path, method, flags, context, inParameters, sink);
        }
    }
    NORV_CATCH_RETURN()

    // WBEM_E_PROVIDER_NOT_CAPABLE whatever the arguments for a class that answers an update
    // as a deletion; else the answer every class shares.
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject* instance, LONG flags,
                                               IWbemContext* context,
                                               IWbemObjectSink* sink) noexcept override {
        if constexpr (requires { Class::kUpdateIsDeletion; }) {
            if constexpr (Class::kUpdateIsDeletion) {
                return DeleteInstanceAsync(nullptr, flags, context, sink);
            }
        }
        return ProviderBase::PutInstanceAsync(instance, flags, context, sink);
    }

    // The lookup worker: WBEM_E_INVALID_PARAMETER for a path that is not one of an instance
    // of the served class, WBEM_E_NOT_FOUND when no shown entry matches its keys or the
    // match cannot be made an instance.
    HRESULT GetInstanceByPath(const wchar_t* path, ComPtr<IWbemClassObject>& instance) {
        if (FAILED(ValidateObjectPath(PathParserFactory(), path, ServedClassName(),
                                      kInstancePathKinds))) {
            return kWbemInvalidParameter;
        }
        Wanted wanted{};
        NORV_RETURN_IF_FAILED(ReadPathKeys(PathParserFactory(), path, Class::kKeyNames, wanted));

        NamedLockScope providerLock(ProviderLock());
        typename Class::Data::Session session(data_, nullptr);
        if (!session.Refreshed()) return kWbemNotFound;
        for (const Entry& entry : session.Entries()) {
            if (!IsShown(entry) || !Class::Matches(entry, wanted)) continue;
            return SUCCEEDED(MakeInstance(ClassObject(), entry, &Fill, instance)) ? kWbemNoError
                                                                                  : kWbemNotFound;
        }
        return kWbemNotFound;
    }

private:
    ~InstanceProvider() override = default;

    static bool IsShown(const Entry& entry) {
        if constexpr (requires { Class::IsShown(entry); }) {
            return Class::IsShown(entry);
        } else {
            return true;
        }
    }

    static constexpr bool EnumerationChecksFill() {
        if constexpr (requires { Class::kEnumerationChecksFill; }) {
            return Class::kEnumerationChecksFill;
        } else {
            return true;
        }
    }

    static HRESULT Fill(const Entry& entry, const WbemObject& instance) {
        return Class::Fill(entry, instance);
    }
    // A fill whose answer the enumeration does not look at.
    static HRESULT FillUnchecked(const Entry& entry, const WbemObject& instance) {
        (void)Class::Fill(entry, instance);
        return kWbemNoError;
    }

    // Holds the locks while the instances are made and handed out. Running out of memory
    // ends the enumeration like any other failure, so that it still completes.
    HRESULT IndicateEveryInstance(IWbemContext* context, IWbemObjectSink* sink) try {
        NamedLockScope providerLock(ProviderLock());
        typename Class::Data::Session session(data_, context);
        if (!session.Refreshed()) return kWbemFailed;
        for (const Entry& entry : session.Entries()) {
            if (!IsShown(entry)) continue;
            ComPtr<IWbemClassObject> instance;
            NORV_RETURN_IF_FAILED(MakeInstance(ClassObject(), entry,
                                               EnumerationChecksFill() ? &Fill : &FillUnchecked,
                                               instance));
            IWbemClassObject* objects[] = {instance.get()};
            NORV_RETURN_IF_FAILED(sink->Indicate(1, objects));
        }
        return kWbemNoError;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    typename Class::Data data_;
};

}  // namespace norv::win
