#pragma once

#include "ZrCoreLib/ZrNumberArray.h"
#include "ZrCoreLib/ZrString.h"
#include "input/MpegFrameInfo.h"

#include <cstdint>
#include <vector>

class IZrReader;

// What is known about an MPEG audio stream before it is decoded: where the
// audio starts behind zero bytes, ID3v2 tags or a RIFF/WAVE header, the first
// frame confirmed by the frames behind it, the Xing/Info header with its LAME
// extension (duration, encoder delay and padding), and an index of frame
// positions for exact sample counts and seeking.
//
// A record with operations: the input source and the file information each
// own one and read its fields directly. It does not own the reader; every
// operation that reads takes it and leaves it where the operation says.
// Everything read is treated as hostile: buffers are fixed, positions are
// kept within 32 bits, and the index grows only with frames actually found.
class MpegStreamAnalysis {
public:
    // The first-frame search reads the stream in a buffer of this size...
    static constexpr int kSearchBufferBytes = 14336;
    // ...tries candidates at its first kSearchStepBytes offsets, then slides
    // by that much...
    static constexpr int kSearchStepBytes = 4096;
    // ...and wants the four frames behind a candidate within this window, so
    // that a run of five frames of the largest size (2880 bytes, MPEG-2.5
    // Layer II at 160 kbit/s and 8 kHz, needs 4 * 2880 + 4 bytes) still fits.
    static constexpr int kConfirmWindowBytes = 10240;
    // Junk or padding bytes tolerated between frames while confirming.
    static constexpr int kMaxSyncGap = 255;
    // A candidate counts as a frame when it and four more headers agree.
    static constexpr int kConfirmFrames = 5;
    // Bytes the search reads at most, its first buffer included: a stream
    // whose audio does not show up within them is not taken as MPEG audio,
    // so a large non-audio file is refused quickly.
    static constexpr int64_t kMaxSearchBytes = 229376;

    // Zero bytes skipped in front of the audio at most (damaged or padded
    // files); beyond that the stream is taken not to be audio.
    static constexpr int64_t kMaxLeadingZeros = 1048576;
    // Block size of the zero count.
    static constexpr int kZeroBlockBytes = 1024;
    // Bytes looked at to recognise leading data: an ID3v2 header is 10 bytes.
    static constexpr int kLeadingHeaderBytes = 10;
    // A RIFF/WAVE header must show its "data" chunk within this many bytes.
    static constexpr int kRiffSearchBytes = 4096;

    // A non-live stream shorter than this is refused; the Xing/Info header is
    // looked for within this many bytes behind the leading data.
    static constexpr int kHeadBytes = 1024;
    // Assumed ID3v1 record at the end, left out of the audio bytes.
    static constexpr int kTrailingTagBytes = 128;
    // Block size of the frame indexer.
    static constexpr int kIndexBufferBytes = 65536;
    // Frames indexed to estimate the duration of a remote stream without a
    // frame count (about 26 seconds of MPEG-1 audio).
    static constexpr int kDurationProbeFrames = 1000;
    // Frames decoded ahead of a seek target to refill the bit reservoir (a
    // Layer III frame may reach back up to 511 bytes, several small frames).
    static constexpr int kSeekPreRollFrames = 12;
    // Positions are kept as 32-bit values; nothing beyond is recorded.
    static constexpr int64_t kMaxStreamPosition = INT32_MAX;
    // Beyond this many entries the index grows by half its size at a time
    // instead of the array's fixed step, so that indexing a long stream of
    // small frames (up to 89 million 24-byte frames in 2 GiB) stays linear.
    static constexpr int kIndexLinearGrowthLimit = 65536;
    static constexpr int32_t kNominalBitDepth = 16;

    // The record. Analyze resets and fills it; IndexFrames extends the index.
    MpegFrameInfo firstFrame;
    int32_t nominalBitDepth = kNominalBitDepth;
    // Set by a Xing header, or when indexing meets a frame whose bitrate
    // differs from the first frame's.
    bool vbr = false;
    // Bytes, from the reader; below 1 when unknown.
    int64_t streamSize = 0;
    // Absolute position of the frame carrying the Xing/Info header, -1 none.
    int32_t headerFramePosition = -1;
    // Audio frames that header counts, "Info" included; -1 when it gives none.
    // A stream that runs on past them was joined to more audio.
    int32_t headerFrameCount = -1;
    int32_t firstAudioPosition = 0;
    // streamSize - firstAudioPosition - kTrailingTagBytes; negative when the
    // size is unknown.
    int64_t audioBytes = 0;
    int32_t durationMs = 0;
    int32_t averageBitrate = 0; // kbit/s
    // Samples, from the LAME extension (or from an iTunes comment, set by the
    // input source).
    int32_t encoderDelay = 0;
    int32_t encoderPadding = 0;
    // 529 - encoderPadding when the padding is below 529, else 0: the share of
    // the decoder's delay that the padding does not cover. Set by the input
    // source; subtracted by GetTotalSamples(gapless).
    int32_t endShortfall = 0;
    // "<unknown>" without a Xing/Info record; else up to four ASCII characters
    // at its offset 120, where the LAME extension names its encoder.
    ZrString encoderId;
    // The first ID3v2 tag met while skipping leading data; size counts its
    // header, body and footer. Both 0 when there was none.
    int32_t id3v2Position = 0;
    int32_t id3v2Size = 0;
    // Absolute byte positions of frames in stream order, starting with the
    // first audio frame.
    ZrNumberArray<int32_t> frameIndex;
    // The index reaches the end of the stream.
    bool fullyIndexed = false;

