// Layer III frames with valid headers around arbitrary bodies, so that every
// input reaches the side information, the bit reservoir, the scale factors and
// the Huffman decoder. The first byte picks MPEG-1, MPEG-2 or MPEG-2.5 and the
// sample rate; then each frame takes two bytes for its header (bitrate index and
// padding; channel mode, mode extension and CRC flag) and its body from the data.
// Checks that every sample written is finite and within -1..1 and that a frame
// never writes more than it may.
#include "decoder/MpegDecoderState.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
constexpr int32_t kKbps[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 1 << 16) return 0;
    const int family = data[0] % 3; // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    const int rateIndex = (data[0] >> 2) % 3;
    const int32_t rate = kRates[family][rateIndex];
    const int32_t version = family == 0 ? 10 : family == 1 ? 20 : 25;
    const bool lsf = family != 0;

    std::vector<uint8_t> stream;
    size_t at = 1;
    while (at + 1 < size) {
        const uint8_t first = data[at++], second = data[at++];
        const int bitrateIndex = 1 + (first & 0x7F) % 14;
        const int padding = first >> 7;
        const int mode = second & 3;
        const int modeExtension = (second >> 2) & 3;
        const bool crc = (second & 0x10) != 0;
        const uint8_t versionBits = family == 0 ? 3 : family == 1 ? 2 : 0;
        stream.push_back(0xFF);
        stream.push_back(static_cast<uint8_t>(0xE0 | versionBits << 3 | 1 << 1 | (crc ? 0 : 1)));
        stream.push_back(static_cast<uint8_t>(bitrateIndex << 4 | rateIndex << 2 | padding << 1));
        stream.push_back(static_cast<uint8_t>(mode << 6 | modeExtension << 4));
        const int body = kKbps[lsf][bitrateIndex] * 144000 / (rate << (lsf ? 1 : 0)) + padding - 4;
        for (int i = 0; i < body; ++i)
            stream.push_back(at < size ? data[at++] : 0);
    }

    auto state = std::make_unique<MpegDecoderState>();
    InitDecoder(*state);
    QueueDecoderInput(*state, stream.data(), static_cast<int32_t>(stream.size()), 0);
    std::vector<double> output(kMinOutputCapacity / sizeof(double));
    for (int frames = 0; frames < 1000; ++frames) {
        int32_t bitrate = 0, done = 0;
        const int32_t r = DecodeFrame(*state, output.data(), kMinOutputCapacity, version, 3, rate,
                                      0, bitrate, done);
        if (r == DECODE_NEED_MORE) break;
        const int32_t limit = (lsf ? 576 : 1152) * state->header.channels * 8;
        if (done < 0 || done > limit) abort();
        for (int32_t i = 0; i < done / 8; ++i)
            if (!(std::fabs(output[i]) <= 1.0)) abort();
    }
    FreeDecoder(*state);
    return 0;
}
