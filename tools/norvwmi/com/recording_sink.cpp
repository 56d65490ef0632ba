#include "com/recording_sink.h"

#include <chrono>

#include "com/wbem_hresult.h"

namespace norvwmi {

HRESULT RecordingSink::Indicate(LONG count, IWbemClassObject** objects) try {
    if (count < 0 || (count > 0 && !objects)) return Wbem(WBEM_E_INVALID_PARAMETER);
    SinkEvent event;
    event.kind = SinkEvent::Kind::Indicate;
    for (LONG i = 0; i < count; ++i) {
        if (!objects[i]) return Wbem(WBEM_E_INVALID_PARAMETER);
        event.objects.emplace_back(objects[i]);
    }
    std::lock_guard lock(mutex_);
    if (FAILED(indicateFailure_)) return indicateFailure_;
    events_.push_back(std::move(event));
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT RecordingSink::SetStatus(LONG flags, HRESULT result, BSTR text,
                                 IWbemClassObject* object) try {
    SinkEvent event;
    event.kind = SinkEvent::Kind::Status;
    event.flags = flags;
    event.result = result;
    if (text) event.text.assign(text, ::SysStringLen(text));
    event.object = norv::win::ComPtr<IWbemClassObject>(object);
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    statusArrived_.notify_all();
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT RecordingSink::SetStatus(LONG status, LONG flags) try {
    SinkEvent event;
    event.kind = SinkEvent::Kind::InitStatus;
    event.result = status;
    event.flags = flags;
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    statusArrived_.notify_all();
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

void RecordingSink::FailIndicateWith(HRESULT failure) {
    std::lock_guard lock(mutex_);
    indicateFailure_ = failure;
}

std::vector<SinkEvent> RecordingSink::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<norv::win::ComPtr<IWbemClassObject>> RecordingSink::Objects() const {
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects;
    std::lock_guard lock(mutex_);
    for (const SinkEvent& event : events_)
        objects.insert(objects.end(), event.objects.begin(), event.objects.end());
    return objects;
}

std::vector<SinkEvent> RecordingSink::FinalStatuses() const {
    std::vector<SinkEvent> statuses;
    std::lock_guard lock(mutex_);
    for (const SinkEvent& event : events_)
        if (event.kind == SinkEvent::Kind::Status && event.flags == WBEM_STATUS_COMPLETE)
            statuses.push_back(event);
    return statuses;
}

std::vector<SinkEvent> RecordingSink::InitStatuses() const {
    std::vector<SinkEvent> statuses;
    std::lock_guard lock(mutex_);
    for (const SinkEvent& event : events_)
        if (event.kind == SinkEvent::Kind::InitStatus) statuses.push_back(event);
    return statuses;
}

bool RecordingSink::HasFinalStatus() const {
    for (const SinkEvent& event : events_) {
        if (event.kind == SinkEvent::Kind::InitStatus) return true;
        if (event.kind == SinkEvent::Kind::Status && event.flags == WBEM_STATUS_COMPLETE)
            return true;
    }
    return false;
}

bool RecordingSink::WaitForFinalStatus(DWORD milliseconds) const {
    std::unique_lock lock(mutex_);
    return statusArrived_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [this] { return HasFinalStatus(); });
}

}  // namespace norvwmi
