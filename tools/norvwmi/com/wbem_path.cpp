#include "com/wbem_path.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/wbem_hresult.h"

namespace norvwmi {

namespace {

using norv::win::ComPtr;
using norv::win::UniqueVariant;

// Status bits that SetText and the setters leave behind; Windows reports V1 compliance only
// for paths assembled with SetServer or SetNamespaceAt, never for parsed text.
constexpr ULONGLONG kParsedBits = WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;
constexpr ULONGLONG kServerSetBits = WBEMPATH_INFO_PATH_HAD_SERVER | WBEMPATH_INFO_V1_COMPLIANT |
                                     WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;
constexpr ULONGLONG kNamespaceSetBits =
    WBEMPATH_INFO_V1_COMPLIANT | WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;
constexpr ULONGLONG kClassSetBits = WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;

// The CIM type GetKey and GetKey2 report, by PathKeyValue alternative.
constexpr std::array<ULONG, 6> kCimTypeOfValue{CIM_STRING, CIM_SINT32, CIM_UINT32,
                                               CIM_SINT64, CIM_UINT64, CIM_BOOLEAN};
static_assert(kCimTypeOfValue.size() == std::variant_size_v<PathKeyValue>);

// The CIM types SetKey and SetKey2 accept: the VARIANT type a value is converted to (which
// also checks its range) and, for SetKey, the size of the binary value it points to. A string
// is a terminated UTF-16 text; a boolean a VARIANT_BOOL.
struct SettableKeyType {
    ULONG cimType;
    VARTYPE variantType;
    std::size_t binarySize;
};
constexpr std::array<SettableKeyType, 10> kSettableKeyTypes{{
    {CIM_STRING, VT_BSTR, 0},
    {CIM_SINT8, VT_I1, 1},
    {CIM_UINT8, VT_UI1, 1},
    {CIM_SINT16, VT_I2, 2},
    {CIM_UINT16, VT_UI2, 2},
    {CIM_SINT32, VT_I4, 4},
    {CIM_UINT32, VT_UI4, 4},
    {CIM_SINT64, VT_I8, 8},
    {CIM_UINT64, VT_UI8, 8},
    {CIM_BOOLEAN, VT_BOOL, 2},
}};

const SettableKeyType* FindSettableKeyType(ULONG cimType) {
    const auto row =
        std::find_if(kSettableKeyTypes.begin(), kSettableKeyTypes.end(),
                     [cimType](const SettableKeyType& t) { return t.cimType == cimType; });
    return row == kSettableKeyTypes.end() ? nullptr : &*row;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() > INT_MAX || b.size() > INT_MAX) return false;
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool LacksBuffer(const ULONG* length, const void* buffer) {
    return !length || (*length != 0 && !buffer);
}

// The buffer rule of every text getter (see wbem_path.h); the caller checked LacksBuffer.
HRESULT CopyText(std::wstring_view text, ULONG* length, LPWSTR buffer) {
    if (text.size() >= std::numeric_limits<ULONG>::max()) return Wbem(WBEM_E_OUT_OF_MEMORY);
    const auto needed = static_cast<ULONG>(text.size() + 1);
    if (*length == 0) {
        *length = needed;
        return WBEM_S_NO_ERROR;
    }
    if (*length < needed) {
        *length = needed;
        return Wbem(WBEM_E_BUFFER_TOO_SMALL);
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    *length = needed;
    return WBEM_S_NO_ERROR;
}

std::wstring JoinNamespaces(const std::vector<std::wstring>& namespaces) {
    std::wstring text;
    for (const std::wstring& name : namespaces) {
        if (!text.empty()) text += L'\\';
        text += name;
    }
    return text;
}

// root/cimv2, \root\cimv2 and root\cimv2 name the same namespace.
std::wstring NormaliseNamespace(std::wstring_view text) {
    std::wstring normal(text);
    std::replace(normal.begin(), normal.end(), L'/', L'\\');
    const auto first = normal.find_first_not_of(L'\\');
    normal.erase(0, first == std::wstring::npos ? normal.size() : first);
    return normal;
}

// The server part of an absolute text: \\server, or \\. when the path names none.
std::wstring ServerText(const PathParts& parts) {
    return L"\\\\" + (parts.server && !parts.server->empty() ? *parts.server : std::wstring(L"."));
}

std::optional<std::wstring> PathText(const std::wstring& original, const PathParts& parts,
                                     LONG flags) {
    const std::wstring relative = FormatRelativePath(parts);
    const std::wstring nameSpace = JoinNamespaces(parts.namespaces);
    const std::wstring absoluteNamespace = nameSpace.empty() ? nameSpace : L"\\" + nameSpace;
    switch (flags) {
        case 0:
            if (nameSpace.empty()) return relative;
            return relative.empty() ? nameSpace : nameSpace + L":" + relative;
        case WBEMPATH_GET_RELATIVE_ONLY:
            return relative;
        case WBEMPATH_GET_SERVER_TOO:
            if (parts.IsEmpty()) return std::wstring();
            return ServerText(parts) + absoluteNamespace +
                   (relative.empty() ? L"" : L":" + relative);
        case WBEMPATH_GET_SERVER_AND_NAMESPACE_ONLY:
            if (parts.IsEmpty()) return std::wstring();
            return ServerText(parts) + absoluteNamespace;
        case WBEMPATH_GET_NAMESPACE_ONLY:
            return nameSpace;
        case WBEMPATH_GET_ORIGINAL:
            return original;
        default:
            return std::nullopt;
    }
}

ULONGLONG PathInfo(const PathParts& parts, ULONGLONG statusBits) {
    ULONGLONG info = statusBits;
    const bool local = !parts.server || parts.server->empty() || *parts.server == L".";
    info |= local ? WBEMPATH_INFO_ANON_LOCAL_MACHINE : WBEMPATH_INFO_HAS_MACHINE_NAME;
    if (parts.parent) info |= WBEMPATH_INFO_IS_PARENT;
    if (parts.className.empty()) return info | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY;
    info |= WBEMPATH_INFO_HAS_SUBSCOPES;
    const bool instance = !parts.keys.empty() || parts.singleton;
    info |= instance ? WBEMPATH_INFO_IS_INST_REF : WBEMPATH_INFO_IS_CLASS_REF;
    if (parts.keys.size() > 1) info |= WBEMPATH_INFO_IS_COMPOUND;
    const bool implied = std::any_of(parts.keys.begin(), parts.keys.end(),
                                     [](const PathKey& key) { return key.name.empty(); });
    if (implied) info |= WBEMPATH_INFO_HAS_IMPLIED_KEY;
    if (parts.singleton) info |= WBEMPATH_INFO_IS_SINGLETON | WBEMPATH_INFO_CONTAINS_SINGLETON;
    return info;
}

HRESULT ToVariant(const PathKeyValue& value, VARIANT* out) {
    VARIANT result;
    ::VariantInit(&result);
    const bool made = std::visit(
        [&result](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                V_BSTR(&result) = ::SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
                if (!V_BSTR(&result)) return false;
                V_VT(&result) = VT_BSTR;
            } else if constexpr (std::is_same_v<T, bool>) {
                V_VT(&result) = VT_BOOL;
                V_BOOL(&result) = v ? VARIANT_TRUE : VARIANT_FALSE;
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                V_VT(&result) = VT_I4;
                V_I4(&result) = v;
            } else if constexpr (std::is_same_v<T, std::uint32_t>) {
                V_VT(&result) = VT_UI4;
                V_UI4(&result) = v;
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                V_VT(&result) = VT_I8;
                V_I8(&result) = v;
            } else {
                V_VT(&result) = VT_UI8;
                V_UI8(&result) = v;
            }
            return true;
        },
        value);
    if (!made) return Wbem(WBEM_E_OUT_OF_MEMORY);
    *out = result;
    return WBEM_S_NO_ERROR;
}

std::vector<BYTE> ToBinary(const PathKeyValue& value) {
    return std::visit(
        [](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            const auto bytesOf = [](const void* data, std::size_t size) {
                const auto* first = static_cast<const BYTE*>(data);
                return std::vector<BYTE>(first, first + size);
            };
            if constexpr (std::is_same_v<T, std::wstring>) {
                return bytesOf(v.c_str(), (v.size() + 1) * sizeof(wchar_t));
            } else if constexpr (std::is_same_v<T, bool>) {
                const VARIANT_BOOL flag = v ? VARIANT_TRUE : VARIANT_FALSE;
                return bytesOf(&flag, sizeof flag);
            } else {
                return bytesOf(&v, sizeof v);
            }
        },
        value);
}

// A VARIANT of one of the settable types, as a key value (the integer keeps its declared
// signedness and the width of its type, never narrower than 32 bits).
std::optional<PathKeyValue> FromVariant(const VARIANT& v) {
    switch (V_VT(&v)) {
        case VT_BSTR:
            return PathKeyValue(std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v))));
        case VT_I1:
            return PathKeyValue(std::int32_t{V_I1(&v)});
        case VT_UI1:
            return PathKeyValue(std::uint32_t{V_UI1(&v)});
        case VT_I2:
            return PathKeyValue(std::int32_t{V_I2(&v)});
        case VT_UI2:
            return PathKeyValue(std::uint32_t{V_UI2(&v)});
        case VT_I4:
            return PathKeyValue(std::int32_t{V_I4(&v)});
        case VT_UI4:
            return PathKeyValue(std::uint32_t{V_UI4(&v)});
        case VT_I8:
            return PathKeyValue(std::int64_t{V_I8(&v)});
        case VT_UI8:
            return PathKeyValue(std::uint64_t{V_UI8(&v)});
        case VT_BOOL:
            return PathKeyValue(V_BOOL(&v) != VARIANT_FALSE);
        default:
            return std::nullopt;
    }
}

}  // namespace

