// The decoder front end: input queue, synchronisation against the stream's
// parameters, frame sizes, result codes and reset.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

// l2-fl16: MPEG-1 Layer II, 48 kHz stereo, 256 kbit/s, CRC, 768-byte frames.
constexpr StreamParameters kFl16 = {10, 2, 48000, true};
constexpr size_t kFl16Frame = 768;

std::vector<uint8_t> Load(const char* name) {
    return ReadMaybeGzipped(ConformancePath(name));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
    return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count);
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

TEST(DecoderCapacity, RefusesBelowOneStereoFrameAndConsumesNothing) {
    TestDecoder d;
    d.Queue(Slice(Load("l2-fl16.bit"), 0, kFl16Frame));
    EXPECT_EQ(d.Decode(kFl16, kMinOutputCapacity - 1), DECODE_ERROR);
    EXPECT_EQ(d.state->queuedBytes, static_cast<int32_t>(kFl16Frame));
    EXPECT_EQ(d.Decode(kFl16, kMinOutputCapacity), DECODE_OK);
    EXPECT_EQ(d.done, 18432);
    EXPECT_EQ(d.bitrate, 256);
}

TEST(DecoderQueue, FrameQueuedOneByteAtATimeDecodesOnItsLastByte) {
    const std::vector<uint8_t> frame = Slice(Load("l2-fl16.bit"), 0, kFl16Frame);
    TestDecoder whole;
    whole.Queue(frame);
    ASSERT_EQ(whole.Decode(kFl16), DECODE_OK);

    TestDecoder d;
    for (size_t i = 0; i < frame.size(); ++i) {
        d.Queue({frame[i]}, i);
        const int32_t r = d.Decode(kFl16);
        if (i + 1 < frame.size()) {
            ASSERT_EQ(r, DECODE_NEED_MORE) << "byte " << i;
        } else {
            ASSERT_EQ(r, DECODE_OK);
        }
    }
    EXPECT_EQ(d.done, whole.done);
    EXPECT_EQ(d.out, whole.out);
    EXPECT_EQ(d.state->queuedBytes, 0);
    EXPECT_EQ(d.state->queueHead, nullptr);
}

TEST(DecoderQueue, HeaderSplitAfterJunkIsFoundWhenTheRestArrives) {
    const std::vector<uint8_t> frame = Slice(Load("l2-fl16.bit"), 0, kFl16Frame);
    std::vector<uint8_t> first(100, 0x11);
    first.push_back(frame[0]);
    first.push_back(frame[1]);
    TestDecoder d;
    d.Queue(first, 1000);
    EXPECT_EQ(d.Decode(kFl16), DECODE_NEED_MORE);
    d.Queue(Slice(frame, 2, frame.size() - 2), 1102);
    EXPECT_EQ(d.Decode(kFl16), DECODE_OK);
    EXPECT_EQ(d.state->frameStreamPosition, 1100u);
}

TEST(DecoderSync, ForeignFramesAreSkippedNeverDecoded) {
    const std::vector<uint8_t> fl16 = Load("l2-fl16.bit");
    const std::vector<uint8_t> mpeg2 = Load("l2-test32.bit"); // MPEG-2, 24 kHz, 768 bytes
    const std::vector<uint8_t> rate32 = Load("l2-fl13.bit");  // MPEG-1, 32 kHz, 144 bytes
    std::vector<uint8_t> mixed;
    std::vector<uint8_t> plain;
    for (size_t i = 0; i < 8; ++i) {
        const std::vector<uint8_t> own = Slice(fl16, i * kFl16Frame, kFl16Frame);
        Append(plain, own);
        Append(mixed, own);
        Append(mixed, Slice(mpeg2, i * 768, 768));
        Append(mixed, Slice(rate32, i * 144, 144));
        std::vector<uint8_t> layer3 = own; // same frame marked Layer III
        layer3[1] = static_cast<uint8_t>((layer3[1] & ~0x06) | 0x02);
        Append(mixed, layer3);
    }
    const DecodedStream expected = DecodeStream(plain, kFl16);
    const DecodedStream got = DecodeStream(mixed, kFl16);
    EXPECT_EQ(got.frames, 8);
    EXPECT_EQ(got.errors, 0);
    EXPECT_EQ(got.samples, expected.samples);
}

