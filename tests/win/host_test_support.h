// Helpers of the COM server tests: the built module loaded from its build folder, its entry
// points, registry reads that tell absent, empty and present apart, and an out-pointer sentinel.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "inventory/cache_clock.h"
#include "platform/win_resource.h"
#include "provider/provider_module.h"

namespace norv::test {

using norvwmi::UniqueModule;

// What a test puts in an out pointer before a call that must fail: the call has to clear it.
inline void* const kOutSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xdeadbeef));

// The module as built (NORV_MODULE_FILE is its path on Wine's Z: drive).
inline UniqueModule LoadModuleUnderTest() {
    return UniqueModule(::LoadLibraryA(NORV_MODULE_FILE));
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

inline std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

inline std::wstring Wide(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
    win::UniqueHkey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A REG_SZ value (empty name: the default value); nullopt if the key or value is absent or
// of another type. The bytes as stored, less their terminating zeros: a writer that stores
// one character too many shows.
inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path,
                                              const std::wstring& name = L"") {
    win::UniqueHkey key;
    wchar_t data[1024] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::wstring text(data, bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

inline bool TypeLibraryRegistered() {
    win::UniqueBstr path;
    return SUCCEEDED(::QueryPathOfRegTypeLib(win::GuidOf(kTypeLibraryId), 1, 0, 0, path.put()));
}

// Moves the clock of the module's caches past their two fresh seconds instead of waiting
// them out: the next request reads the platform served now.
inline void AgeTheCaches() {
    static long skew = 0;
    skew += 3;
    ::SetEnvironmentVariableA(win::kCacheClockSkewVariable, std::to_string(skew).c_str());
}

}  // namespace norv::test