// ---- IWbemPath ----------------------------------------------------------------------------

HRESULT WbemPath::SetText(ULONG mode, LPCWSTR text) try {
    if (!text) return Wbem(WBEM_E_INVALID_PARAMETER);
    auto parts = ParsePathText(text, mode);
    std::lock_guard lock(mutex_);
    state_ = State{};
    if (!parts) return Wbem(WBEM_E_INVALID_PARAMETER);
    state_.original = text;
    state_.parts = std::move(*parts);
    if (!state_.original.empty()) state_.statusBits = kParsedBits;
    if (state_.parts.server) state_.statusBits |= WBEMPATH_INFO_PATH_HAD_SERVER;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetText(LONG flags, ULONG* length, LPWSTR text) try {
    if (LacksBuffer(length, text)) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    const auto built = PathText(state_.original, state_.parts, flags);
    if (!built) return Wbem(WBEM_E_INVALID_PARAMETER);
    return CopyText(*built, length, text);
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetInfo(ULONG requested, ULONGLONG* response) {
    if (requested != 0 || !response) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    *response = PathInfo(state_.parts, state_.statusBits);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::SetServer(LPCWSTR name) try {
    std::lock_guard lock(mutex_);
    if (name) {
        state_.parts.server = name;
        state_.statusBits |= kServerSetBits;
    } else {
        state_.parts.server.reset();
        state_.statusBits &= ~kServerSetBits;
    }
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetServer(ULONG* length, LPWSTR name) try {
    if (LacksBuffer(length, name)) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (!state_.parts.server) return Wbem(WBEM_E_NOT_AVAILABLE);
    return CopyText(*state_.parts.server, length, name);
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetNamespaceCount(ULONG* count) {
    if (!count) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    *count = static_cast<ULONG>(state_.parts.namespaces.size());
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::SetNamespaceAt(ULONG index, LPCWSTR name) try {
    std::lock_guard lock(mutex_);
    auto& namespaces = state_.parts.namespaces;
    if (!name || index > namespaces.size()) return Wbem(WBEM_E_INVALID_PARAMETER);
    namespaces.insert(namespaces.begin() + static_cast<std::ptrdiff_t>(index), name);
    state_.statusBits |= kNamespaceSetBits;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetNamespaceAt(ULONG index, ULONG* length, LPWSTR name) try {
    if (LacksBuffer(length, name)) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (index >= state_.parts.namespaces.size()) return Wbem(WBEM_E_INVALID_PARAMETER);
    return CopyText(state_.parts.namespaces[index], length, name);
}
NORV_CATCH_RETURN()

HRESULT WbemPath::RemoveNamespaceAt(ULONG index) {
    std::lock_guard lock(mutex_);
    auto& namespaces = state_.parts.namespaces;
    if (index >= namespaces.size()) return Wbem(WBEM_E_INVALID_PARAMETER);
    namespaces.erase(namespaces.begin() + static_cast<std::ptrdiff_t>(index));
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::RemoveAllNamespaces() {
    std::lock_guard lock(mutex_);
    state_.parts.namespaces.clear();
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::GetScopeCount(ULONG* count) {
    if (!count) return Wbem(WBEM_E_INVALID_PARAMETER);
    *count = 0;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::SetScope(ULONG, LPWSTR) {
    return E_NOTIMPL;
}
HRESULT WbemPath::SetScopeFromText(ULONG, LPWSTR) {
    return E_NOTIMPL;
}
HRESULT WbemPath::GetScope(ULONG, ULONG*, LPWSTR, IWbemPathKeyList**) {
    return E_NOTIMPL;
}
HRESULT WbemPath::GetScopeAsText(ULONG, ULONG*, LPWSTR) {
    return E_NOTIMPL;
}
HRESULT WbemPath::RemoveScope(ULONG) {
    return E_NOTIMPL;
}
HRESULT WbemPath::RemoveAllScopes() {
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPath::SetClassName(LPCWSTR name) try {
    if (!name) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    state_.parts.className = name;
    state_.statusBits |= kClassSetBits;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetClassName(ULONG* length, LPWSTR name) try {
    if (LacksBuffer(length, name)) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (state_.parts.className.empty()) return Wbem(WBEM_E_INVALID_OBJECT_PATH);
    return CopyText(state_.parts.className, length, name);
}
NORV_CATCH_RETURN()

HRESULT WbemPath::GetKeyList(IWbemPathKeyList** keys) try {
    if (!keys) return Wbem(WBEM_E_INVALID_PARAMETER);
    *keys = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (state_.parts.className.empty()) return Wbem(WBEM_E_INVALID_PARAMETER);
    }
    HandOut(WbemPathKeyList::Create(ComPtr<WbemPath>(this)), keys);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPath::CreateClassPart(LONG, LPCWSTR) {
    return E_NOTIMPL;
}
HRESULT WbemPath::DeleteClassPart(LONG) {
    return E_NOTIMPL;
}

bool WbemPath::ServerIsLocal(std::wstring_view machine) const {
    const auto& server = state_.parts.server;
    return !server || server->empty() || *server == L"." || SameText(*server, machine);
}

bool WbemPath::NamespaceIsWithin(std::wstring_view nameSpace, bool childrenToo) const {
    if (state_.parts.namespaces.empty()) return true;
    const std::wstring mine = JoinNamespaces(state_.parts.namespaces);
    const std::wstring wanted = NormaliseNamespace(nameSpace);
    if (SameText(mine, wanted)) return true;
    return childrenToo && mine.size() > wanted.size() && mine[wanted.size()] == L'\\' &&
           SameText(std::wstring_view(mine).substr(0, wanted.size()), wanted);
}

BOOL WbemPath::IsRelative(LPWSTR machine, LPWSTR nameSpace) try {
    if (!machine || !nameSpace) return FALSE;
    std::lock_guard lock(mutex_);
    return ServerIsLocal(machine) && NamespaceIsWithin(nameSpace, false);
} catch (...) {
    return FALSE;
}

BOOL WbemPath::IsRelativeOrChild(LPWSTR machine, LPWSTR nameSpace, LONG flags) try {
    if (!machine || !nameSpace || flags != 0) return FALSE;
    std::lock_guard lock(mutex_);
    return ServerIsLocal(machine) && NamespaceIsWithin(nameSpace, true);
} catch (...) {
    return FALSE;
}

BOOL WbemPath::IsLocal(LPCWSTR machine) {
    if (!machine) return FALSE;
    std::lock_guard lock(mutex_);
    return ServerIsLocal(machine);
}

BOOL WbemPath::IsSameClassName(LPCWSTR className) {
    if (!className) return FALSE;
    std::lock_guard lock(mutex_);
    return !state_.parts.className.empty() && SameText(state_.parts.className, className);
}

// ---- IWbemPathKeyList ---------------------------------------------------------------------

WbemPathKeyList::WbemPathKeyList(ComPtr<WbemPath> path) : path_(std::move(path)) {}

HRESULT WbemPathKeyList::GetCount(ULONG* count) {
    if (!count) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(path_->mutex_);
    *count = static_cast<ULONG>(path_->state_.parts.keys.size());
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::StoreKey(LPCWSTR name, ULONG flags, PathKeyValue value) {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(path_->mutex_);
    PathParts& parts = path_->state_.parts;
    const auto same = std::find_if(parts.keys.begin(), parts.keys.end(),
                                   [name](const PathKey& key) { return SameText(key.name, name); });
    if (same != parts.keys.end()) {
        *same = PathKey{name, std::move(value)};
    } else {
        parts.keys.push_back(PathKey{name, std::move(value)});
    }
    parts.singleton = false;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::SetKey(LPCWSTR name, ULONG flags, ULONG cimType, LPVOID value) try {
    if (!value) return Wbem(WBEM_E_INVALID_PARAMETER);
    const SettableKeyType* type = FindSettableKeyType(cimType);
    if (!type) return Wbem(WBEM_E_NOT_SUPPORTED);
    if (type->cimType == CIM_STRING) {
        return StoreKey(name, flags, std::wstring(static_cast<const wchar_t*>(value)));
    }
    VARIANT binary;
    ::VariantInit(&binary);
    V_VT(&binary) = type->variantType;
    std::memcpy(&V_UI1(&binary), value, type->binarySize);
    return StoreKey(name, flags, *FromVariant(binary));
}
NORV_CATCH_RETURN()

HRESULT WbemPathKeyList::SetKey2(LPCWSTR name, ULONG flags, ULONG cimType, VARIANT* value) try {
    if (!value) return Wbem(WBEM_E_INVALID_PARAMETER);
    const SettableKeyType* type = FindSettableKeyType(cimType);
    if (!type) return Wbem(WBEM_E_NOT_SUPPORTED);
    UniqueVariant converted;
    if (FAILED(::VariantChangeType(&converted, value, 0, type->variantType))) {
        return Wbem(WBEM_E_TYPE_MISMATCH);
    }
    return StoreKey(name, flags, *FromVariant(converted));
}
NORV_CATCH_RETURN()

HRESULT WbemPathKeyList::GetKey(ULONG index, ULONG flags, ULONG* nameLength, LPWSTR name,
                                ULONG* valueLength, LPVOID value, ULONG* cimType) try {
    if (flags != 0 || (nameLength && *nameLength != 0 && !name) ||
        (valueLength && *valueLength != 0 && !value)) {
        return Wbem(WBEM_E_INVALID_PARAMETER);
    }
    std::lock_guard lock(path_->mutex_);
    const auto& keys = path_->state_.parts.keys;
    if (index >= keys.size()) return Wbem(WBEM_E_INVALID_PARAMETER);
    const PathKey& key = keys[index];
    const std::vector<BYTE> binary = ToBinary(key.value);
    const auto valueNeeded = static_cast<ULONG>(binary.size());
    if (valueLength && *valueLength != 0 && *valueLength < valueNeeded) {
        *valueLength = valueNeeded;
        return Wbem(WBEM_E_BUFFER_TOO_SMALL);
    }
    if (nameLength) NORV_RETURN_IF_FAILED(CopyText(key.name, nameLength, name));
    if (valueLength) {
        if (*valueLength != 0) std::memcpy(value, binary.data(), binary.size());
        *valueLength = valueNeeded;
    }
    if (cimType) *cimType = kCimTypeOfValue[key.value.index()];
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPathKeyList::GetKey2(ULONG index, ULONG flags, ULONG* nameLength, LPWSTR name,
                                 VARIANT* value, ULONG* cimType) try {
    if (flags != 0 || (nameLength && *nameLength != 0 && !name)) {
        return Wbem(WBEM_E_INVALID_PARAMETER);
    }
    std::lock_guard lock(path_->mutex_);
    const auto& keys = path_->state_.parts.keys;
    if (index >= keys.size()) return Wbem(WBEM_E_INVALID_PARAMETER);
    const PathKey& key = keys[index];
    if (nameLength) NORV_RETURN_IF_FAILED(CopyText(key.name, nameLength, name));
    if (value) NORV_RETURN_IF_FAILED(ToVariant(key.value, value));
    if (cimType) *cimType = kCimTypeOfValue[key.value.index()];
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT WbemPathKeyList::RemoveKey(LPCWSTR name, ULONG flags) {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(path_->mutex_);
    auto& keys = path_->state_.parts.keys;
    const auto same = std::find_if(keys.begin(), keys.end(),
                                   [name](const PathKey& key) { return SameText(key.name, name); });
    if (same == keys.end()) return Wbem(WBEM_E_NOT_FOUND);
    keys.erase(same);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::RemoveAllKeys(ULONG flags) {
    if (flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(path_->mutex_);
    path_->state_.parts.keys.clear();
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::MakeSingleton(boolean set) {
    std::lock_guard lock(path_->mutex_);
    PathParts& parts = path_->state_.parts;
    parts.singleton = set != 0;
    if (parts.singleton) parts.keys.clear();
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::GetInfo(ULONG requested, ULONGLONG* response) {
    if (requested != 0 || !response) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(path_->mutex_);
    constexpr ULONGLONG kKeyListBits = WBEMPATH_INFO_IS_COMPOUND | WBEMPATH_INFO_HAS_IMPLIED_KEY |
                                       WBEMPATH_INFO_CONTAINS_SINGLETON;
    *response = PathInfo(path_->state_.parts, 0) & kKeyListBits;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemPathKeyList::GetText(LONG flags, ULONG* length, LPWSTR text) try {
    if (LacksBuffer(length, text) || (flags & ~(WBEMPATH_TEXT | WBEMPATH_QUOTEDTEXT)) != 0) {
        return Wbem(WBEM_E_INVALID_PARAMETER);
    }
    std::lock_guard lock(path_->mutex_);
    const PathParts& parts = path_->state_.parts;
    const std::wstring keys =
        parts.singleton ? L"@" : FormatPathKeys(parts.keys, (flags & WBEMPATH_QUOTEDTEXT) != 0);
    return CopyText(keys, length, text);
}
NORV_CATCH_RETURN()

}  // namespace norvwmi