TEST(DecoderSync, BitrateIndexZeroAndFifteenAreNeverHeaders) {
    for (int32_t version : {10, 20, 25})
        for (int32_t layer : {1, 2, 3}) {
            const uint32_t versionBits = version == 10 ? 3u : version == 20 ? 2u : 0u;
            const int32_t rate = version == 10 ? 44100 : version == 20 ? 22050 : 11025;
            const uint32_t base = 0xFFE00000u | (versionBits << 19) |
                                  (static_cast<uint32_t>(4 - layer) << 17) | (1u << 16);
            EXPECT_TRUE(IsAcceptableHeader(base | (1u << 12), version, layer, rate));
            EXPECT_FALSE(IsAcceptableHeader(base, version, layer, rate));
            EXPECT_FALSE(IsAcceptableHeader(base | (15u << 12), version, layer, rate));
            EXPECT_FALSE(IsAcceptableHeader(base | (1u << 12) | (3u << 10), version, layer, rate));
        }

    // In a stream: a frame whose bitrate index is 0 or 15 is skipped whole.
    const std::vector<uint8_t> fl16 = Load("l2-fl16.bit");
    std::vector<uint8_t> stream;
    for (uint8_t index : {0, 15}) {
        std::vector<uint8_t> bad = Slice(fl16, 0, kFl16Frame);
        bad[2] = static_cast<uint8_t>((bad[2] & 0x0F) | (index << 4));
        Append(stream, bad);
    }
    Append(stream, Slice(fl16, 0, kFl16Frame));
    const DecodedStream got = DecodeStream(stream, kFl16);
    EXPECT_EQ(got.frames, 1);
    EXPECT_EQ(got.samples, DecodeStream(Slice(fl16, 0, kFl16Frame), kFl16).samples);
}

TEST(DecoderSync, CrcWordIsSkippedNotChecked) {
    std::vector<uint8_t> fl16 = Load("l2-fl16.bit");
    const DecodedStream right = DecodeStream(fl16, kFl16);
    for (size_t at = 0; at + kFl16Frame <= fl16.size(); at += kFl16Frame) {
        ASSERT_EQ(fl16[at + 1] & 1, 0); // protection_bit 0: CRC present
        fl16[at + 4] ^= 0x5A;
        fl16[at + 5] ^= 0xC3;
    }
    const DecodedStream wrong = DecodeStream(fl16, kFl16);
    EXPECT_EQ(wrong.frames, 63);
    EXPECT_EQ(wrong.samples, right.samples);
}

TEST(DecoderReset, ResetStreamDecodesAsIfFresh) {
    const std::vector<uint8_t> fl16 = Load("l2-fl16.bit");
    TestDecoder d;
    d.Queue(Slice(fl16, 0, 3 * kFl16Frame + 100));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(d.Decode(kFl16), DECODE_OK);
    EXPECT_EQ(d.Decode(kFl16), DECODE_NEED_MORE); // 100 bytes of a frame pending
    ResetDecoder(*d.state);
    EXPECT_EQ(d.state->queuedBytes, 0);

    TestDecoder fresh;
    const std::vector<uint8_t> frame = Slice(fl16, 5 * kFl16Frame, kFl16Frame);
    fresh.Queue(frame);
    d.Queue(frame);
    ASSERT_EQ(fresh.Decode(kFl16), DECODE_OK);
    ASSERT_EQ(d.Decode(kFl16), DECODE_OK);
    EXPECT_EQ(d.out, fresh.out);
}

TEST(DecoderFrames, EveryAcceptableFrameFitsTheReservoir) {
    int32_t largest = 0;
    for (uint32_t fields = 0; fields < (1u << 11); ++fields) { // version..sampling_frequency
        FrameHeader h;
        if (DecodeFrameHeader(0xFFE00000u | fields << 10, h) && h.layer != 1)
            largest = std::max(largest, h.frameLength + 1);
    }
    EXPECT_EQ(largest, kMaxFrameBytes);
}

// Frame sizes follow from the bitrate table: a stream stepping through every
// bitrate keeps its sync and reports each bitrate in turn. Layer III frames
// are counted whether or not a Layer III decoder is present.
std::vector<int32_t> BitrateSequence(const char* name, const StreamParameters& p) {
    const std::vector<uint8_t> bytes = Load(name);
    TestDecoder d;
    d.Queue(bytes);
    std::vector<int32_t> seen;
    for (;;) {
        const int32_t r = d.Decode(p);
        if (r == DECODE_NEED_MORE) break;
        const int32_t kbps = d.state->header.bitrate;
        if (seen.empty() || seen.back() != kbps) seen.push_back(kbps);
    }
    return seen;
}

TEST(DecoderFrames, BitrateTableFollowsTheLayerIIIStreams) {
    EXPECT_EQ(
        BitrateSequence("l3-he_48khz.bit", {10, 3, 48000, true}),
        (std::vector<int32_t>{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}));
    EXPECT_EQ(BitrateSequence("M2L3_bitrate_16_all.bit", {20, 3, 16000, true}),
              (std::vector<int32_t>{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}));
}

} // namespace
