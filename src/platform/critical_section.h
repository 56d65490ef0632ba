// A process-local critical section that records whether it could be initialised (the
// module refuses to load otherwise), and the scope that holds it.
#pragma once

#include <windows.h>

namespace norv::win {

class CriticalSection {
public:
    CriticalSection() noexcept
        : initialized_(::InitializeCriticalSectionEx(&section_, 0, 0) != FALSE) {}
    ~CriticalSection() {
        if (initialized_) ::DeleteCriticalSection(&section_);
    }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    bool Initialized() const noexcept { return initialized_; }
    void Enter() noexcept { ::EnterCriticalSection(&section_); }
    void Leave() noexcept { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_{};
    bool initialized_;
};

class CriticalSectionScope {
public:
    explicit CriticalSectionScope(CriticalSection& section) noexcept : section_(section) {
        section_.Enter();
    }
    ~CriticalSectionScope() { section_.Leave(); }
    CriticalSectionScope(const CriticalSectionScope&) = delete;
    CriticalSectionScope& operator=(const CriticalSectionScope&) = delete;

private:
    CriticalSection& section_;
};

}  // namespace norv::win
