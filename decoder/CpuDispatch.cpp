#include "decoder/CpuDispatch.h"

#include <cstdlib>
#include <cstring>

DecoderIsa CpuDispatch::s_active = CpuDispatch::Choose();

bool CpuDispatch::Supported(DecoderIsa isa) {
    if (isa == DecoderIsa::Generic) return true;
#if defined(__x86_64__)
    // The AVX2 entry points are also compiled for BMI1/2 and POPCNT,
    // which every AVX2 CPU so far has, but the check costs nothing.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#else
    return false;
#endif
}

bool CpuDispatch::Select(DecoderIsa isa) {
    if (!Supported(isa)) return false;
    s_active = isa;
    return true;
}

DecoderIsa CpuDispatch::Choose() {
    const char* forced = std::getenv("TONEHALL_DECODER_ISA");
    if (forced != nullptr && std::strcmp(forced, "generic") == 0) return DecoderIsa::Generic;
    return Supported(DecoderIsa::Avx2) ? DecoderIsa::Avx2 : DecoderIsa::Generic;
}
