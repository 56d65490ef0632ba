#include "platform/smbios_table_win.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/load_order.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"

namespace norv {
namespace {

// Property names are plain ASCII.
std::wstring Wide(std::string_view name) {
    return std::wstring(name.begin(), name.end());
}

class WindowsRawSmbiosObject : public RawSmbiosObject {
public:
    explicit WindowsRawSmbiosObject(win::ComPtr<IWbemClassObject> object)
        : object_(std::move(object)) {}

    std::optional<std::int32_t> ReadSize() override {
        std::int32_t size = 0;
        if (FAILED(GetInt32Property(object_, Wide(kRawSmbiosSizeProperty).c_str(), size)))
            return std::nullopt;
        return size;
    }

    std::optional<std::vector<std::uint8_t>> ReadData(std::size_t capacity) override {
        std::vector<std::uint8_t> data(capacity);
        auto count = static_cast<std::uint32_t>(capacity);
        if (FAILED(GetByteArrayProperty(object_, Wide(kRawSmbiosDataProperty).c_str(), data.data(),
                                        count)))
            return std::nullopt;
        data.resize(count);
        return data;
    }

private:
    win::ComPtr<IWbemClassObject> object_;
};

// Holds a process-local mutex for a scope. An abandoned mutex counts as taken: the thread
// that held it is gone, and what it guards is rebuilt by the next Load anyway.
class MutexScope {
public:
    explicit MutexScope(HANDLE mutex) : mutex_(mutex) {
        const DWORD waited = mutex_ ? ::WaitForSingleObject(mutex_, INFINITE) : WAIT_FAILED;
        owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~MutexScope() {
        if (owned_) ::ReleaseMutex(mutex_);
    }
    MutexScope(const MutexScope&) = delete;
    MutexScope& operator=(const MutexScope&) = delete;

    bool Owned() const { return owned_; }

private:
    HANDLE mutex_;
    bool owned_ = false;
};

NORV_LOAD_ORDER(kLoadOrderProcessorDiscovery) SmbiosTable g_smbiosTable;

}  // namespace

win::UniqueFile OpenHealthDriver() {
    return win::UniqueFile(::CreateFileA(kHealthDriverDevice, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
}

std::optional<std::size_t> ReadPhysicalMemory(std::uint32_t address,
                                              std::span<std::uint8_t> buffer) {
    if (!std::in_range<DWORD>(buffer.size())) return std::nullopt;
    const win::UniqueFile device = OpenHealthDriver();
    if (!device) return std::nullopt;
    DWORD returned = 0;
    if (!::DeviceIoControl(device.get(), kReadPhysicalMemoryControlCode, &address, sizeof address,
                           buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        return std::nullopt;
    }
    return std::min<std::size_t>(returned, buffer.size());
}

bool WindowsSmbiosMachine::DriverPresent() {
    return static_cast<bool>(OpenHealthDriver());
}

std::optional<std::vector<std::uint8_t>> WindowsSmbiosMachine::ReadPhysicalMemory(
    std::uint32_t address, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    const std::optional<std::size_t> returned = norv::ReadPhysicalMemory(address, bytes);
    if (!returned) return std::nullopt;
    // Only what the driver wrote: the loader counts a short read as a failed one.
    bytes.resize(*returned);
    return bytes;
}

RawSmbiosObjectList WindowsSmbiosMachine::QueryRawSmbiosTables() {
    WbemObjectList results;
    RawSmbiosObjectList objects;
    const HRESULT status = ExecWqlQuery(std::string(kRawSmbiosNamespace),
                                        std::string(kRawSmbiosQuery), results, nullptr);
    if (FAILED(status)) return objects;
    for (win::ComPtr<IWbemClassObject>& result : results)
        objects.push_back(std::make_unique<WindowsRawSmbiosObject>(std::move(result)));
    return objects;
}

SmbiosTable::SmbiosTable() : lock_(::CreateMutexW(nullptr, FALSE, nullptr)) {}

bool SmbiosTable::Load() {
    WindowsSmbiosMachine machine;
    return Load(machine);
}

bool SmbiosTable::Load(SmbiosMachine& machine) {
    const MutexScope scope(lock_.get());
    if (!scope.Owned()) return false;
    return LoadHeld(machine);
}

bool SmbiosTable::LoadHeld(SmbiosMachine& machine) {
    loaded_ = false;
    tableData_.clear();
    tableData_.shrink_to_fit();
    entryPoint_.fill(0);
    std::optional<LoadedSmbiosTable> table = LoadSmbiosTable(machine);
    if (!table) return false;
    tableData_ = std::move(table->bytes);
    if (table->entryPoint) entryPoint_ = table->entryPoint->bytes;
    loaded_ = true;
    return true;
}

bool SmbiosTable::IsLoaded() {
    const MutexScope scope(lock_.get());
    return scope.Owned() && loaded_;
}

std::optional<SmbiosStructure> SmbiosTable::FindStructure(std::uint8_t type, std::size_t index,
                                                          std::uint8_t copyLength) {
    const MutexScope scope(lock_.get());
    if (!scope.Owned() || !loaded_) return std::nullopt;
    return norv::FindStructure(tableData_, type, index, copyLength);
}

std::optional<std::vector<std::uint8_t>> SmbiosTable::Contents() {
    WindowsSmbiosMachine machine;
    return Contents(machine);
}

std::optional<std::vector<std::uint8_t>> SmbiosTable::Contents(SmbiosMachine& machine) {
    const MutexScope scope(lock_.get());
    if (!scope.Owned()) return std::nullopt;
    if (!loaded_ && !LoadHeld(machine)) return std::nullopt;
    return tableData_;
}

SmbiosTable& ProcessSmbiosTable() {
    return g_smbiosTable;
}

}  // namespace norv
