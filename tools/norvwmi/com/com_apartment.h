// The calling thread's COM apartment for the life of a scope (multithreaded, as WMI's own
// threads are), and the machine's name as the host's class objects carry it.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <string>
#include <string_view>

#include "com/wide_text.h"

namespace norvwmi {

class ComApartment {
public:
    ComApartment() : status_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(status_)) ::CoUninitialize();
    }
    HRESULT Status() const { return status_; }

private:
    HRESULT status_;
};

// "localhost" when the name cannot be read.
inline std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &length)) return "localhost";
    return WideToUtf8(std::wstring_view(name, length));
}

}  // namespace norvwmi
