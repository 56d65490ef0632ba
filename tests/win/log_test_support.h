// Shared pieces of the lock and log tests: unique names, temporary files, a throw-away
// logging key, the second process (norv_lock_holder) and what a request holds meanwhile.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/log_writer.h"
#include "platform/win_resource.h"

namespace norv::test {

// Unique within the machine and the run: the process id and a counter.
inline std::string UniqueName(std::string_view what) {
    static std::atomic<unsigned> counter{0};
    return "Norv" + std::string(what) + "_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(counter++);
}

inline std::string TempDirectory() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH + 1, path);
    return std::string(path, length);
}

// A file path in the temporary folder; the file is deleted when the owner goes.
struct TempFile {
    explicit TempFile(std::string_view what) : path(TempDirectory() + UniqueName(what) + ".log") {}
    ~TempFile() { DeleteFileA(path.c_str()); }
    const std::string& Path() const { return path; }
    const std::string path;
};

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The bytes of a file another process may be writing; empty when there is no file.
inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lines without their CR LF; a last line without CR LF is kept as it is.
inline std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find("\r\n");
        lines.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 2);
    }
    return lines;
}

// A logging key made for a test and deleted with its values at the end, with the parents
// no other run still uses: one of its own under HKEY_CURRENT_USER, or the module's
// machine-wide key, which is usable only when the machine has none of its own.
class TestLogKey {
public:
    TestLogKey()
        : TestLogKey(HKEY_CURRENT_USER, "Software\\Norvane\\NorvTests\\" + UniqueName("LogKey")) {}
    struct Machine {};
    explicit TestLogKey(Machine) : TestLogKey(HKEY_LOCAL_MACHINE, "Software\\Norvane\\WBEM") {}
    TestLogKey(const TestLogKey&) = delete;
    TestLogKey& operator=(const TestLogKey&) = delete;
    ~TestLogKey() {
        if (!created_) return;
        RegDeleteTreeA(root_, path_.c_str());
        for (std::string parent = path_.substr(0, path_.rfind('\\')); parent != "Software";
             parent = parent.substr(0, parent.rfind('\\'))) {
            RegDeleteKeyA(root_, parent.c_str());
        }
    }

    bool Usable() const { return created_; }
    LogConfigurationKey Key() const { return {root_, path_.c_str()}; }

    void SetBytes(const char* name, DWORD type, std::string_view bytes) {
        ASSERT_EQ(RegSetKeyValueA(root_, path_.c_str(), name, type, bytes.data(),
                                  static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // The string with its terminating zero.
    void SetString(const char* name, const std::string& value) {
        SetBytes(name, REG_SZ, std::string_view(value.c_str(), value.size() + 1));
    }
    void SetDword(const char* name, DWORD value) {
        SetBytes(name, REG_DWORD, std::string_view(reinterpret_cast<const char*>(&value), 4));
    }
    // A key whose errors of level 1 go to the given file.
    void LogTo(const std::string& fileName) { SetString("LOGFILENAME", fileName); }

private:
    TestLogKey(HKEY root, const std::string& owner)
        : root_(root), path_(owner + "\\ServerLOGGING") {
        win::UniqueHkey key;
        DWORD disposition = 0;
        created_ = RegCreateKeyExA(root, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   key.put(), &disposition) == ERROR_SUCCESS &&
                   disposition == REG_CREATED_NEW_KEY;
        if (root == HKEY_CURRENT_USER) {
            EXPECT_TRUE(created_) << path_;
        }
    }

    HKEY root_;
    std::string path_;
    bool created_ = false;
};

// A named event of this run, manual reset, initially clear.
class TestEvent {
public:
    explicit TestEvent(std::string_view what)
        : name("Local\\" + UniqueName(what)),
          event(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    const std::string& Name() const { return name; }
    HANDLE Get() const { return event.get(); }
    bool WaitFor(DWORD ms) const { return WaitForSingleObject(event.get(), ms) == WAIT_OBJECT_0; }

private:
    std::string name;
    win::UniqueHandle event;
};

// norv_lock_holder, started from the folder of this test program; it is ended if still
// running when the owner goes, so a failing test leaves nothing behind.
class HelperProcess {
public:
    explicit HelperProcess(const std::string& arguments) {
        char self[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string program(self, length);
        program = program.substr(0, program.find_last_of("\\/") + 1) + "norv_lock_holder.exe";
        std::string commandLine = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
            process.reset(info.hProcess);
            win::UniqueHandle thread(info.hThread);
        }
        EXPECT_TRUE(process) << "cannot start " << program << ": " << GetLastError();
    }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    ~HelperProcess() {
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
        }
    }

    bool Started() const { return static_cast<bool>(process); }
    // The exit code, or STILL_ACTIVE when it did not end within ms.
    DWORD WaitForExit(DWORD ms) const {
        if (WaitForSingleObject(process.get(), ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
    void Kill() const {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }

private:
    win::UniqueHandle process;
};

// Whether another thread or process comes to own a named mutex within a time: polled, and let
// go at once whenever the polling thread got it instead. Tests use it to see that a request
// holds a lock while it waits for another, which a second process holds.
inline bool OwnedByAnotherWithin(const std::string& name, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        const win::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
        if (mutex) {
            const DWORD state = ::WaitForSingleObject(mutex.get(), 0);
            if (state == WAIT_TIMEOUT) return true;
            if (state == WAIT_OBJECT_0 || state == WAIT_ABANDONED) ::ReleaseMutex(mutex.get());
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < milliseconds);
    return false;
}

// Whether a thread of its own finds the named mutex owned (by this thread or another process)
// at once.
inline bool OwnedForAnotherThread(const std::string& name) {
    bool owned = false;
    std::thread([&] { owned = OwnedByAnotherWithin(name, 0); }).join();
    return owned;
}

// norv_lock_holder holds the machine-wide lock wmi_<held> for a second while the request runs
// on a thread of its own: the request must hold each of ownedMeanwhile while it waits, and end
// only after the holder let go. The request's status.
inline HRESULT RequestWhileAnotherProcessHolds(const std::string& held,
                                               const std::vector<std::string>& ownedMeanwhile,
                                               const std::function<HRESULT()>& request) {
    const TestEvent ready("Ready");
    const TestEvent releasing("Releasing");
    HelperProcess holder("lock " + held + " " + ready.Name() + " " + releasing.Name() + " 1000");
    EXPECT_TRUE(holder.Started() && ready.WaitFor(10000)) << "the helper did not take " << held;
    std::atomic<bool> done{false};
    HRESULT result = E_FAIL;
    std::thread requester([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = request();
        done = true;
        ::CoUninitialize();
    });
    for (const std::string& name : ownedMeanwhile) {
        EXPECT_TRUE(OwnedByAnotherWithin(name, 5000)) << "the waiting request holds " << name;
    }
    EXPECT_TRUE(releasing.WaitFor(10000));
    EXPECT_FALSE(done) << "the request ran while another process held " << held;
    requester.join();
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
    return result;
}

}  // namespace norv::test
