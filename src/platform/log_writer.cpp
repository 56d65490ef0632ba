#include "platform/log_writer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace norv {
namespace {

constexpr UINT kWindowsDirectoryCapacity = 32768;
constexpr std::string_view kDefaultLogFileInWindows = "\\system32\\wbem\\logs\\norvwbems.log";
// A writer that cannot have the file within this time loses its message.
constexpr DWORD kAppendWaitMs = 1000;
constexpr DWORD kLogFileAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kLogFileSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

win::UniqueFile OpenLogFile(const std::string& fileName, DWORD disposition, DWORD flags) {
    return win::UniqueFile(CreateFileA(fileName.c_str(), kLogFileAccess, kLogFileSharing, nullptr,
                                       disposition, flags, nullptr));
}

// A string value is taken as stored (an expandable one is not expanded), and only when it
// ends with its terminating zero.
void ReadFileNameValue(HKEY key, std::string& fileName) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "LOGFILENAME", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    std::string buffer(size, '\0');
    if (RegQueryValueExA(key, "LOGFILENAME", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return;
    if (size == 0 || size > buffer.size() || buffer[size - 1] != '\0') return;
    buffer.resize(buffer.find('\0'));
    fileName = std::move(buffer);
}

// Four bytes, whatever the value's registry type; any other size leaves the value alone.
template <typename T>
void ReadFourBytes(HKEY key, const char* valueName, T& value) {
    static_assert(sizeof(T) == 4);
    unsigned char bytes[4] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, bytes, &size) == ERROR_SUCCESS &&
        size == sizeof bytes) {
        std::memcpy(&value, bytes, sizeof bytes);
    }
}

bool IsActiveCodePageLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

// Cuts a full log file to the whole lines of its last part. Runs under the file's
// semaphore; the file stays as it was unless the re-creation already happened.
DWORD TrimLogFile(const std::string& fileName) {
    win::UniqueFile file = OpenLogFile(fileName, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (!file) return GetLastError();
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
    if (!LogNeedsTrim(static_cast<std::uint64_t>(size.QuadPart))) return ERROR_SUCCESS;

    LARGE_INTEGER tailStart = {};
    tailStart.QuadPart = -static_cast<LONGLONG>(kLogTrimTail);
    if (!SetFilePointerEx(file.get(), tailStart, nullptr, FILE_END)) return GetLastError();
    const win::UniqueHeapBuffer buffer(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kLogTrimTail));
    if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.get(), static_cast<DWORD>(kLogTrimTail), &read, nullptr))
        return GetLastError();
    // Only the bytes read count: a file cut meanwhile must not gain zeros.
    const std::string_view tail(static_cast<const char*>(buffer.get()), read);
    const std::string_view kept = tail.substr(LogTrimKeepFrom(tail));

    if (!file.close()) return GetLastError();
    file = OpenLogFile(fileName, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!kept.empty() &&
        !WriteFile(file.get(), kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr)) {
        return GetLastError();
    }
    return ERROR_SUCCESS;
}

// This writer's turn at the file; gives the semaphore back when the append ends.
class AppendTurn {
public:
    explicit AppendTurn(HANDLE heldSemaphore) noexcept : semaphore(heldSemaphore) {}
    AppendTurn(const AppendTurn&) = delete;
    AppendTurn& operator=(const AppendTurn&) = delete;
    ~AppendTurn() {
        if (semaphore != nullptr) ReleaseSemaphore(semaphore, 1, nullptr);
    }

private:
    HANDLE semaphore;
};

