// DecodeFrame over arbitrary bytes. The first byte picks the stream
// parameters (including Layer I and rates that belong to no version), the
// second seeds the chunk sizes in which the rest is queued; some runs reset
// the decoder halfway, as a seek does, and some deliver every frame in one
// channel layout, as the input source asks for.

#include "decoder/MpegDecoderState.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Parameters {
    int32_t version;
    int32_t layer;
    int32_t rate;
};

constexpr Parameters kParameters[] = {
    {10, 2, 44100}, {10, 2, 48000}, {10, 2, 32000}, {20, 2, 22050}, {20, 2, 24000},
    {20, 2, 16000}, {25, 2, 11025}, {25, 2, 12000}, {25, 2, 8000},  {10, 3, 44100},
    {10, 3, 48000}, {10, 3, 32000}, {20, 3, 22050}, {20, 3, 24000}, {20, 3, 16000},
    {25, 3, 11025}, {25, 3, 12000}, {25, 3, 8000},  {10, 1, 44100}, {20, 2, 44100},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Parameters& p = kParameters[data[0] % (sizeof kParameters / sizeof kParameters[0])];
    const bool resetHalfway = (data[0] & 0x80) != 0;
    const int32_t layout = (data[0] >> 5) & 3; // 0 and 3: each frame's own
    uint32_t chunkSeed = data[1] * 2654435761u + 1;
    data += 2;
    size -= 2;

    // One state for all runs, as the input source keeps one across seeks:
    // ResetDecoder must leave nothing of the previous input behind.
    static MpegDecoderState* state = [] {
        auto* s = new MpegDecoderState;
        InitDecoder(*s);
        return s;
    }();
    ResetDecoder(*state);
    SetDecoderOutputChannels(*state, layout);
    std::vector<uint8_t> output(kMinOutputCapacity);
    size_t offset = 0;
    bool didReset = false;
    while (offset < size) {
        chunkSeed = chunkSeed * 1664525u + 1013904223u;
        const size_t chunk = std::min<size_t>(size - offset, 1 + (chunkSeed >> 16) % 2048);
        if (!QueueDecoderInput(*state, data + offset, static_cast<int32_t>(chunk), offset)) break;
        offset += chunk;
        for (int guard = 0; guard < 10000; ++guard) {
            int32_t bitrate = 0;
            int32_t done = 0;
            const int32_t r = DecodeFrame(*state, output.data(), kMinOutputCapacity, p.version,
                                          p.layer, p.rate, 0, bitrate, done);
            if (r == DECODE_NEED_MORE) break;
            if (done < 0 || done > kMinOutputCapacity || done % 256 != 0) __builtin_trap();
            // Every written sample is a finite value in -1..1.
            for (int32_t i = 0; i < done / 8; ++i) {
                double v;
                std::memcpy(&v, output.data() + 8 * i, 8);
                if (!(v >= -1.0 && v <= 1.0)) __builtin_trap();
            }
        }
        if (resetHalfway && !didReset && offset >= size / 2) {
            ResetDecoder(*state);
            didReset = true;
        }
    }
    ResetDecoder(*state);
    return 0;
}
