#include "input/MpegStreamAnalysis.h"

#include "ZrCoreLib/IZrReader.h"
#include "decoder/FrameHeader.h"
#include "input/XingRecord.h"
#include "tags/CID3v2Header.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The reader answers how many bytes it gave; a reader that claims more than
// it was asked for is not believed.
int ReadBytes(IZrReader* reader, uint8_t* buffer, int count) {
    if (count <= 0) return 0;
    const uint32_t got = reader->Read(buffer, uint32_t(count));
    return int(std::min<uint32_t>(got, uint32_t(count)));
}

bool SeekTo(IZrReader* reader, int64_t position) {
    return position >= 0 && reader->Seek(position, 0) == position;
}

// Any negative size means unknown; keeping it at -1 keeps the arithmetic on
// it (audio bytes) from overflowing.
int64_t KnownSizeOrMinusOne(IZrReader* reader) {
    const int64_t size = reader->GetSize();
    return size < 0 ? -1 : size;
}

bool IsSync(const uint8_t* p) {
    return HasFrameSync(FrameHeaderWord(p));
}

// Double results cast to 32 bits; hostile sizes must not make the cast
// undefined.
int32_t ClampToInt32(double value) {
    if (!(value > double(INT32_MIN))) return INT32_MIN;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(value);
}

// One step of the leading-data skip; the caller repeats it at the new
// position until Done or Failed.
enum class LeadingStep { Advanced, Done, Failed };

} // namespace

MpegStreamAnalysis::MpegStreamAnalysis() {
    Reset();
}

void MpegStreamAnalysis::Reset() {
    firstFrame = MpegFrameInfo{};
    nominalBitDepth = kNominalBitDepth;
    vbr = false;
    streamSize = 0;
    headerFramePosition = -1;
    headerFrameCount = -1;
    firstAudioPosition = 0;
    audioBytes = 0;
    durationMs = 0;
    averageBitrate = 0;
    encoderDelay = 0;
    encoderPadding = 0;
    endShortfall = 0;
    encoderId = L"<unknown>";
    id3v2Position = 0;
    id3v2Size = 0;
    frameIndex.RemoveAll();
    fullyIndexed = false;
}

bool MpegStreamAnalysis::ParseFrameHeader(const uint8_t* header, MpegFrameInfo& out) {
    FrameHeader parsed;
    if (!DecodeFrameHeader(FrameHeaderWord(header), parsed)) return false;
    MpegFrameInfo info;
    info.bitrate = parsed.bitrate;
    info.versionCode = VersionCode(parsed);
    info.layer = parsed.layer;
    info.sampleRate = parsed.sampleRate;
    info.channels = parsed.channels;
    info.channelMode = parsed.mode;
    info.samplesTimesChannels = parsed.samplesPerFrame * parsed.channels;
    info.samplesPerFrame = parsed.samplesPerFrame;
    info.frameLength = parsed.frameLength;
    info.crcProtected = uint8_t(parsed.errorProtection);
    info.padding = uint8_t(parsed.padding);
    info.privateBit = uint8_t(parsed.extension);
    info.copyright = uint8_t(parsed.copyright);
    info.original = uint8_t(parsed.original);
    out = info;
    return true;
}

bool MpegStreamAnalysis::CheckFrameHeader(const uint8_t* header, MpegFrameInfo& out,
                                          const MpegFrameInfo* reference) {
    MpegFrameInfo info;
    if (!ParseFrameHeader(header, info)) return false;
    if (reference) {
        if (info.versionCode != reference->versionCode || info.layer != reference->layer ||
            info.sampleRate != reference->sampleRate)
            return false;
        if ((info.channels == 1) != (reference->channels == 1)) return false;
    }
    out = info;
    return true;
}

