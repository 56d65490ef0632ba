// The diagnostic log writer: appends time-stamped lines to a log file shared by every
// writer of every process, one append at a time (a named semaphore per file).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/log_line.h"
#include "platform/win_resource.h"

namespace norv {

// Where a writer reads its configuration: values "LOGFILENAME", "LEVEL" and "TYPE".
struct LogConfigurationKey {
    HKEY root;
    const char* path;
};

// The one key the provider is configured by.
inline const LogConfigurationKey kLogConfigurationKey{HKEY_LOCAL_MACHINE,
                                                      "Software\\Norvane\\WBEM\\ServerLOGGING"};

class LogWriter {
public:
    LogWriter() = default;
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Text put in front of every message of this writer.
    void SetLabel(std::string_view text);

    // Reads the configuration (defaults for whatever is absent or unreadable) and opens the
    // log; returns the result of OpenLog.
    DWORD LoadConfiguration() { return LoadConfiguration(kLogConfigurationKey); }
    DWORD LoadConfiguration(const LogConfigurationKey& key);

    // Returns 0, ERROR_INVALID_PARAMETER for an empty file name (nothing is stored) or the
    // error of creating the file's semaphore.
    DWORD OpenLog(std::string_view logFileName, std::int32_t messageLevel,
                  std::uint32_t messageTypes);

    // Appends one line if the filter lets the message pass. Returns 0 or a Win32 error
    // (WAIT_TIMEOUT when another writer kept the file for more than a second).
    DWORD Write(LogType type, std::int32_t messageLevel, std::string_view text) noexcept;

    // An Error message of level 1, formatted printf-style.
    DWORD LogError(const char* format, ...) noexcept
        __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));

    const std::string& FileName() const { return fileName; }
    std::int32_t Level() const { return level; }
    std::uint32_t TypeMask() const { return typeMask; }

private:
    win::UniqueHandle semaphore;
    std::int32_t level = 1;
    std::uint32_t typeMask = 7;
    std::string fileName;
    std::string label;
};

// The file the log goes to when the configuration names none: the Windows directory
// followed by "\system32\wbem\logs\norvwbems.log".
std::string DefaultLogFileName();

// The semaphore name of a log file in the active code page (double-byte characters are
// kept whole, every letter is upper-cased).
std::string LogSemaphoreNameOf(std::string_view logFileName);

}  // namespace norv
