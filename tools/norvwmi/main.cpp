// norvwmi: plays the WMI service and the platform health driver for Norvipmiprv.dll.
// docs/norvwmi.md describes the command line.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "com/wide_text.h"
#include "program/command_line.h"
#include "program/run_command.h"

namespace {

void Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

int Run(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(norvwmi::WideToUtf8(argv[i]));
    const norvwmi::ParsedCommandLine parsed = norvwmi::ParseCommandLine(arguments);
    if (std::holds_alternative<norvwmi::HelpRequest>(parsed)) {
        Write(stdout, norvwmi::kUsage);
        return static_cast<int>(norvwmi::ExitCode::Success);
    }
    if (const auto* error = std::get_if<norvwmi::UsageError>(&parsed)) {
        Write(stderr, "norvwmi: " + error->message + "\n" + std::string(norvwmi::kUsage));
        return static_cast<int>(norvwmi::ExitCode::Usage);
    }
    return static_cast<int>(norvwmi::RunCommand(std::get<norvwmi::CommandLine>(parsed)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The same bytes on every system: UTF-8 text with '\n' line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        Write(stderr, "norvwmi: out of memory\n");
        return static_cast<int>(norvwmi::ExitCode::RequestFailed);
    }
}
