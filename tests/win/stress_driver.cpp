// Starts norvwmi host processes the way several WMI host processes load the module at once.
//   norv_stress_driver hosts COUNT SECONDS
//     runs COUNT `norvwmi --perturb <n> stress 7 SECONDS 15` at the same time (seeds 1..COUNT)
//     and fails unless every one exits 0 in time.
//   norv_stress_driver abandoned LOCK-BASE-NAME
//     a lock holder takes the named lock; a host's stress run must wait for it; the holder is
//     then killed while holding it, and the host must take the abandoned mutex, release it
//     and finish every thread's calls in time.
// Exit code 0 when the check passed, 1 when it failed, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_resource.h"

namespace {

using norv::win::UniqueHandle;

constexpr DWORD kHostSlackMs = 60000;         // start-up and the last calls of a stress run
constexpr DWORD kHolderReadyMs = 30000;       // the holder has taken the lock
constexpr DWORD kHeldWhileHostRunsMs = 8000;  // longer than the host's whole run
constexpr DWORD kAfterKillMs = 30000;         // the host finishes once the holder is gone
constexpr char kAbandonedRunSeconds[] = "2";
// Longer than the lock is held, so that a host waiting on the holder is not a deadlock.
constexpr char kAbandonedWatchdogSeconds[] = "60";

bool Failed(const std::string& message) {
    std::printf("FAILED: %s\n", message.c_str());
    std::fflush(stdout);
    return false;
}

struct Child {
    UniqueHandle process;
    std::string commandLine;
};

// Starts a program with the given command line, inheriting this console's output.
Child Start(const std::string& program, const std::string& arguments) {
    Child child;
    child.commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> text(child.commandLine.begin(), child.commandLine.end());
    text.push_back('\0');
    if (!::CreateProcessA(program.c_str(), text.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        std::printf("cannot start %s: error %lu\n", child.commandLine.c_str(),
                    static_cast<unsigned long>(::GetLastError()));
        return child;
    }
    ::CloseHandle(info.hThread);
    child.process.reset(info.hProcess);
    return child;
}

// The exit code, or nothing when the process is still running after `milliseconds`.
bool Finished(const Child& child, DWORD milliseconds, DWORD& exitCode) {
    if (::WaitForSingleObject(child.process.get(), milliseconds) != WAIT_OBJECT_0) return false;
    return ::GetExitCodeProcess(child.process.get(), &exitCode) != FALSE;
}

bool RunHosts(const std::string& norvwmi, int count, DWORD seconds) {
    std::vector<Child> hosts;
    for (int seed = 1; seed <= count; ++seed) {
        hosts.push_back(Start(norvwmi, "--perturb " + std::to_string(seed) + " stress 7 " +
                                           std::to_string(seconds) + " 15"));
        if (!hosts.back().process) return Failed("a host did not start");
    }
    bool passed = true;
    for (Child& host : hosts) {
        DWORD exitCode = 0;
        if (!Finished(host, seconds * 1000 + kHostSlackMs, exitCode)) {
            ::TerminateProcess(host.process.get(), 1);
            passed = Failed(host.commandLine + " did not finish in time");
        } else if (exitCode != 0) {
            passed = Failed(host.commandLine + " exited " + std::to_string(exitCode));
        }
    }
    return passed;
}

bool AbandonLock(const std::string& norvwmi, const std::string& holder, const std::string& lock) {
    const std::string suffix = std::to_string(::GetCurrentProcessId());
    const std::string readyName = "norv_stress_ready_" + suffix;
    const std::string releasingName = "norv_stress_releasing_" + suffix;
    const UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
    const UniqueHandle releasing(::CreateEventA(nullptr, TRUE, FALSE, releasingName.c_str()));
    if (!ready || !releasing) return Failed("cannot create the events");

    // The holder would hold the lock for ten minutes: only the kill ends its hold.
    Child holding =
        Start(holder, "lock " + lock + " " + readyName + " " + releasingName + " 600000");
    if (!holding.process) return Failed("the lock holder did not start");
    if (::WaitForSingleObject(ready.get(), kHolderReadyMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(holding.process.get(), 1);
        return Failed("the lock holder did not take " + lock);
    }

    Child host = Start(
        norvwmi, std::string("stress 3 ") + kAbandonedRunSeconds + " " + kAbandonedWatchdogSeconds);
    if (!host.process) {
        ::TerminateProcess(holding.process.get(), 1);
        return Failed("the host did not start");
    }
    DWORD exitCode = 0;
    const bool ranThrough = Finished(host, kHeldWhileHostRunsMs, exitCode);
    ::TerminateProcess(holding.process.get(), 9);
    ::WaitForSingleObject(holding.process.get(), kAfterKillMs);
    if (ranThrough)
        return Failed("the host finished (exit " + std::to_string(exitCode) + ") while " + lock +
                      " was held by another process: it did not wait for the lock");
    if (::WaitForSingleObject(releasing.get(), 0) == WAIT_OBJECT_0)
        return Failed("the holder released the lock instead of being killed holding it");
    if (!Finished(host, kAfterKillMs, exitCode)) {
        ::TerminateProcess(host.process.get(), 1);
        return Failed("the host did not finish within " + std::to_string(kAfterKillMs / 1000) +
                      " s after the holder of " + lock + " was killed");
    }
    if (exitCode != 0)
        return Failed("the host exited " + std::to_string(exitCode) + " after the holder of " +
                      lock + " was killed");
    std::printf(
        "%s: the host waited while the lock was held and finished after the holder "
        "was killed\n",
        lock.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "hosts" && argc == 4) {
        const int count = std::atoi(argv[2]);
        const int seconds = std::atoi(argv[3]);
        if (count < 1 || seconds < 1) return 2;
        return RunHosts(NORV_NORVWMI_FILE, count, static_cast<DWORD>(seconds)) ? 0 : 1;
    }
    if (command == "abandoned" && argc == 3)
        return AbandonLock(NORV_NORVWMI_FILE, NORV_LOCK_HOLDER_FILE, argv[2]) ? 0 : 1;
    return 2;
}
