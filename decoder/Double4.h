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

// {a[i0], a[i1], ...} with indices 4..7 taking b[0..3]. For the AVX2 build:
// the baseline build would shuffle across its two halves through memory.
template <int i0, int i1, int i2, int i3>
inline __attribute__((always_inline)) Double4 Shuffle4(Double4 a, Double4 b) {
#if defined(__clang__)
    return __builtin_shufflevector(a, b, i0, i1, i2, i3);
#else
    return __builtin_shuffle(a, b, Long4{i0, i1, i2, i3});
#endif
}

// Rows a, b, c, d become columns: in-lane unpacks, then 128-bit halves.
inline __attribute__((always_inline)) void Transpose4(Double4& a, Double4& b, Double4& c,
                                                      Double4& d) {
    const Double4 ab0 = Shuffle4<0, 4, 2, 6>(a, b); // a0 b0 a2 b2
    const Double4 ab1 = Shuffle4<1, 5, 3, 7>(a, b); // a1 b1 a3 b3
    const Double4 cd0 = Shuffle4<0, 4, 2, 6>(c, d);
    const Double4 cd1 = Shuffle4<1, 5, 3, 7>(c, d);
    a = Shuffle4<0, 1, 4, 5>(ab0, cd0);
    b = Shuffle4<0, 1, 4, 5>(ab1, cd1);
    c = Shuffle4<2, 3, 6, 7>(ab0, cd0);
    d = Shuffle4<2, 3, 6, 7>(ab1, cd1);
}

// {a0, b0, a1, b1} and {a2, b2, a3, b3}: two channels interleaved.
inline __attribute__((always_inline)) Double4 InterleaveLow(Double4 a, Double4 b) {
    return Shuffle4<0, 4, 1, 5>(a, b);
}

inline __attribute__((always_inline)) Double4 InterleaveHigh(Double4 a, Double4 b) {
    return Shuffle4<2, 6, 3, 7>(a, b);
}

inline __attribute__((always_inline)) Double4 Reverse4(Double4 a) {
    return Shuffle4<3, 2, 1, 0>(a, a);
}
