#include "provider/event_filtering_sink.h"

#include "com/class_object.h"
#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "platform/win_resource.h"

namespace norvwmi {
namespace {

// The class itself or one derived from it.
bool IsA(IWbemClassObject* object, const std::wstring& className) {
    norv::win::UniqueVariant name;
    if (SUCCEEDED(object->Get(L"__CLASS", 0, &name, nullptr, nullptr)) && V_VT(&name) == VT_BSTR &&
        ::CompareStringOrdinal(V_BSTR(&name), -1, className.c_str(), -1, TRUE) == CSTR_EQUAL) {
        return true;
    }
    return object->InheritsFrom(className.c_str()) == WBEM_S_NO_ERROR;
}

bool TargetIsA(IWbemClassObject* event, const std::wstring& className) {
    norv::win::UniqueVariant target;
    if (FAILED(event->Get(L"TargetInstance", 0, &target, nullptr, nullptr)) ||
        V_VT(&target) != VT_UNKNOWN || !V_UNKNOWN(&target)) {
        return false;
    }
    norv::win::ComPtr<IWbemClassObject> instance;
    if (FAILED(V_UNKNOWN(&target)->QueryInterface(__uuidof(IWbemClassObject),
                                                  instance.put_void()))) {
        return false;
    }
    return IsA(instance.get(), className);
}

}  // namespace

EventFilteringSink::EventFilteringSink(EventQuery query, const EventHandler& handler)
    : query_(std::move(query)),
      eventClass_(Utf8ToWide(query_.eventClass)),
      targetClass_(Utf8ToWide(query_.targetClass)),
      handler_(handler) {}

HRESULT STDMETHODCALLTYPE EventFilteringSink::Indicate(LONG count, IWbemClassObject** objects) {
    if (count < 0 || (count > 0 && !objects)) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    for (LONG i = 0; i < count; ++i) {
        if (objects[i] && Matches(objects[i])) {
            ++delivered_;
            handler_(objects[i]);
        }
    }
    return WBEM_S_NO_ERROR;
}

HRESULT STDMETHODCALLTYPE EventFilteringSink::SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) {
    return WBEM_S_NO_ERROR;
}

std::size_t EventFilteringSink::Delivered() {
    std::lock_guard lock(mutex_);
    return delivered_;
}

bool EventFilteringSink::Matches(IWbemClassObject* event) const {
    if (!IsA(event, eventClass_)) return false;
    if (query_.intrinsic && !TargetIsA(event, targetClass_)) return false;
    if (!query_.condition) return true;
    const ClassObject* own = ClassObject::Implementation(event);
    return own && ConditionHolds(*query_.condition, own->Snapshot());
}

}  // namespace norvwmi
