// Starts norvwmi host processes the way several WMI host processes load the module at once:
//   norv_stress_driver COUNT SECONDS
// runs COUNT `norvwmi --perturb <n> stress 7 SECONDS 15` at the same time (seeds 1..COUNT) and
// fails unless every one exits 0 in time. (A host past a lock whose holder was killed is the
// named lock's abandoned case and the providers' lock-order cases.)
// Exit code 0 when the check passed, 1 when it failed, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win_resource.h"

namespace {

constexpr DWORD kHostSlackMs = 60000;  // start-up and the last calls of a stress run

struct Host {
    norv::win::UniqueHandle process;
    std::string commandLine;
};

Host Start(const std::string& program, const std::string& arguments) {
    Host host;
    host.commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string text = host.commandLine;
    if (::CreateProcessA(program.c_str(), text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        const norv::win::UniqueHandle thread(info.hThread);
        host.process.reset(info.hProcess);
    }
    return host;
}

bool RunHosts(const std::string& norvwmi, int count, DWORD seconds) {
    std::vector<Host> hosts;
    for (int seed = 1; seed <= count; ++seed) {
        hosts.push_back(Start(norvwmi, "--perturb " + std::to_string(seed) + " stress 7 " +
                                           std::to_string(seconds) + " 15"));
    }
    bool passed = true;
    for (Host& host : hosts) {
        DWORD exitCode = 1;
        std::string failure;
        if (!host.process) {
            failure = " did not start";
        } else if (::WaitForSingleObject(host.process.get(), seconds * 1000 + kHostSlackMs) !=
                   WAIT_OBJECT_0) {
            ::TerminateProcess(host.process.get(), 1);
            failure = " did not finish in time";
        } else if (!::GetExitCodeProcess(host.process.get(), &exitCode) || exitCode != 0) {
            failure = " exited " + std::to_string(exitCode);
        }
        if (!failure.empty()) {
            std::printf("FAILED: %s%s\n", host.commandLine.c_str(), failure.c_str());
            passed = false;
        }
    }
    std::fflush(stdout);
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc == 3 ? std::atoi(argv[1]) : 0;
    const int seconds = argc == 3 ? std::atoi(argv[2]) : 0;
    if (count < 1 || seconds < 1) return 2;
    return RunHosts(NORV_NORVWMI_FILE, count, static_cast<DWORD>(seconds)) ? 0 : 1;
}