    MpegStreamAnalysis();
    MpegStreamAnalysis(const MpegStreamAnalysis&) = delete;
    MpegStreamAnalysis& operator=(const MpegStreamAnalysis&) = delete;

    // Parses a 4-byte header into out; false for a reserved version or layer,
    // bitrate index 0 (free format) or 15, sample-rate index 3, or a frame
    // length of 0. The sync bits are not tested. out is written only on
    // success.
    static bool ParseFrameHeader(const uint8_t* header, MpegFrameInfo& out);
    // ParseFrameHeader, and with a reference: the same version, layer and
    // sample rate, and single-channel exactly when the reference is.
    static bool CheckFrameHeader(const uint8_t* header, MpegFrameInfo& out,
                                 const MpegFrameInfo* reference = nullptr);

    // Skips zero bytes (first call only), ID3v2 tags and a RIFF/WAVE header
    // from the reader's position, one after the other. Returns the bytes
    // skipped (the reader stands behind them), or -1 when the leading block
    // cannot be skipped. Records the first ID3v2 tag's position and size.
    int64_t SkipLeadingData(IZrReader* reader, bool first);
    // Looks for the first frame confirmed by four more from the reader's
    // position. 0: found, out filled, reader on the frame; -1: not within
    // kMaxSearchBytes.
    static int FindFirstFrame(IZrReader* reader, MpegFrameInfo& out);
    // Resets the record and analyses the stream from position 0. 0 on
    // success with the reader on the first audio frame; -1 on failure, the
    // record holding what was found so far.
    int Analyze(IZrReader* reader);
    // Extends the frame index from its last frame (or the first audio
    // frame) until more than `limit` frames are indexed or the stream ends;
    // limit < 1 means no limit. covered: bytes from the first audio frame to
    // the end of the last frame met (0 when none was met). True when the index
    // holds at least one frame. The reader's position is restored.
    bool IndexFrames(IZrReader* reader, int limit, int64_t& covered);
    // Indexes to the end; the number of frames in the index.
    int IndexAllFrames(IZrReader* reader);
    // frames * samples per frame, less endShortfall, encoderDelay and
    // encoderPadding when gapless (32-bit unsigned arithmetic); 0xFFFFFFFF
    // when no frame is indexed. Indexes the whole stream once.
    uint32_t GetTotalSamples(IZrReader* reader, bool gapless);
    // Position of frame `frame - preRoll` and the span from there to `frame`.
    // A frame behind the index's end is clamped to its last frame. False,
    // with the first audio position and span 0, when the lookup would land on
    // or before the first frame.
    bool GetFramePosition(IZrReader* reader, int frame, int preRoll, int64_t& position,
                          int64_t& span);
    // Where to start decoding to reach targetSample: the byte position
    // preRoll frames before the target's frame. preRollBytes: bytes from
    // there to the target's frame; sampleSkip: samples of the target's frame
    // before the target (both 0 when decoding starts at the first frame).
    int64_t GetSeekPosition(IZrReader* reader, int64_t targetSample, int64_t& preRollBytes,
                            int64_t& sampleSkip, int preRoll = kSeekPreRollFrames);
    // Duration (ms) of `frames` frames and, when that is at least 1 ms, the
    // average bitrate of audioBytes over it. frames < 1 changes nothing.
    void ComputeDuration(int64_t frames);
    // The bytes of the ID3v2 tag met while skipping leading data, as far as
    // the stream holds them (never more than the stream's size allows, so a
    // hostile size allocates nothing); false, out empty, when there was none
    // or nothing could be read. The reader stands behind what was read.
    bool ReadID3v2Bytes(IZrReader* reader, std::vector<uint8_t>& out) const;

private:
    void Reset();
    void AddIndexedFrame(int32_t position);
};
