// What a test puts in an out pointer before a call that must fail: the call has to clear it.
#pragma once

#include <cstdint>

namespace norv::test {

inline void* const kOutSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xdeadbeef));

}  // namespace norv::test
