#pragma once

// Shared by the fuzz targets, which build both under libFuzzer (clang) and
// in the replay tests (g++), so nothing here is clang-only.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

// A broken property aborts: libFuzzer then keeps the input as a crash, and
// a replay test fails on it.
[[noreturn]] inline void fuzzFail(const char *file, int line, const char *condition)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// For a harness's own per-byte loops: their edges and comparisons tell the
// fuzzer nothing about the code under test, and tracing them costs
// much of the run time. The code they call keeps its coverage.
#if defined(__clang__)
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_NO_COVERAGE
#endif

#define FUZZ_CHECK(condition) ((condition) ? void(0) : fuzzFail(__FILE__, __LINE__, #condition))
