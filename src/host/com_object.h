// What every COM object of the module and of its host does alike: QueryInterface over the
// interfaces it implements, a reference count whose last Release ends the object, and what
// the object's life holds (for the module's objects a module lock, for the host's a count of
// its live objects).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <concepts>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/win_resource.h"

namespace norv::win {

// Answers QueryInterface for IUnknown (through the first interface listed) and for each
// listed interface, with a reference taken on success.
template <typename First, typename... Others, typename Object>
HRESULT QueryInterfaceAmong(Object* object, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(First)) {
        *out = static_cast<First*>(object);
    } else {
        (void)((iid == __uuidof(Others) && (*out = static_cast<Others*>(object)) != nullptr) ||
               ...);
    }
    if (!*out) return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

// A COM object's reference count.
class ReferenceCount {
public:
    ULONG Add() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
    // The count left after this release.
    ULONG Remove() noexcept { return static_cast<ULONG>(::InterlockedDecrement(&count_)); }

private:
    LONG count_ = 0;
};

// A lifetime that counts the references itself, because what it holds depends on the count
// (a class object holds the module only beyond the class table's own reference).
template <typename Lifetime>
concept CountsReferences = requires(Lifetime lifetime) {
    { lifetime.Add() } -> std::same_as<ULONG>;
    { lifetime.Remove() } -> std::same_as<ULONG>;
};

// A plain count beside a lifetime that holds its thing for the object's whole life.
template <typename Lifetime>
struct CountBeside : ReferenceCount {
    Lifetime held;
};

// Derived implements the interfaces. Lifetime is a member made with the object and gone with
// it. The object starts with no reference; its last Release calls Derived's LastReleased,
// which deletes it unless Derived has its own (an object whose end waits for a worker).
template <typename Derived, typename Lifetime, typename First, typename... Others>
class ComObject : public First, public Others... {
    using Count = std::conditional_t<CountsReferences<Lifetime>, Lifetime, CountBeside<Lifetime>>;

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // A new object with one reference. Throws std::bad_alloc, as a constructor may.
    template <typename... Args>
    static ComPtr<Derived> Create(Args&&... args) {
        return ComPtr<Derived>(new Derived(std::forward<Args>(args)...));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        return QueryInterfaceAmong<First, Others...>(static_cast<Derived*>(this), iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return count_.Add(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = count_.Remove();
        if (left == 0) static_cast<Derived*>(this)->LastReleased();
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // Through the virtual destructor, so that Derived may keep its own private.
    void LastReleased() noexcept { delete this; }

    const Count& Counted() const noexcept { return count_; }

private:
    Count count_;
};

}  // namespace norv::win
