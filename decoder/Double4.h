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

inline __attribute__((always_inline)) void Store4(void* p, Double4 v) {
    std::memcpy(p, &v, sizeof v);
}

inline __attribute__((always_inline)) Double4 Splat4(double x) {
    return Double4{x, x, x, x};
}

// {a0, b0, a1, b1} and {a2, b2, a3, b3}: two channels interleaved.
inline __attribute__((always_inline)) Double4 InterleaveLow(Double4 a, Double4 b) {
#if defined(__clang__)
    return __builtin_shufflevector(a, b, 0, 4, 1, 5);
#else
    return __builtin_shuffle(a, b, Long4{0, 4, 1, 5});
#endif
}

inline __attribute__((always_inline)) Double4 InterleaveHigh(Double4 a, Double4 b) {
#if defined(__clang__)
    return __builtin_shufflevector(a, b, 2, 6, 3, 7);
#else
    return __builtin_shuffle(a, b, Long4{2, 6, 3, 7});
#endif
}
