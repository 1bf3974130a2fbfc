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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 1 << 16) return 0;
    const int family = data[0] % 3; // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    const int rateIndex = (data[0] >> 2) % 3;
    const uint8_t versionBits = family == 0 ? 3 : family == 1 ? 2 : 0;

    // The stream's parameters, from a header of its version and rate.
    const uint8_t probe[4] = {0xFF, static_cast<uint8_t>(0xE2 | versionBits << 3),
                              static_cast<uint8_t>(1 << 4 | rateIndex << 2), 0};
    FrameHeader header;
    if (!DecodeFrameHeader(FrameHeaderWord(probe), header)) abort();
    const int32_t version = VersionCode(header);
    const int32_t rate = header.sampleRate;
    const bool lsf = header.lsf != 0;

    std::vector<uint8_t> stream;
    size_t at = 1;
    while (at + 1 < size) {
        const uint8_t first = data[at++], second = data[at++];
        const int bitrateIndex = 1 + (first & 0x7F) % 14;
        const int padding = first >> 7;
        const int mode = second & 3;
        const int modeExtension = (second >> 2) & 3;
        const bool crc = (second & 0x10) != 0;
        const uint8_t bytes[4] = {
            0xFF, static_cast<uint8_t>(0xE0 | versionBits << 3 | 1 << 1 | (crc ? 0 : 1)),
            static_cast<uint8_t>(bitrateIndex << 4 | rateIndex << 2 | padding << 1),
            static_cast<uint8_t>(mode << 6 | modeExtension << 4)};
        if (!DecodeFrameHeader(FrameHeaderWord(bytes), header)) abort();
        stream.insert(stream.end(), bytes, bytes + 4);
        const int body = header.frameLength + header.padding - 4;
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