namespace {

// One round of leading-data recognition at `start` (the reader stands
// there). Advanced leaves the reader on the next block to look at.
LeadingStep SkipOneLeadingBlock(IZrReader* reader, int64_t start, bool first,
                                int32_t& id3v2Position, int32_t& id3v2Size) {
    using A = MpegStreamAnalysis;
    uint8_t head[A::kLeadingHeaderBytes] = {};
    ReadBytes(reader, head, A::kLeadingHeaderBytes);

    if (first && head[0] == 0) {
        // Zero bytes in front of the audio: damaged downloads, padded images.
        if (!SeekTo(reader, start)) return LeadingStep::Failed;
        std::array<uint8_t, A::kZeroBlockBytes> block;
        int64_t count = 0;
        bool shortZeroBlock = false;
        for (;;) {
            const int got = ReadBytes(reader, block.data(), A::kZeroBlockBytes);
            if (got == 0) break;
            int zeros = 0;
            while (zeros < got && block[zeros] == 0)
                ++zeros;
            count += zeros;
            if (zeros < got) break;
            if (got < A::kZeroBlockBytes) {
                shortZeroBlock = true;
                break;
            }
            if (count > A::kMaxLeadingZeros) break;
        }
        const int64_t next =
            start + (shortZeroBlock ? count : std::min(count, A::kMaxLeadingZeros));
        if (next > A::kMaxStreamPosition || !SeekTo(reader, next)) return LeadingStep::Failed;
        return count == 0 ? LeadingStep::Done : LeadingStep::Advanced;
    }

    CID3v2Header id3v2;
    if (id3v2.Parse(head, sizeof head)) {
        // The tag parser recognises tags by the same header check, so the
        // block skipped here is the one it reads. Tags of versions it cannot
        // read are skipped all the same.
        const int64_t total = int64_t(id3v2.GetTotalLength());
        const int64_t next = start + total;
        if (next > A::kMaxStreamPosition) return LeadingStep::Failed;
        if (id3v2Size == 0) {
            id3v2Position = int32_t(start);
            id3v2Size = int32_t(total);
        }
        if (!SeekTo(reader, next)) return LeadingStep::Failed;
        return LeadingStep::Advanced;
    }

    if (std::memcmp(head, "RIFF", 4) == 0) {
        // A WAVE file wrapping MPEG audio (format tag 0x55): the audio is the
        // "data" chunk. Its length field is left for the frame search.
        if (!SeekTo(reader, start)) return LeadingStep::Failed;
        std::array<uint8_t, A::kRiffSearchBytes> riff;
        if (ReadBytes(reader, riff.data(), A::kRiffSearchBytes) < A::kRiffSearchBytes)
            return LeadingStep::Failed;
        for (int i = 0; i + 4 <= A::kRiffSearchBytes; ++i) {
            if (std::memcmp(riff.data() + i, "data", 4) == 0) {
                const int64_t next = start + i + 4;
                if (next > A::kMaxStreamPosition || !SeekTo(reader, next))
                    return LeadingStep::Failed;
                return LeadingStep::Advanced;
            }
        }
        return LeadingStep::Failed;
    }

    SeekTo(reader, start);
    return LeadingStep::Done;
}

} // namespace

int64_t MpegStreamAnalysis::SkipLeadingData(IZrReader* reader, bool first) {
    if (!reader) return -1;
    const int64_t start = reader->GetPosition();
    if (start < 0 || start > kMaxStreamPosition) return -1;
    // Leading blocks are chained (tag behind tag); each round looks again at
    // the new position. Only the outermost round's failure is a failure:
    // one found behind a skipped block ends the skip where the reader stands.
    // Every Advanced round moves forward by at least 8 bytes, so the loop
    // ends within the stream.
    int64_t position = start;
    bool firstRound = first;
    for (;;) {
        const LeadingStep step =
            SkipOneLeadingBlock(reader, position, firstRound, id3v2Position, id3v2Size);
        if (step == LeadingStep::Failed && position == start) return -1;
        if (step != LeadingStep::Advanced) break;
        const int64_t next = reader->GetPosition();
        if (next <= position) break;
        position = next;
        firstRound = false;
    }
    return reader->GetPosition() - start;
}

