#pragma once
// A property that does not hold ends the run with the input libFuzzer keeps for it.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (0)
