// Decodes one MPEG audio file with the decoder as the input source drives it
// (16384-byte reads queued, one frame per call) and prints the throughput.
// Usage: bench_decode FILE [REPEATS]
// Output: "<seconds of audio> <best CPU seconds> <x realtime> <frames>". CPU
// time rather than wall time, so that other work on the machine does not count.
#include "decoder/MpegDecoderState.h"
#include "tags/CID3v2Header.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr size_t kReadSize = 16384; // what the input source reads per call

std::vector<uint8_t> ReadFile(const char* path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return bytes;
    uint8_t block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    std::fclose(f);
    return bytes;
}

struct Parameters {
    int32_t version = 0, layer = 0, rate = 0;
};

// The first header after any ID3v2 tag.
bool FindParameters(const std::vector<uint8_t>& b, Parameters& p) {
    size_t i = 0;
    CID3v2Header tag;
    if (tag.Parse(b.data(), b.size())) i = size_t(tag.GetTotalLength());
    for (; i + 4 <= b.size(); ++i) {
        const uint32_t word = FrameHeaderWord(&b[i]);
        FrameHeader header;
        if (!HasFrameSync(word) || !DecodeFrameHeader(word, header)) continue;
        p.version = VersionCode(header);
        p.layer = header.layer;
        p.rate = header.sampleRate;
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPEATS]\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> bytes = ReadFile(argv[1]);
    Parameters p;
    if (bytes.empty() || !FindParameters(bytes, p)) {
        std::fprintf(stderr, "%s: no MPEG audio found\n", argv[1]);
        return 1;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    auto state = std::make_unique<MpegDecoderState>();
    InitDecoder(*state);
    std::vector<double> output(kMinOutputCapacity / sizeof(double));
    double best = 1e30, audioSeconds = 0, checksum = 0;
    int64_t frames = 0;
    for (int run = 0; run < repeats; ++run) {
        ResetDecoder(*state);
        int64_t sampleFrames = 0;
        frames = 0;
        size_t offset = 0;
        const std::clock_t start = std::clock();
        for (;;) {
            int32_t bitrate = 0, done = 0;
            const int32_t r = DecodeFrame(*state, output.data(), kMinOutputCapacity, p.version,
                                          p.layer, p.rate, 0, bitrate, done);
            if (r == DECODE_OK) {
                ++frames;
                sampleFrames += done / 8 / state->header.channels;
                if (done > 0) checksum += output[0];
            } else if (r == DECODE_NEED_MORE) {
                if (offset >= bytes.size()) break;
                const size_t n = std::min(kReadSize, bytes.size() - offset);
                QueueDecoderInput(*state, bytes.data() + offset, static_cast<int32_t>(n), offset);
                offset += n;
            }
        }
        const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        best = std::min(best, seconds);
        audioSeconds = static_cast<double>(sampleFrames) / p.rate;
    }
    FreeDecoder(*state);
    std::printf("%.3f %.4f %.1f %lld\n", audioSeconds, best, audioSeconds / best,
                static_cast<long long>(frames));
    std::fprintf(stderr, "checksum %g\n", checksum);
    return 0;
}