std::string FormatMessageText(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

std::string DefaultLogFileName() {
    std::string directory(kWindowsDirectoryCapacity, '\0');
    const UINT length = GetWindowsDirectoryA(directory.data(), kWindowsDirectoryCapacity);
    directory.resize(length < kWindowsDirectoryCapacity ? length : 0);
    return directory.append(kDefaultLogFileInWindows);
}

std::string LogSemaphoreNameOf(std::string_view logFileName) {
    std::string name = LogSemaphoreName(logFileName, IsActiveCodePageLeadByte);
    // Letters beyond ASCII (accented, full-width) are upper-cased in the active code page.
    const int size = static_cast<int>(name.size());
    const int length =
        LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, name.data(), size, nullptr, 0);
    if (length <= 0) return name;
    std::string upper(static_cast<std::size_t>(length), '\0');
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, name.data(), size, upper.data(),
                     length) != length) {
        return name;
    }
    return upper;
}

void LogWriter::SetLabel(std::string_view text) {
    label.assign(text);
}

DWORD LogWriter::LoadConfiguration(const LogConfigurationKey& key) {
    std::string configuredFile = DefaultLogFileName();
    std::int32_t configuredLevel = 1;
    std::uint32_t configuredTypes = 7;
    // Read access only: the log never changes its own configuration.
    win::UniqueHkey settings;
    if (RegOpenKeyExA(key.root, key.path, 0, KEY_READ, settings.put()) == ERROR_SUCCESS) {
        ReadFileNameValue(settings.get(), configuredFile);
        ReadFourBytes(settings.get(), "LEVEL", configuredLevel);
        ReadFourBytes(settings.get(), "TYPE", configuredTypes);
    }
    return OpenLog(configuredFile, configuredLevel, configuredTypes);
}

DWORD LogWriter::OpenLog(std::string_view logFileName, std::int32_t messageLevel,
                         std::uint32_t messageTypes) {
    if (logFileName.empty()) return ERROR_INVALID_PARAMETER;
    level = messageLevel;
    typeMask = messageTypes;
    fileName.assign(logFileName);
    semaphore.reset();

    const std::string semaphoreName = LogSemaphoreNameOf(fileName);
    SetLastError(ERROR_SUCCESS);
    win::UniqueHandle opened(CreateSemaphoreA(nullptr, 0, 1, semaphoreName.c_str()));
    const DWORD createError = GetLastError();
    if (!opened) return createError;
    // The writer that creates the semaphore makes the file free; the others find it as it is.
    if (createError != ERROR_ALREADY_EXISTS) ReleaseSemaphore(opened.get(), 1, nullptr);
    semaphore = std::move(opened);
    return ERROR_SUCCESS;
}

DWORD LogWriter::Write(LogType type, std::int32_t messageLevel, std::string_view text) noexcept {
    if (!LogFilter{level, typeMask}.Passes(type, messageLevel)) return ERROR_SUCCESS;
    try {
        const win::UniqueFile file = OpenLogFile(fileName, OPEN_ALWAYS, FILE_FLAG_RANDOM_ACCESS);
        if (!file) return GetLastError();
        // A wait that fails (no semaphore) still writes, unguarded; only a busy file is given up.
        const DWORD waited = WaitForSingleObject(semaphore.get(), kAppendWaitMs);
        if (waited == WAIT_TIMEOUT) return WAIT_TIMEOUT;
        const AppendTurn turn(waited == WAIT_OBJECT_0 ? semaphore.get() : nullptr);

        TrimLogFile(fileName);
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END)) {
            return GetLastError();
        }
        const LogLineTime time{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                               now.wMinute, now.wSecond, now.wMilliseconds};
        const std::string line = FormatLogLine(time, type, label, text);
        DWORD written = 0;
        if (!WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written,
                       nullptr)) {
            return GetLastError();
        }
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD LogWriter::LogError(const char* format, ...) noexcept {
    va_list args;
    va_start(args, format);
    DWORD result = ERROR_SUCCESS;
    try {
        result = Write(LogType::Error, 1, FormatMessageText(format, args));
    } catch (const std::bad_alloc&) {
        result = ERROR_NOT_ENOUGH_MEMORY;
    }
    va_end(args);
    return result;
}

}  // namespace norv
