#include "host/registry_writer.h"

#include <string>

#include "platform/utf8_text.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

HRESULT FromStatus(LSTATUS status) noexcept {
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

bool IsAbsent(LSTATUS status) noexcept {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

HRESULT CreateKey(HKEY root, const std::wstring& path, REGSAM access, UniqueHkey& key) {
    return FromStatus(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, key.put(), nullptr));
}

HRESULT SetStringValue(HKEY root, const std::wstring& path, const std::wstring& name,
                       const std::wstring& data) {
    UniqueHkey key;
    NORV_RETURN_IF_FAILED(CreateKey(root, path, KEY_SET_VALUE, key));
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return FromStatus(::RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()), bytes));
}

HRESULT DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    UniqueHkey key;
    const LSTATUS opened = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put());
    if (IsAbsent(opened)) return S_OK;
    if (opened != ERROR_SUCCESS) return FromStatus(opened);
    const LSTATUS deleted = ::RegDeleteValueW(key.get(), name.empty() ? nullptr : name.c_str());
    return IsAbsent(deleted) ? S_OK : FromStatus(deleted);
}

HRESULT DeleteTree(HKEY root, const std::wstring& path) {
    const LSTATUS deleted = ::RegDeleteTreeW(root, path.c_str());
    return IsAbsent(deleted) ? S_OK : FromStatus(deleted);
}

HRESULT DeleteKeyWithoutSubkeys(HKEY root, const std::wstring& path) {
    UniqueHkey key;
    const LSTATUS opened = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (IsAbsent(opened)) return S_OK;
    if (opened != ERROR_SUCCESS) return FromStatus(opened);
    DWORD subkeys = 0;
    NORV_RETURN_IF_FAILED(
        FromStatus(::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)));
    key.reset();
    if (subkeys != 0) return S_OK;
    const LSTATUS deleted = ::RegDeleteKeyW(root, path.c_str());
    return IsAbsent(deleted) ? S_OK : FromStatus(deleted);
}

HRESULT Apply(HKEY root, const RegistryOperation& operation) {
    const std::wstring path = FromUtf8(operation.keyPath);
    switch (operation.action) {
        case RegistryAction::CreateKey: {
            UniqueHkey key;
            return CreateKey(root, path, KEY_READ, key);
        }
        case RegistryAction::DeleteTree:
            return DeleteTree(root, path);
        case RegistryAction::DeleteKey:
            return DeleteKeyWithoutSubkeys(root, path);
        case RegistryAction::SetValue:
            return SetStringValue(root, path, FromUtf8(operation.valueName),
                                  FromUtf8(operation.data));
        case RegistryAction::DeleteValue:
            return DeleteValue(root, path, FromUtf8(operation.valueName));
    }
    return E_INVALIDARG;
}

}  // namespace

HRESULT ApplyRegistryOperations(HKEY root, std::span<const RegistryOperation> operations) {
    for (const RegistryOperation& operation : operations) {
        NORV_RETURN_IF_FAILED(Apply(root, operation));
    }
    return S_OK;
}

}  // namespace norv::win
