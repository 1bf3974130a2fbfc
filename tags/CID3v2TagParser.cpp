#include "tags/CID3v2TagParser.h"

#include "tags/CID3v2Sync.h"
#include "tags/tables/ID3v22FrameIds.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using R = ID3v2ReadResult;

void ConvertV22Id(const uint8_t* v22, char out[4]) {
    for (const ID3v22FrameId& row : kID3v22FrameIds) {
        if (std::memcmp(v22, row.v22, 3) == 0) {
            std::memcpy(out, row.v23, 4);
            return;
        }
    }
    std::memcpy(out, v22, 3);
    out[3] = '?';
}

// A frame header may start at p: a valid ID, or the zero bytes of padding.
bool LooksLikeFrameStart(const uint8_t* p, int version) {
    if (version == 2) {
        // ID3v2.2 IDs have three characters.
        bool zero = p[0] == 0 && p[1] == 0 && p[2] == 0;
        bool valid = true;
        for (int i = 0; i < 3; ++i)
            valid = valid && ((p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= '0' && p[i] <= '9'));
        return zero || valid;
    }
    const bool zero = p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
    return zero || CID3v2Frame::IsValidId(p);
}

// Where the frames start behind an extended header (flag 0x40).
size_t SkipExtendedHeader(const uint8_t* data, size_t size, int version) {
    size_t cursor = CID3v2Header::kSize;
    if (cursor + 4 > size) return cursor;
    // ID3v2.4 section 3.2 counts the whole extended header in a sync-safe
    // size; ID3v2.3 section 3.2 counts it without its 4 size bytes.
    uint64_t skip = 0;
    if (version == 4)
        skip = CID3v2Sync::ReadSyncSafe(data + cursor);
    else if (version == 3)
        skip = uint64_t(CID3v2Sync::ReadBigEndian(data + cursor)) + 4;
    return size_t(std::min<uint64_t>(cursor + skip, size));
}

// ID3v2.2 section 3.2: a PIC frame carries a three-letter image format where
// APIC has a MIME type. It is rebuilt as an ID3v2.3 APIC, keeping the three
// letters as its MIME type.
void RebuildV22Picture(CID3v2Frame& frame) {
    const uint8_t* bytes;
    size_t count;
    frame.GetBinaryValue(bytes, count);
    const std::vector<uint8_t> picture(bytes, bytes + count);
    std::vector<uint8_t> rebuilt;
    CID3v2Frame::BuildPictureBody(rebuilt, picture, frame.GetField(L"Mime Type"),
                                  uint8_t(frame.GetField(L"Picture Type").ToInt()),
                                  frame.GetField(L"Description"));
    frame.SetBody(std::move(rebuilt), 3);
    frame.ParseFields(3);
}

} // namespace

ID3v2ReadResult CID3v2TagParser::ParseHeader(const uint8_t* data, size_t size,
                                             CID3v2Header& header) {
    if (!data || size < CID3v2Header::kSize) return R::TooShort;
    if (!header.Parse(data, size))
        return std::memcmp(data, "ID3", 3) == 0 ? R::BadVersion : R::NotID3;
    if (!header.IsReadable()) {
        const bool knownVersion = header.GetVersion() >= 2 && header.GetVersion() <= 4;
        return knownVersion ? R::Experimental : R::BadVersion;
    }
    // One byte less than header, body and footer may arrive: the last byte of
    // a tag without padding is never needed to find the frames.
    if (uint64_t(size) + 1 < header.GetTotalLength()) return R::Truncated;
    return R::EndOfData;
}

ID3v2ReadResult CID3v2TagParser::ParseFrames(const uint8_t* data, size_t size,
                                             const CID3v2Header& header,
                                             ZrOwnedPtrArray<CID3v2Frame, false>& frames) {
    const int version = header.GetVersion();
    const bool tagUnsync = (header.GetFlags() & CID3v2Header::kFlagUnsync) != 0;
    size_t cursor = CID3v2Header::kSize;
    if (header.GetFlags() & CID3v2Header::kFlagExtendedHeader)
        cursor = SkipExtendedHeader(data, size, version);
    size_t end = size;
    // ID3v2.4 section 3.4: the footer repeats the header and holds no frames.
    if (header.GetFlags() & CID3v2Header::kFlagFooter) end -= 10;

    const size_t headerSize = version == 2 ? 6 : 10;
    size_t inflateBudget = kMaxInflatedBytesPerTag;
    while (cursor + headerSize <= end) {
        const uint8_t* h = data + cursor;
        uint8_t frameHeader[10];
        uint64_t frameSize = 0;
        if (version == 2) {
            // ID3v2.2 section 3.2: 3-character ID and 3-byte size, no flags.
            char id[4];
            ConvertV22Id(h, id);
            std::memcpy(frameHeader, id, 4);
            frameSize = uint32_t(h[3]) << 16 | uint32_t(h[4]) << 8 | h[5];
            CID3v2Frame::EncodeSize(uint32_t(frameSize), 3, frameHeader + 4);
            frameHeader[8] = frameHeader[9] = 0;
        } else {
            std::memcpy(frameHeader, h, 10);
            // Some ID3v2.4 writers store plain sizes; a byte with bit 7 set
            // cannot be sync-safe, so such a size is read as plain.
            const bool plain = version < 4 || !CID3v2Sync::IsSyncSafe(h + 4);
            frameSize = plain ? CID3v2Sync::ReadBigEndian(h + 4) : CID3v2Sync::ReadSyncSafe(h + 4);
        }
        if (!CID3v2Frame::IsValidId(frameHeader)) {
            const bool zeros = frameHeader[0] == 0 && frameHeader[1] == 0 && frameHeader[2] == 0;
            return zeros ? R::Padding : R::InvalidId;
        }
        if (frameSize > kMaxFrameSize) return R::OversizedFrame;
        const size_t p = cursor + headerSize;
        if (frameSize > end - p) return R::FramePastEnd;
        const size_t s = size_t(frameSize);
        std::vector<uint8_t> body;
        size_t advance = s;
        if (tagUnsync) {
            // ID3v2.3 writers disagree whether a frame size counts the bytes
            // before or after unsynchronisation; what follows the frame tells.
            const bool decodedSize =
                p + s + 10 <= end && !LooksLikeFrameStart(data + p + s, version);
            body.reserve(s);
            if (decodedSize) {
                advance = CID3v2Sync::RemoveUnsync(data + p, end - p, s, body);
                if (body.size() < s) return R::FramePastEnd;
            } else {
                CID3v2Sync::RemoveUnsync(data + p, s, s, body);
            }
            // Written back without unsynchronisation, so the size follows
            // the decoded body.
            frameHeader[9] = uint8_t(frameHeader[9] & ~CID3v2Frame::kFlagUnsync);
            CID3v2Frame::EncodeSize(uint32_t(body.size()), version, frameHeader + 4);
        } else {
            body.assign(data + p, data + p + s);
        }
        cursor = p + advance;

        CID3v2Frame* frame = new CID3v2Frame(frameHeader, std::move(body));
        frame->ParseFields(version, &inflateBudget);
        if (version == 2 && frame->HasId("APIC")) RebuildV22Picture(*frame);
        frames.Add(frame);
    }
    return R::EndOfData;
}
