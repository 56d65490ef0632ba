// RAII owners for the Windows resources the provider touches: kernel handles,
// registry keys, COM pointers, BSTRs, VARIANTs and SAFEARRAYs. One type per kind
// of resource; provider code never calls Release, CloseHandle or the *Free
// functions by hand.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <type_traits>
#include <utility>

namespace norv::win {

// A unique owner of a value closed by Close. Closing preserves the thread's
// last-error code, so a caller can read it after the owner went out of scope.
template <typename T, auto Close, T Invalid>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid; }
    T* put() noexcept {
        reset();
        return &value_;
    }
    T release() noexcept { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) noexcept {
        if (value_ != Invalid) {
            const DWORD lastError = ::GetLastError();
            Close(value_);
            ::SetLastError(lastError);
        }
        value_ = value;
    }
    // Closes now and reports whether closing succeeded (for owners that log it); a Close
    // that returns nothing counts as success.
    bool close() noexcept {
        if (value_ == Invalid) return true;
        if constexpr (std::is_void_v<decltype(Close(value_))>) {
            Close(release());
            return true;
        } else {
            return Close(release()) != 0;
        }
    }

private:
    T value_ = Invalid;
};

namespace detail {
inline BOOL CloseKernelHandle(HANDLE h) noexcept { return ::CloseHandle(h); }
inline void CloseRegistryKey(HKEY k) noexcept { ::RegCloseKey(k); }
inline void FreeBstr(BSTR s) noexcept { ::SysFreeString(s); }
inline void DestroySafeArray(SAFEARRAY* a) noexcept { ::SafeArrayDestroy(a); }
inline void FreeHeap(void* p) noexcept { ::HeapFree(::GetProcessHeap(), 0, p); }
}  // namespace detail

// Handles that are null when absent (mutexes, semaphores, processes, threads).
using UniqueHandle = UniqueResource<HANDLE, detail::CloseKernelHandle, nullptr>;
using UniqueHkey = UniqueResource<HKEY, detail::CloseRegistryKey, nullptr>;
using UniqueBstr = UniqueResource<BSTR, detail::FreeBstr, nullptr>;
using UniqueSafeArray = UniqueResource<SAFEARRAY*, detail::DestroySafeArray, nullptr>;
using UniqueHeapBuffer = UniqueResource<void*, detail::FreeHeap, nullptr>;

// File handles are INVALID_HANDLE_VALUE when absent; that is not a constant
// expression, so this owner spells it out.
class UniqueFile {
public:
    UniqueFile() noexcept = default;
    explicit UniqueFile(HANDLE h) noexcept : h_(h) {}
    UniqueFile(UniqueFile&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
    UniqueFile& operator=(UniqueFile&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    ~UniqueFile() { reset(); }

    HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) noexcept {
        if (*this) {
            const DWORD lastError = ::GetLastError();
            ::CloseHandle(h_);
            ::SetLastError(lastError);
        }
        h_ = h;
    }
    // Closes now and reports whether CloseHandle succeeded (for callers that log it).
    bool close() noexcept {
        if (!*this) return true;
        const BOOL ok = ::CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE));
        return ok != FALSE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A counted COM reference.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a reference of its own.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) noexcept : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference that the caller already owns.
    static ComPtr attach(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    template <typename U>
    HRESULT query(ComPtr<U>& out) const noexcept {
        return p_ ? p_->QueryInterface(__uuidof(U), out.put_void()) : E_POINTER;
    }

private:
    T* p_ = nullptr;
};

// A VARIANT that is always initialised and always cleared.
class UniqueVariant : public VARIANT {
public:
    UniqueVariant() noexcept { ::VariantInit(this); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { ::VariantClear(this); }
    VARIANT* put() noexcept {
        ::VariantClear(this);
        return this;
    }
    void reset() noexcept { ::VariantClear(this); }
};

}  // namespace norv::win

// Errors as values: leave the function with the failure, keep paths flat.
#define NORV_RETURN_IF_FAILED(expr)                \
    do {                                           \
        const HRESULT norv_hr_ = (expr);           \
        if (FAILED(norv_hr_)) return norv_hr_;     \
    } while (0)

// The catch-all at every COM entry point: memory exhaustion becomes an HRESULT.
#define NORV_CATCH_RETURN()                                   \
    catch (const std::bad_alloc&) { return E_OUTOFMEMORY; }   \
    catch (...) { return E_UNEXPECTED; }
