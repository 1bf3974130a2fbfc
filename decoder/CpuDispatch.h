#pragma once
// CpuDispatch: which build of the decoder's hot loops runs. Each hot loop is
// compiled twice from one source: for the x86-64 baseline (SSE2) and for
// AVX2 with BMI2. The AVX2 build may arrange the work differently (four
// synthesis steps' DCTs or four subbands' IMDCTs side by side), but both
// perform the same IEEE operations on every value in the same order (no FMA
// contraction, no reassociation), so their output is identical bit for bit.
//
// The choice is made once, when the library is loaded: AVX2 when the CPU has
// it, unless TONEHALL_DECODER_ISA=generic asks for the baseline build (for
// comparisons). Tests switch with Select().

// A hot loop's two entry points: the baseline one and the AVX2 one. `flatten`
// inlines everything the loop calls, so that the whole loop is compiled for
// the entry point's instruction set (a call out would land in baseline code).
#define TONEHALL_GENERIC_KERNEL __attribute__((flatten))
#if defined(__x86_64__)
#define TONEHALL_AVX2_KERNEL __attribute__((target("avx2,bmi,bmi2,popcnt"), flatten))
#else
#define TONEHALL_AVX2_KERNEL TONEHALL_GENERIC_KERNEL
#endif
// For the helpers of a hot loop, which must be inlined into both entry points.
#define TONEHALL_INLINE inline __attribute__((always_inline))

enum class DecoderIsa { Generic, Avx2 };

class CpuDispatch {
public:
    static bool UseAvx2() { return s_active == DecoderIsa::Avx2; }
    static DecoderIsa Active() { return s_active; }
    static bool Supported(DecoderIsa isa);
    // False (nothing changes) when the CPU lacks `isa`. Not thread-safe: for
    // tests and benchmarks, before any decoding starts.
    static bool Select(DecoderIsa isa);

private:
    static DecoderIsa Choose();
    static DecoderIsa s_active;
};
