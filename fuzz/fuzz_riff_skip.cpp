// Leading-data skip over arbitrary bytes, aimed at RIFF/WAVE wrappers: the
// first byte says where the skip starts (bit 0: behind a "RIFF" that the
// target puts in front, so every run reaches the chunk search; bit 1: a
// later round, where zero bytes are not skipped); the rest is the stream.
// A RIFF header is judged against the rule itself: its "data" chunk must
// show within the first kRiffSearchBytes, and the skip lands behind it.
#include "input/MpegStreamAnalysis.h"
#include "tests/input/MemoryTestReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

// Offset behind the first "data" within the search window, or -1.
int64_t ExpectedRiffEnd(const std::vector<uint8_t>& s) {
    using A = MpegStreamAnalysis;
    if (s.size() < size_t(A::kRiffSearchBytes)) return -1;
    for (int i = 0; i + 4 <= A::kRiffSearchBytes; ++i)
        if (std::memcmp(s.data() + i, "data", 4) == 0) return i + 4;
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (size_t(1) << 20)) return 0;
    const uint8_t mode = data[0];
    std::vector<uint8_t> stream;
    if (mode & 1) stream.assign({'R', 'I', 'F', 'F'});
    stream.insert(stream.end(), data + 1, data + size);
    const bool riff = stream.size() >= 4 && std::memcmp(stream.data(), "RIFF", 4) == 0;
    const int64_t riffEnd = riff ? ExpectedRiffEnd(stream) : -1;

    MemoryTestReader reader(stream);
    MpegStreamAnalysis a;
    const int64_t skipped = a.SkipLeadingData(&reader, !(mode & 2));
    if (riff) {
        // Later rounds may skip a tag behind the chunk header, never less.
        Check(riffEnd < 0 ? skipped == -1 : skipped >= riffEnd);
    }
    if (skipped < 0) return 0;
    Check(reader.GetPosition() == skipped);
    Check(a.id3v2Size >= 0 && a.id3v2Position >= 0 && a.id3v2Position <= skipped);
    return 0;
}
