// Facts about a loaded module's file that registration needs: its full path and whether it
// is an executable or a DLL.
#pragma once

#include <windows.h>

#include <string>

namespace norv::win {

// The buffer the module path is read into, in characters.
inline constexpr DWORD kModulePathCapacity = MAX_PATH;

// The module's full path as the system gives it. A path that fills the whole buffer gives
// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER); other failures their Win32 error.
HRESULT ReadModulePath(HMODULE module, std::wstring& path);

// True for an executable, false for a DLL (the image header's DLL flag).
bool IsExecutableModule(HMODULE module) noexcept;

// The path up to its last backslash or slash, without it.
std::wstring DirectoryOf(const std::wstring& path);

}  // namespace norv::win
