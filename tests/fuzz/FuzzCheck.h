#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target checks: when it does not hold, the target names it and aborts, which
// libFuzzer reports as a crash and keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : FuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}
