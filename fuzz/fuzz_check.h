// A check inside a fuzz target: a broken promise of the code under test is
// reported like a crash, so that libFuzzer keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KESGEN_FUZZ_CHECK(condition)                                                              \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)