namespace {

// Whether the candidate at buffer[i] is followed by four more frames of the
// same stream within the confirmation window.
bool IsConfirmed(const uint8_t* buffer, int i, const MpegFrameInfo& candidate) {
    using A = MpegStreamAnalysis;
    const int limit = std::min(i + A::kConfirmWindowBytes, A::kSearchBufferBytes) - 3;
    int scan = i;
    for (int matches = 0;;) {
        // Only a match within kMaxSyncGap of the scan offset counts, so the
        // search need not look further.
        const int end = std::min(limit, scan + A::kMaxSyncGap + 1);
        MpegFrameInfo match;
        int j = scan;
        while (j < end &&
               !(IsSync(buffer + j) && A::CheckFrameHeader(buffer + j, match, &candidate)))
            ++j;
        if (j >= end) return false;
        if (++matches == A::kConfirmFrames) return true;
        // From the scan offset, not from the match: padding bytes and junk
        // add up against kMaxSyncGap.
        scan += match.frameLength;
    }
}

} // namespace

int MpegStreamAnalysis::FindFirstFrame(IZrReader* reader, MpegFrameInfo& out) {
    if (!reader) return -1;
    const int64_t origin = reader->GetPosition();
    if (origin < 0) return -1;
    std::vector<uint8_t> buffer(kSearchBufferBytes, 0);
    ReadBytes(reader, buffer.data(), kSearchBufferBytes);
    int64_t totalRead = kSearchBufferBytes;
    int64_t bufferOffset = 0; // of buffer[0] from origin
    for (;;) {
        for (int i = 0; i < kSearchStepBytes; ++i) {
            const uint8_t* p = buffer.data() + i;
            MpegFrameInfo candidate;
            if (!IsSync(p) || !CheckFrameHeader(p, candidate)) continue;
            if (!IsConfirmed(buffer.data(), i, candidate)) continue;
            const int64_t position = origin + bufferOffset + i;
            if (position > kMaxStreamPosition || !SeekTo(reader, position)) return -1;
            out = candidate;
            return 0;
        }
        if (totalRead + kSearchStepBytes > kMaxSearchBytes) return -1;
        std::memmove(buffer.data(), buffer.data() + kSearchStepBytes,
                     kSearchBufferBytes - kSearchStepBytes);
        const int got = ReadBytes(reader, buffer.data() + kSearchBufferBytes - kSearchStepBytes,
                                  kSearchStepBytes);
        totalRead += kSearchStepBytes;
        if (got < kSearchStepBytes) return -1;
        bufferOffset += kSearchStepBytes;
    }
}

int MpegStreamAnalysis::Analyze(IZrReader* reader) {
    Reset();
    if (!reader) return -1;
    SeekTo(reader, 0);
    streamSize = KnownSizeOrMinusOne(reader);
    const bool live = reader->IsLiveStream();
    if (streamSize < kHeadBytes && !live) return -1;

    int32_t frameCount = -1;
    if (!live) {
        const int64_t skipped = SkipLeadingData(reader, true);
        if (skipped < 0) return -1;
        const int64_t start = skipped;
        uint8_t head[kHeadBytes];
        if (ReadBytes(reader, head, kHeadBytes) < kHeadBytes) return -1;
        SeekTo(reader, start);

        XingRecord xing;
        const int tag = XingRecord::FindTag(head, kHeadBytes);
        if (tag >= 0) {
            for (int f = 0; f + 4 <= kHeadBytes; ++f) {
                MpegFrameInfo info;
                if (IsSync(head + f) && CheckFrameHeader(head + f, info)) {
                    if (start + f <= kMaxStreamPosition) headerFramePosition = int32_t(start + f);
                    break;
                }
            }
            // Too close to the end of the head: treated as absent.
            if (tag + XingRecord::kSize <= kHeadBytes) xing.Assign(head + tag);
        }
        if (xing.IsXing() || xing.IsInfo()) {
            // Behind the header frame's beginning, so that the search does
            // not take the header frame (which holds no audio) as the first.
            SeekTo(reader, start + XingRecord::kSize);
            headerFrameCount = xing.GetFrameCount();
            if (xing.IsXing()) {
                vbr = true;
                frameCount = xing.GetFrameCount();
            }
            encoderId = xing.GetEncoderId();
            if (xing.HasGaplessInfo()) {
                encoderDelay = xing.GetEncoderDelay();
                encoderPadding = xing.GetEncoderPadding();
            }
        }

        if (FindFirstFrame(reader, firstFrame) != 0) return -1;
        const int64_t position = reader->GetPosition();
        if (position < 0 || position > kMaxStreamPosition) return -1;
        firstAudioPosition = int32_t(position);
        audioBytes = streamSize - firstAudioPosition - kTrailingTagBytes;

        if (frameCount == -1 && !reader->IsLocal()) {
            // A library server streams files it has analysed itself; for
            // other remote streams the duration is estimated from the head.
            const long long server = reader->GetInfo(L"X-Corvel-Library-Server").ToInt();
            int64_t covered = 0;
            if (server < 1 && IndexFrames(reader, kDurationProbeFrames, covered) && covered > 0) {
                const double bytesPerFrame = double(covered) / double(frameIndex.GetCount());
                frameCount = ClampToInt32(double(audioBytes) / bytesPerFrame);
            }
        }
    } else {
        if (FindFirstFrame(reader, firstFrame) != 0) return -1;
        const int64_t position = reader->GetPosition();
        if (position < 0 || position > kMaxStreamPosition) return -1;
        firstAudioPosition = int32_t(position);
        audioBytes = streamSize - firstAudioPosition - kTrailingTagBytes;
    }

    ComputeDuration(frameCount);
    if (averageBitrate == 0) averageBitrate = firstFrame.bitrate;
    SeekTo(reader, firstAudioPosition);
    return 0;
}

