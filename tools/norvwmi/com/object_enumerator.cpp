#include "com/object_enumerator.h"

#include <algorithm>

#include "com/wbem_hresult.h"

namespace norvwmi {

namespace {

bool ValidTimeout(LONG timeout) {
    return timeout >= 0 || timeout == static_cast<LONG>(WBEM_INFINITE);
}

}  // namespace

ObjectEnumerator::ObjectEnumerator(std::vector<norv::win::ComPtr<IWbemClassObject>> objects,
                                   EnumerationBehaviour behaviour,
                                   std::shared_ptr<const ServedNamespaces> served)
    : objects_(std::move(objects)), behaviour_(behaviour), served_(std::move(served)) {}

std::size_t ObjectEnumerator::Available() const {
    std::size_t end = objects_.size();
    if (behaviour_.stallAfter) end = std::min<std::size_t>(end, *behaviour_.stallAfter);
    return end > position_ ? end - position_ : 0;
}

bool ObjectEnumerator::Stalled() const {
    return position_ + Available() < objects_.size();
}

bool ObjectEnumerator::WaitOut(LONG timeout) const {
    const std::uint32_t limit = served_->WaitLimit();
    const bool infinite = timeout == static_cast<LONG>(WBEM_INFINITE);
    const DWORD wait = infinite ? limit : std::min<DWORD>(static_cast<DWORD>(timeout), limit);
    if (wait > 0) ::Sleep(wait);
    return !infinite;
}

HRESULT ObjectEnumerator::Reset() {
    if (behaviour_.forwardOnly) return Wbem(WBEM_E_INVALID_OPERATION);
    std::lock_guard lock(mutex_);
    position_ = 0;
    return WBEM_S_NO_ERROR;
}

HRESULT ObjectEnumerator::Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                               ULONG* returned) {
    if (!objects || !returned || !ValidTimeout(timeout)) return Wbem(WBEM_E_INVALID_PARAMETER);
    *returned = 0;
    if (FAILED(behaviour_.failure)) return behaviour_.failure;
    std::unique_lock lock(mutex_);
    const std::size_t handed = std::min<std::size_t>(count, Available());
    const bool stalled = handed < count && Stalled();
    if (served_) {
        served_->RecordNext({static_cast<std::int32_t>(timeout), static_cast<std::uint32_t>(count),
                             stalled && timeout == static_cast<LONG>(WBEM_INFINITE)
                                 ? 0u
                                 : static_cast<std::uint32_t>(handed)});
    }
    if (stalled && timeout == static_cast<LONG>(WBEM_INFINITE)) {
        lock.unlock();
        WaitOut(timeout);
        return Wbem(WBEM_E_TIMED_OUT);
    }
    for (std::size_t i = 0; i < handed; ++i) {
        auto& object = objects_[position_ + i];
        // A forward-only enumerator lets go of what it handed out.
        objects[i] = behaviour_.forwardOnly ? object.detach() : (object->AddRef(), object.get());
    }
    position_ += handed;
    *returned = static_cast<ULONG>(handed);
    lock.unlock();
    if (handed == count) return WBEM_S_NO_ERROR;
    if (!stalled) return WBEM_S_FALSE;
    WaitOut(timeout);
    return WBEM_S_TIMEDOUT;
}

HRESULT ObjectEnumerator::NextAsync(ULONG, IWbemObjectSink*) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}

HRESULT ObjectEnumerator::Clone(IEnumWbemClassObject** copy) try {
    if (!copy) return Wbem(WBEM_E_INVALID_PARAMETER);
    if (behaviour_.forwardOnly) return Wbem(WBEM_E_INVALID_OPERATION);
    std::lock_guard lock(mutex_);
    auto clone = ObjectEnumerator::Create(objects_, behaviour_, served_);
    clone->position_ = position_;
    HandOut(clone, copy);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ObjectEnumerator::Skip(LONG timeout, ULONG count) {
    if (!ValidTimeout(timeout)) return Wbem(WBEM_E_INVALID_PARAMETER);
    if (FAILED(behaviour_.failure)) return behaviour_.failure;
    std::unique_lock lock(mutex_);
    const std::size_t skipped = std::min<std::size_t>(count, Available());
    const bool stalled = skipped < count && Stalled();
    if (behaviour_.forwardOnly)
        for (std::size_t i = 0; i < skipped; ++i) objects_[position_ + i].reset();
    position_ += skipped;
    lock.unlock();
    if (skipped == count) return WBEM_S_NO_ERROR;
    if (!stalled) return WBEM_S_FALSE;
    return WaitOut(timeout) ? static_cast<HRESULT>(WBEM_S_TIMEDOUT) : Wbem(WBEM_E_TIMED_OUT);
}

}  // namespace norvwmi
