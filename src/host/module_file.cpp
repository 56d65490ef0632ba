#include "host/module_file.h"

namespace norv::win {

HRESULT ReadModulePath(HMODULE module, std::wstring& path) {
    wchar_t buffer[kModulePathCapacity] = {};
    const DWORD length = ::GetModuleFileNameW(module, buffer, kModulePathCapacity);
    if (length == 0) return HRESULT_FROM_WIN32(::GetLastError());
    // A path that fills the buffer may have been cut short.
    if (length >= kModulePathCapacity) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path.assign(buffer, length);
    return S_OK;
}

bool IsExecutableModule(HMODULE module) noexcept {
    // A null handle stands for the process's executable, as for GetModuleFileName.
    const auto* base = reinterpret_cast<const BYTE*>(module ? module : ::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return (nt->FileHeader.Characteristics & IMAGE_FILE_DLL) == 0;
}

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

}  // namespace norv::win