void MpegStreamAnalysis::ComputeDuration(int64_t frames) {
    if (frames < 1 || firstFrame.sampleRate <= 0) return;
    durationMs =
        ClampToInt32(double(frames) * 1000.0 * firstFrame.samplesPerFrame / firstFrame.sampleRate);
    if (durationMs < 1) return;
    averageBitrate = ClampToInt32(double(audioBytes) / 1000.0 * 8.0 * 1000.0 / durationMs + 0.5);
}

bool MpegStreamAnalysis::ReadID3v2Bytes(IZrReader* reader, std::vector<uint8_t>& out) const {
    out.clear();
    if (!reader || id3v2Size < 1) return false;
    const int64_t available = KnownSizeOrMinusOne(reader) - id3v2Position;
    const int count = int(std::min<int64_t>(id3v2Size, available));
    if (count < 1 || !SeekTo(reader, id3v2Position)) return false;
    out.resize(size_t(count));
    out.resize(size_t(ReadBytes(reader, out.data(), count)));
    return !out.empty();
}

void MpegStreamAnalysis::AddIndexedFrame(int32_t position) {
    const int count = frameIndex.GetCount();
    if (count >= kIndexLinearGrowthLimit && count == frameIndex.GetCapacity())
        frameIndex.Reserve(count + count / 2);
    frameIndex.Add(position);
}

