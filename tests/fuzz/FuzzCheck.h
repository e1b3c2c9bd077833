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

#define FUZZ_CHECK(condition) ((condition) ? void(0) : fuzzFail(__FILE__, __LINE__, #condition))
