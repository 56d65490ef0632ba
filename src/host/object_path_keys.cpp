#include "host/object_path_keys.h"

#include <cwchar>
#include <memory>
#include <new>
#include <vector>

#include "host/reference_path.h"
#include "host/wbem_status.h"
#include "platform/text_conversion.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

constexpr ULONG kAcceptAllPaths = WBEMPATH_CREATE_ACCEPT_ALL;

bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A buffer for a name taken from the path: never longer than the path and its terminator.
struct NameBuffer {
    std::unique_ptr<wchar_t[]> text;
    ULONG capacity = 0;
};

NameBuffer MakeNameBuffer(const wchar_t* path) noexcept {
    NameBuffer buffer;
    const std::size_t length = std::wcslen(path) + 1;
    if (length > MAXLONG) return buffer;
    buffer.text.reset(new (std::nothrow) wchar_t[length]);
    if (buffer.text) {
        buffer.text[0] = L'\0';
        buffer.capacity = static_cast<ULONG>(length);
    }
    return buffer;
}

HRESULT ParsePath(IClassFactory* factory, const wchar_t* path, ComPtr<IWbemPath>& parser,
                  HRESULT noParser) noexcept {
    if (!factory ||
        FAILED(factory->CreateInstance(nullptr, __uuidof(IWbemPath), parser.put_void())) ||
        !parser) {
        return noParser;
    }
    return parser->SetText(kAcceptAllPaths, path);
}

// A key given as text: a string, or a path a reference key holds.
bool IsTextKey(ULONG cimType, const VARIANT& value) noexcept {
    return (cimType == CIM_STRING || cimType == CIM_REFERENCE) && V_VT(&value) == VT_BSTR;
}

// The parsed path's class name, into a buffer that holds any name of the path.
HRESULT ReadClassName(IWbemPath* parser, NameBuffer& name) noexcept {
    ULONG length = name.capacity;
    return parser->GetClassName(&length, name.text.get());
}

// Calls visit(name, value) for each key of the parsed path given as text, in the path's
// order; `name` is the buffer the names are read into.
template <typename Visit>
HRESULT ForEachTextKey(IWbemPath* parser, NameBuffer& name, Visit&& visit) {
    ComPtr<IWbemPathKeyList> keys;
    NORV_RETURN_IF_FAILED(parser->GetKeyList(keys.put()));
    ULONG count = 0;
    NORV_RETURN_IF_FAILED(keys->GetCount(&count));
    UniqueVariant value;
    for (ULONG index = 0; index < count; ++index) {
        // The length is in and out: the buffer's capacity in, the name's length out. It is
        // set anew for every key, so a short name does not shrink the buffer for the next.
        ULONG nameLength = name.capacity;
        ULONG cimType = CIM_EMPTY;
        NORV_RETURN_IF_FAILED(
            keys->GetKey2(index, 0, &nameLength, name.text.get(), value.put(), &cimType));
        if (IsTextKey(cimType, value)) visit(name.text.get(), V_BSTR(&value));
    }
    return S_OK;
}

}  // namespace

HRESULT ValidateObjectPath(IClassFactory* pathParserFactory, const wchar_t* path,
                           std::wstring_view expectedClass, ULONGLONG requiredKinds) noexcept {
    if (!path) return kWbemInvalidParameter;
    ComPtr<IWbemPath> parser;
    NORV_RETURN_IF_FAILED(ParsePath(pathParserFactory, path, parser, kWbemInvalidParameter));
    NameBuffer className = MakeNameBuffer(path);
    if (!className.text) return kWbemOutOfMemory;
    NORV_RETURN_IF_FAILED(ReadClassName(parser.get(), className));
    if (!SameName(className.text.get(), expectedClass)) return kWbemFailed;

    ULONGLONG kinds = 0;
    NORV_RETURN_IF_FAILED(parser->GetInfo(0, &kinds));
    return (kinds & requiredKinds) != 0 ? S_OK : kWbemFailed;
}

HRESULT ReadPathKeys(IClassFactory* pathParserFactory, const wchar_t* path,
                     std::span<const wchar_t* const> keyNames, std::span<std::string> wanted) {
    if (!path) return kWbemFailed;
    ComPtr<IWbemPath> parser;
    NORV_RETURN_IF_FAILED(ParsePath(pathParserFactory, path, parser, kWbemFailed));
    NameBuffer name = MakeNameBuffer(path);
    if (!name.text) return kWbemOutOfMemory;
    return ForEachTextKey(parser.get(), name, [&](const wchar_t* keyName, const wchar_t* value) {
        for (std::size_t key = 0; key < keyNames.size() && key < wanted.size(); ++key) {
            if (SameName(keyName, keyNames[key])) wanted[key] = ToNarrowString(value);
        }
    });
}

HRESULT ReadPathClassName(IClassFactory* pathParserFactory, const wchar_t* path,
                          std::wstring& className) {
    if (!path) return kWbemInvalidParameter;
    ComPtr<IWbemPath> parser;
    NORV_RETURN_IF_FAILED(ParsePath(pathParserFactory, path, parser, kWbemInvalidParameter));
    NameBuffer name = MakeNameBuffer(path);
    if (!name.text) return kWbemOutOfMemory;
    NORV_RETURN_IF_FAILED(ReadClassName(parser.get(), name));
    className = name.text.get();
    return S_OK;
}

HRESULT ReadReferencePath(IClassFactory* pathParserFactory, const wchar_t* path,
                          std::string& canonical) {
    if (!path) return kWbemFailed;
    ComPtr<IWbemPath> parser;
    NORV_RETURN_IF_FAILED(ParsePath(pathParserFactory, path, parser, kWbemFailed));
    NameBuffer name = MakeNameBuffer(path);
    if (!name.text) return kWbemOutOfMemory;
    NORV_RETURN_IF_FAILED(ReadClassName(parser.get(), name));
    const std::string className = ToNarrowString(name.text.get());
    std::vector<PathKey> keys;
    NORV_RETURN_IF_FAILED(
        ForEachTextKey(parser.get(), name, [&](const wchar_t* keyName, const wchar_t* value) {
            keys.emplace_back(ToNarrowString(keyName), ToNarrowString(value));
        }));
    canonical = ReferencePath(className, std::move(keys));
    return S_OK;
}

}  // namespace norv::win
