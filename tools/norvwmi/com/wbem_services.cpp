#include "com/wbem_services.h"

#include <array>

#include "com/class_object.h"
#include "com/object_enumerator.h"
#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

struct StatusCode {
    RequestStatus status;
    HRESULT code;
};

constexpr std::array kStatusCodes{
    StatusCode{RequestStatus::Ok, WBEM_S_NO_ERROR},
    StatusCode{RequestStatus::InvalidQuery, Wbem(WBEM_E_INVALID_QUERY)},
    StatusCode{RequestStatus::Unsupported, Wbem(WBEM_E_NOT_SUPPORTED)},
    StatusCode{RequestStatus::InvalidClass, Wbem(WBEM_E_INVALID_CLASS)},
    StatusCode{RequestStatus::InvalidPath, Wbem(WBEM_E_INVALID_OBJECT_PATH)},
    StatusCode{RequestStatus::InvalidNamespace, Wbem(WBEM_E_INVALID_NAMESPACE)},
    StatusCode{RequestStatus::NotFound, Wbem(WBEM_E_NOT_FOUND)},
    StatusCode{RequestStatus::InvalidInstance, Wbem(WBEM_E_FAILED)},
};

// The flags each request understands; any other bit is an invalid parameter.
constexpr LONG kQueryFlags = WbemFlags(
    WBEM_FLAG_USE_AMENDED_QUALIFIERS, WBEM_FLAG_RETURN_IMMEDIATELY, WBEM_FLAG_FORWARD_ONLY,
    WBEM_FLAG_ENSURE_LOCATABLE, WBEM_FLAG_PROTOTYPE, WBEM_FLAG_DIRECT_READ);
constexpr LONG kEnumerationFlags =
    WbemFlags(WBEM_FLAG_USE_AMENDED_QUALIFIERS, WBEM_FLAG_RETURN_IMMEDIATELY,
              WBEM_FLAG_FORWARD_ONLY, WBEM_FLAG_SHALLOW, WBEM_FLAG_DIRECT_READ);
constexpr LONG kGetObjectFlags = WbemFlags(WBEM_FLAG_USE_AMENDED_QUALIFIERS,
                                           WBEM_FLAG_RETURN_IMMEDIATELY, WBEM_FLAG_DIRECT_READ);

}  // namespace

HRESULT WbemStatusOf(RequestStatus status) {
    for (const StatusCode& entry : kStatusCodes)
        if (entry.status == status) return entry.code;
    return Wbem(WBEM_E_FAILED);
}

NamespaceServices::NamespaceServices(std::shared_ptr<ServedNamespaces> served,
                                     std::string nameSpace)
    : served_(std::move(served)), nameSpace_(std::move(nameSpace)) {}

HRESULT NamespaceServices::Results(RequestResult result, LONG flags,
                                   IEnumWbemClassObject** enumerator) const {
    EnumerationBehaviour behaviour;
    behaviour.forwardOnly = (flags & WBEM_FLAG_FORWARD_ONLY) != 0;
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects;
    if (result.status != RequestStatus::Ok) {
        behaviour.failure = WbemStatusOf(result.status);
        if (!(flags & WBEM_FLAG_RETURN_IMMEDIATELY)) return behaviour.failure;
    } else {
        behaviour.stallAfter = served_->StallAfter(nameSpace_, result.className);
        objects.reserve(result.objects.size());
        for (CimObject& object : result.objects) {
            auto created = ClassObject::Create(std::move(object));
            objects.push_back(norv::win::ComPtr<IWbemClassObject>(created.get()));
        }
    }
    HandOut(ObjectEnumerator::Create(std::move(objects), behaviour, served_), enumerator);
    return WBEM_S_NO_ERROR;
}

HRESULT NamespaceServices::GetObject(const BSTR path, LONG flags, IWbemContext*,
                                     IWbemClassObject** object, IWbemCallResult** callResult) try {
    if (callResult) *callResult = nullptr;
    if ((flags & ~kGetObjectFlags) != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    // A semisynchronous call needs IWbemCallResult, which the host does not offer.
    if (flags & WBEM_FLAG_RETURN_IMMEDIATELY) return Wbem(WBEM_E_NOT_SUPPORTED);
    if (!object) return Wbem(WBEM_E_INVALID_PARAMETER);
    *object = nullptr;
    // An empty path asks for a blank class to define; the host's classes are defined by
    // deriving them (SpawnDerivedClass) instead.
    if (!path || ::SysStringLen(path) == 0) return Wbem(WBEM_E_NOT_SUPPORTED);
    RequestResult result = LookupObject(*served_, nameSpace_, BstrToUtf8(path));
    if (result.status != RequestStatus::Ok) return WbemStatusOf(result.status);
    HandOut(ClassObject::Create(std::move(result.objects.front())), object);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT NamespaceServices::CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext*,
                                              IEnumWbemClassObject** instances) try {
    if (!instances) return Wbem(WBEM_E_INVALID_PARAMETER);
    *instances = nullptr;
    if (!className || (flags & ~kEnumerationFlags) != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    QueryOptions options;
    options.directRead = (flags & WbemFlags(WBEM_FLAG_SHALLOW, WBEM_FLAG_DIRECT_READ)) != 0;
    return Results(EnumerateInstances(*served_, nameSpace_, BstrToUtf8(className), options), flags,
                   instances);
}
NORV_CATCH_RETURN()

HRESULT NamespaceServices::ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                     IWbemContext*, IEnumWbemClassObject** results) try {
    if (!results) return Wbem(WBEM_E_INVALID_PARAMETER);
    *results = nullptr;
    if (!language || !query || (flags & ~kQueryFlags) != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    if (!SameName(BstrToUtf8(language), "WQL")) return Wbem(WBEM_E_INVALID_QUERY_TYPE);
    if (flags & WBEM_FLAG_PROTOTYPE) return Wbem(WBEM_E_NOT_SUPPORTED);
    QueryOptions options;
    options.directRead = (flags & WBEM_FLAG_DIRECT_READ) != 0;
    options.ensureLocatable = (flags & WBEM_FLAG_ENSURE_LOCATABLE) != 0;
    return Results(RunWqlSelect(*served_, nameSpace_, BstrToUtf8(query), options), flags, results);
}
NORV_CATCH_RETURN()

}  // namespace norvwmi
