// The host's COM objects are the module's design of a COM object (src/host/com_object.h) with
// a count of the host's live objects as what their life holds: a test that hands out objects
// and releases every reference sees the count return to where it was.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "host/com_object.h"
#include "platform/win_resource.h"

namespace norvwmi {

// The host's COM objects alive now (all kinds together).
long LiveComObjects();

namespace detail {
void CountComObject(long delta);
}

// One live object for the life of its owner.
class LiveComObject {
public:
    LiveComObject() noexcept { detail::CountComObject(+1); }
    ~LiveComObject() { detail::CountComObject(-1); }
    LiveComObject(const LiveComObject&) = delete;
    LiveComObject& operator=(const LiveComObject&) = delete;
};

// Derived implements the interfaces; it is created with one reference by Create and deletes
// itself when the last reference goes.
template <typename Derived, typename... Interfaces>
using ComObject = norv::win::ComObject<Derived, LiveComObject, Interfaces...>;

// Hands a new reference to an out-parameter of a COM method.
template <typename Interface, typename Object>
void HandOut(const norv::win::ComPtr<Object>& object, Interface** out) {
    Interface* pointer = object.get();
    pointer->AddRef();
    *out = pointer;
}

}  // namespace norvwmi
