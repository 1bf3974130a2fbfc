// Layer III frames built bit by bit for the decoder's own rules: the bit
// reservoir after a reset, and the side-information and Huffman checks that
// make a frame corrupt.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace decodetest;

namespace {

class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
            ++used_;
        }
    }
    std::vector<uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    int used_ = 0;
};

struct Granule {
    int part23Length = 0;
    int bigValues = 0;
    int globalGain = 140;
    int scalefacCompress = 0;
    bool windowSwitching = false;
    int blockType = 0;
    bool count1TableB = false;
};

// A mono frame: MPEG-1 at 44.1 kHz and 128 kbit/s (413-byte body, two
// granules) or MPEG-2 at 22.05 kHz and 64 kbit/s (204 bytes, one granule),
// both granules alike, with `mainData` right behind the side information.
std::vector<uint8_t> MonoFrame(bool mpeg2, int mainDataBegin, const Granule& g,
                               const std::vector<uint8_t>& mainData = {}) {
    BitWriter w;
    w.Put(mpeg2 ? 0xFFF3 : 0xFFFB, 16); // sync, version, Layer III, no CRC
    w.Put(mpeg2 ? 0x80 : 0x90, 8);      // bitrate index 8 / 9, first rate, no padding
    w.Put(0xC0, 8);                     // single channel
    w.Put(mainDataBegin, mpeg2 ? 8 : 9);
    w.Put(0, mpeg2 ? 1 : 5); // private bits
    if (!mpeg2) w.Put(0, 4); // scfsi
    for (int gr = 0; gr < (mpeg2 ? 1 : 2); ++gr) {
        w.Put(g.part23Length, 12);
        w.Put(g.bigValues, 9);
        w.Put(g.globalGain, 8);
        w.Put(g.scalefacCompress, mpeg2 ? 9 : 4);
        w.Put(g.windowSwitching, 1);
        if (g.windowSwitching) {
            w.Put(g.blockType, 2);
            w.Put(0, 1);  // mixed
            w.Put(0, 10); // two table selects: table 0
            w.Put(0, 9);  // subblock gains
        } else {
            w.Put(0, 15); // three table selects: table 0
            w.Put(0, 7);  // region counts
        }
        if (!mpeg2) w.Put(0, 1); // preflag
        w.Put(0, 1);             // scalefac_scale
        w.Put(g.count1TableB, 1);
    }
    std::vector<uint8_t> frame = w.Bytes();
    frame.insert(frame.end(), mainData.begin(), mainData.end());
    frame.resize(4 + (mpeg2 ? 204 : 413), 0);
    return frame;
}

constexpr StreamParameters kMpeg1 = {10, 3, 44100, true};
constexpr StreamParameters kMpeg2 = {20, 3, 22050, true};

TEST(Layer3Frames, MainDataBeforeTheFirstFrameYieldsNoSamples) {
    TestDecoder d;
    Granule g;
    const std::vector<uint8_t> frame = MonoFrame(false, 100, g);
    for (int round = 0; round < 2; ++round) {
        d.Queue(frame);
        d.Queue(frame);
        EXPECT_EQ(d.Decode(kMpeg1), DECODE_OK);
        EXPECT_EQ(d.done, 0);
        // The next frame reaches back into the first one's 413 bytes.
        EXPECT_EQ(d.Decode(kMpeg1), DECODE_OK);
        EXPECT_EQ(d.done, 1152 * 8);
        ResetDecoder(*d.state);
    }
}

TEST(Layer3Frames, BigValuesAbove288AreCorrupt) {
    TestDecoder d;
    Granule g;
    g.bigValues = 288;
    d.Queue(MonoFrame(false, 0, g));
    g.bigValues = 289;
    d.Queue(MonoFrame(false, 0, g));
    EXPECT_EQ(d.Decode(kMpeg1), DECODE_OK);
    EXPECT_EQ(d.done, 9216);
    EXPECT_EQ(d.Decode(kMpeg1), DECODE_ERROR);
}

// ISO/IEC 11172-3 forbids block type 0 under window switching; MPEG-2 streams
// that use it are decoded as long blocks.
TEST(Layer3Frames, WindowSwitchingWithBlockTypeZero) {
    TestDecoder d;
    Granule g;
    g.windowSwitching = true;
    g.blockType = 0;
    d.Queue(MonoFrame(false, 0, g));
    EXPECT_EQ(d.Decode(kMpeg1), DECODE_ERROR);
    d.Queue(MonoFrame(true, 0, g));
    EXPECT_EQ(d.Decode(kMpeg2), DECODE_OK);
    EXPECT_EQ(d.done, 4608);
}

// A count1 quadruple of four ones (table B code 0000, four sign bits) after
// 287 pairs would put values at lines 576 and 577.
TEST(Layer3Frames, QuadruplesPastTheLastLineAreCorrupt) {
    TestDecoder d;
    Granule g;
    g.part23Length = 8;
    g.count1TableB = true;
    g.bigValues = 286; // the quadruple fills lines 572..575
    d.Queue(MonoFrame(false, 0, g, {0x00, 0x00}));
    g.bigValues = 287;
    d.Queue(MonoFrame(false, 0, g, {0x00, 0x00}));
    EXPECT_EQ(d.Decode(kMpeg1), DECODE_OK);
    EXPECT_EQ(d.Decode(kMpeg1), DECODE_ERROR);
}

} // namespace
