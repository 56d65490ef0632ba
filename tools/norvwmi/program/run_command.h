// Running one norvwmi command: COM in the multithreaded apartment (as WMI calls providers),
// the platform loaded, the stand-in locator and the WMI utility parsers registered in this
// process for the whole run, then the command. Objects go to standard output as MOF text
// or JSON; failures and provider faults go to standard error.
#pragma once

#include "program/command_line.h"

namespace norvwmi {

enum class ExitCode : int {
    Success = 0,
    RequestFailed = 1,    // a status other than WBEM_S_NO_ERROR, or a provider fault
    Usage = 2,            // the command line is not understood
    PlatformInvalid = 3,  // the platform description cannot be read or is malformed
};

ExitCode RunCommand(const CommandLine& line);

}  // namespace norvwmi
