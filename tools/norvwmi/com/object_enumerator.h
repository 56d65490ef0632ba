// IEnumWbemClassObject: the objects of a query or instance enumeration, handed out in
// batches by Next.
//
// Next(timeout, count) hands out up to `count` objects: WBEM_S_NO_ERROR when it
// delivered `count`, WBEM_S_FALSE when the enumeration ended first. An enumeration of a
// class that is set to stall (ServedNamespaces::SetStall) delivers its first objects and
// then withholds the rest: Next waits its time-out (cut to the host's wait limit) and
// returns WBEM_S_TIMEDOUT with what it has. WBEM_INFINITE would wait forever under WMI;
// the host waits its wait limit and fails the call with WBEM_E_TIMED_OUT, handing out
// nothing, so that a client that hangs is seen rather than hanging the host.
// A query that failed in a semisynchronous call reports its failure from Next.
#pragma once

#include <wbemcli.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "com/host_com_object.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

struct EnumerationBehaviour {
    bool forwardOnly = false;                 // WBEM_FLAG_FORWARD_ONLY: no Reset or Clone
    std::optional<std::uint32_t> stallAfter;  // objects handed out before the stall
    HRESULT failure = WBEM_S_NO_ERROR;        // reported by Next instead of objects
};

class ObjectEnumerator final : public ComObject<ObjectEnumerator, IEnumWbemClassObject> {
public:
    ObjectEnumerator(std::vector<norv::win::ComPtr<IWbemClassObject>> objects,
                     EnumerationBehaviour behaviour,
                     std::shared_ptr<const ServedNamespaces> served);

    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                   ULONG* returned) override;
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG count, IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject** copy) override;
    HRESULT STDMETHODCALLTYPE Skip(LONG timeout, ULONG count) override;

private:
    // How many objects may be handed out now, and whether the rest are withheld.
    std::size_t Available() const;
    bool Stalled() const;
    // Waits as a stalled enumeration does; false when the time-out was WBEM_INFINITE.
    bool WaitOut(LONG timeout) const;

    std::mutex mutex_;
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects_;
    std::size_t position_ = 0;
    const EnumerationBehaviour behaviour_;
    const std::shared_ptr<const ServedNamespaces> served_;
};

}  // namespace norvwmi
