// The sinks WMI hands a provider, as recorders: every Indicate (keeping a reference to
// each object) and every SetStatus, in order, from any thread.
#pragma once

#include <wbemcli.h>
#include <wbemprov.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "com/host_com_object.h"

namespace norvwmi {

struct SinkEvent {
    enum class Kind { Indicate, Status, InitStatus };
    Kind kind = Kind::Indicate;
    // Indicate: the objects of the call.
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects;
    // Status: IWbemObjectSink::SetStatus; InitStatus: IWbemProviderInitSink::SetStatus
    // with its status in `result` and its flags in `flags`.
    LONG flags = 0;
    HRESULT result = 0;
    std::wstring text;
    norv::win::ComPtr<IWbemClassObject> object;
};

class RecordingSink final
    : public ComObject<RecordingSink, IWbemObjectSink, IWbemProviderInitSink> {
public:
    RecordingSink() = default;

    // IWbemObjectSink
    HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT result, BSTR text,
                                        IWbemClassObject* object) override;
    // IWbemProviderInitSink
    HRESULT STDMETHODCALLTYPE SetStatus(LONG status, LONG flags) override;

    // Makes later Indicate calls fail with this code (as a client that cancelled does).
    void FailIndicateWith(HRESULT failure);

    std::vector<SinkEvent> Events() const;
    // Every object indicated so far, in order.
    std::vector<norv::win::ComPtr<IWbemClassObject>> Objects() const;
    // The SetStatus calls with WBEM_STATUS_COMPLETE.
    std::vector<SinkEvent> FinalStatuses() const;
    std::vector<SinkEvent> InitStatuses() const;

    // Waits until a final SetStatus (IWbemObjectSink with WBEM_STATUS_COMPLETE, or
    // IWbemProviderInitSink) has arrived; false when the time-out passed first.
    bool WaitForFinalStatus(DWORD milliseconds) const;

private:
    bool HasFinalStatus() const;

    mutable std::mutex mutex_;
    mutable std::condition_variable statusArrived_;
    std::vector<SinkEvent> events_;
    HRESULT indicateFailure_ = WBEM_S_NO_ERROR;
};

}  // namespace norvwmi
