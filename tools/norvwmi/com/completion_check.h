// What a WMI client would notice about the end of an asynchronous provider call: a call
// that returned success must end with exactly one SetStatus(WBEM_STATUS_COMPLETE) (else a
// client waits forever), and nothing may be indicated after it. A call that failed may
// skip the sink.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "com/recording_sink.h"

namespace norvwmi {

// The problems found, as sentences; empty when the call ended properly. Waits up to
// `milliseconds` for a final SetStatus made from another thread.
std::vector<std::string> CheckCompletion(HRESULT returned, const RecordingSink& sink,
                                         DWORD milliseconds = 0);

}  // namespace norvwmi
