// Holds a NamedLock for the life of a scope: taken on construction, released on every path
// out of the scope. Nested scopes release in the reverse order of taking.
#pragma once

#include "platform/named_lock.h"

namespace norv {

class NamedLockScope {
public:
    explicit NamedLockScope(NamedLock& lock) : lock_(lock) { lock_.Lock(); }
    ~NamedLockScope() { lock_.Unlock(); }
    NamedLockScope(const NamedLockScope&) = delete;
    NamedLockScope& operator=(const NamedLockScope&) = delete;

private:
    NamedLock& lock_;
};

}  // namespace norv
