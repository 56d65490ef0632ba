// What every fuzz target with invariants of its own shares: the entry point's declaration
// and REQUIRE, which names the broken invariant's file and line before aborting, so that a
// finding reads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace norv::fuzz {

inline void Require(bool condition, const char* file, int line) {
    if (condition) return;
    std::fprintf(stderr, "%s: invariant of line %d broken\n", file, line);
    std::abort();
}

}  // namespace norv::fuzz

#define REQUIRE(condition) ::norv::fuzz::Require(condition, __FILE__, __LINE__)
