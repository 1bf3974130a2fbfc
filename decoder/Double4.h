#pragma once
// Four doubles as one value (GCC/Clang vector extension). Arithmetic on it is
// lane-wise IEEE arithmetic: an AVX2 build does it in one ymm register, a
// baseline build in two xmm registers, with the same result bit for bit.
// Meant for always-inlined helpers of the hot loops only: as a parameter of
// an out-of-line function its passing would depend on the instruction set.

#include <cstring>

typedef double Double4 __attribute__((vector_size(32)));
typedef long long Long4 __attribute__((vector_size(32)));

// Unaligned: the decoder state lives wherever its owner puts it.
inline __attribute__((always_inline)) Double4 Load4(const double* p) {
    Double4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline __attribute__((always_inline)) void Store4(double* p, Double4 v) {
    std::memcpy(p, &v, sizeof v);
}

inline __attribute__((always_inline)) Double4 Splat4(double x) {
    return Double4{x, x, x, x};
}
