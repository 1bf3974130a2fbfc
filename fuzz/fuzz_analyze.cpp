// Stream analysis over arbitrary bytes: leading-data skip, first-frame
// search, Xing/LAME header, frame index and seek queries. The first byte
// chooses what the reader pretends to be (bit 0 remote, bit 1 live, bit 2
// size unknown, bit 3 served by a library server); the next eight give a
// frame limit and a seek target; the rest is the stream.
#include "input/MpegStreamAnalysis.h"
#include "tests/input/MemoryTestReader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

void CheckIndex(const MpegStreamAnalysis& a, int64_t size) {
    for (int i = 0; i < a.frameIndex.GetCount(); ++i) {
        Check(a.frameIndex[i] >= a.firstAudioPosition);
        Check(i == 0 || a.frameIndex[i] > a.frameIndex[i - 1]);
        Check(a.frameIndex[i] + 4 <= size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9 || size > (size_t(4) << 20)) return 0;
    const uint8_t mode = data[0];
    const int limit = int(data[1] | data[2] << 8) - 2; // also 0 and below: no limit
    int64_t target = 0;
    for (int i = 3; i < 9; ++i)
        target = target << 8 | data[i];
    target -= int64_t(1) << 40; // negative targets too
    std::vector<uint8_t> stream(data + 9, data + size);
    const int64_t streamSize = int64_t(stream.size());

    MemoryTestReader reader(std::move(stream));
    reader.Local(!(mode & 1)).Live(mode & 2).SizeUnknown(mode & 4);
    if (mode & 8) reader.Info(L"X-Corvel-Library-Server", L"1");

    MpegStreamAnalysis a;
    if (a.Analyze(&reader) != 0) {
        // Queries on a failed analysis must stay harmless too.
        int64_t preRoll = 0, skip = 0;
        a.GetSeekPosition(&reader, target, preRoll, skip);
        a.GetTotalSamples(&reader, true);
        return 0;
    }
    Check(reader.GetPosition() == a.firstAudioPosition);
    Check(a.firstAudioPosition >= 0 && a.firstAudioPosition < streamSize);
    Check(a.firstFrame.frameLength > 0 && a.firstFrame.sampleRate > 0);
    CheckIndex(a, streamSize);

    int64_t covered = 0;
    a.IndexFrames(&reader, limit, covered);
    Check(covered >= 0);
    Check(reader.GetPosition() == a.firstAudioPosition);
    int64_t preRoll = 0, skip = 0;
    const int64_t position = a.GetSeekPosition(&reader, target, preRoll, skip);
    Check(position >= a.firstAudioPosition && position < streamSize);
    Check(preRoll >= 0 && skip >= 0);
    Check(skip < a.firstFrame.samplesPerFrame || target / a.firstFrame.samplesPerFrame > INT32_MAX);
    a.GetTotalSamples(&reader, mode & 16);
    a.IndexAllFrames(&reader);
    CheckIndex(a, streamSize);
    Check(reader.GetPosition() == a.firstAudioPosition);
    return 0;
}
