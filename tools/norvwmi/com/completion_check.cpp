#include "com/completion_check.h"

#include <cstdio>

namespace norvwmi {

namespace {

std::string Hex(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

std::vector<std::string> CheckCompletion(HRESULT returned, const RecordingSink& sink,
                                         DWORD milliseconds) {
    std::vector<std::string> problems;
    if (SUCCEEDED(returned)) sink.WaitForFinalStatus(milliseconds);
    const std::vector<SinkEvent> events = sink.Events();
    std::size_t finals = 0;
    bool indicatedAfterFinal = false;
    for (const SinkEvent& event : events) {
        if (event.kind == SinkEvent::Kind::Status && event.flags == WBEM_STATUS_COMPLETE) ++finals;
        if (event.kind == SinkEvent::Kind::Indicate && finals > 0) indicatedAfterFinal = true;
    }
    if (SUCCEEDED(returned) && finals == 0)
        problems.push_back("the call returned " + Hex(returned) +
                           " but never called SetStatus: a client would wait forever");
    if (finals > 1)
        problems.push_back("SetStatus(WBEM_STATUS_COMPLETE) was called " + std::to_string(finals) +
                           " times");
    if (indicatedAfterFinal) problems.push_back("objects were indicated after the final SetStatus");
    return problems;
}

}  // namespace norvwmi