bool MpegStreamAnalysis::IndexFrames(IZrReader* reader, int limit, int64_t& covered) {
    covered = 0;
    if (!reader || firstFrame.frameLength <= 0) return false;
    const bool live = reader->IsLiveStream();
    if (fullyIndexed && !live) return true;
    if (live) streamSize = KnownSizeOrMinusOne(reader);
    if (streamSize < 1) return false;

    const int64_t saved = reader->GetPosition();
    const bool resuming = !frameIndex.IsEmpty();
    const int64_t start = resuming ? frameIndex.GetLast() : firstAudioPosition;
    auto finish = [&](bool result) {
        if (saved != -1) SeekTo(reader, saved);
        return result;
    };
    if (!SeekTo(reader, start)) return finish(!frameIndex.IsEmpty());
    // The last byte of the stream is never read: a header there could not
    // be complete anyway.
    int64_t remaining = streamSize - 1 - start;
    if (remaining < 1) return finish(false);

    std::vector<uint8_t> buffer(kIndexBufferBytes);
    int64_t bufferStart = start; // absolute position of buffer[0]
    int length = 0;
    int64_t scan = start; // absolute position of the next sync to try
    bool atEnd = false;
    auto fill = [&](int keep, int room) {
        const int want = int(std::min<int64_t>(remaining, room));
        const int got = ReadBytes(reader, buffer.data() + keep, want);
        remaining -= got;
        length = keep + got;
        atEnd = got < want || remaining <= 0;
    };
    fill(0, kIndexBufferBytes);

    for (;;) {
        bool limited = false;
        while (scan + 3 < bufferStart + length) {
            const uint8_t* p = buffer.data() + (scan - bufferStart);
            MpegFrameInfo frame;
            // Any channel mode: the decoder plays frames of either in the
            // layout announced at Open, so the index keeps them all. Holding
            // to the first frame's mode would leave the total sample count
            // short of what plays and send seeks past a change astray.
            if (!IsSync(p) || !CheckFrameHeader(p, frame) ||
                frame.versionCode != firstFrame.versionCode || frame.layer != firstFrame.layer ||
                frame.sampleRate != firstFrame.sampleRate) {
                ++scan;
                continue;
            }
            if (scan > kMaxStreamPosition) {
                // Beyond what 32-bit positions can hold: the index ends here.
                limited = true;
                break;
            }
            if (frame.bitrate != firstFrame.bitrate) vbr = true;
            if (!(resuming && scan == start)) AddIndexedFrame(int32_t(scan));
            covered = scan - firstAudioPosition + frame.frameLength;
            // Ahead from the unpadded end: the next sync is at most one
            // padding byte further and is found by the scan.
            scan += frame.frameLength;
            if (limit >= 1 && frameIndex.GetCount() > limit) {
                limited = true;
                break;
            }
        }
        if (limited) break;
        if (atEnd) {
            fullyIndexed = true;
            break;
        }
        // Keep the last three bytes in front: a header may straddle blocks.
        const int keep = std::min(length, 3);
        std::memmove(buffer.data(), buffer.data() + length - keep, size_t(keep));
        bufferStart += length - keep;
        fill(keep, kIndexBufferBytes - 3);
    }
    return finish(!frameIndex.IsEmpty());
}

int MpegStreamAnalysis::IndexAllFrames(IZrReader* reader) {
    int64_t covered = 0;
    IndexFrames(reader, 0, covered);
    return frameIndex.GetCount();
}

uint32_t MpegStreamAnalysis::GetTotalSamples(IZrReader* reader, bool gapless) {
    if (!fullyIndexed) {
        int64_t covered = 0;
        IndexFrames(reader, 0, covered);
    }
    if (frameIndex.IsEmpty()) return 0xFFFFFFFFu;
    uint32_t total = uint32_t(frameIndex.GetCount()) * uint32_t(firstFrame.samplesPerFrame);
    if (gapless)
        total = total - uint32_t(endShortfall) - uint32_t(encoderDelay) - uint32_t(encoderPadding);
    return total;
}

bool MpegStreamAnalysis::GetFramePosition(IZrReader* reader, int frame, int preRoll,
                                          int64_t& position, int64_t& span) {
    position = firstAudioPosition;
    span = 0;
    // A negative pre-roll would look behind the target frame.
    preRoll = std::max(preRoll, 0);
    // An index of `frame` entries ends just before the frame asked for: it
    // must grow before the clamp below takes its last entry instead.
    if (frame >= frameIndex.GetCount()) {
        int64_t covered = 0;
        IndexFrames(reader, frame, covered);
    }
    const int count = frameIndex.GetCount();
    auto applies = [&] { return frame > 0 && int64_t(frame) - preRoll > 0; };
    if (!applies()) return false;
    if (frame >= count) {
        frame = count - 1;
        if (!applies()) return false;
    }
    position = frameIndex[frame - preRoll];
    span = frameIndex[frame] - position;
    return true;
}

int64_t MpegStreamAnalysis::GetSeekPosition(IZrReader* reader, int64_t targetSample,
                                            int64_t& preRollBytes, int64_t& sampleSkip,
                                            int preRoll) {
    preRollBytes = 0;
    sampleSkip = 0;
    if (firstFrame.samplesPerFrame <= 0) return firstAudioPosition;
    const int64_t whole = targetSample / firstFrame.samplesPerFrame;
    const int frame = int(std::clamp<int64_t>(whole, INT32_MIN, INT32_MAX));
    int64_t position = 0;
    if (GetFramePosition(reader, frame, preRoll, position, preRollBytes))
        sampleSkip = targetSample - int64_t(frame) * firstFrame.samplesPerFrame;
    return position;
}
