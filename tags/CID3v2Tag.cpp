#include "tags/CID3v2Tag.h"

#include "ZrCoreLib/ZrBase64.h"
#include "ZrCoreLib/ZrQSort.h"
#include "ZrCoreLib/ZrTempFile.h"
#include "tags/CID3ToolsBridge.h"
#include "tags/tables/ID3v22FrameIds.h"

#include <algorithm>
#include <cstring>

namespace {

// Frame classes of the written order: known kinds first, then comments, then
// user texts and URLs, unknown frames last.
constexpr int kRankKnown = 10000;
constexpr int kRankComment = 20000;
constexpr int kRankUserText = 30000;
constexpr int kRankUnknown = 40000;

// Longest value shown in a report line.
constexpr int kMaxDescribedValue = 128;
// Longest description shown in a report line, and what is kept of a longer one.
constexpr int kMaxDescribedName = 20;
constexpr int kShortenedName = 18;

const wchar_t kLegacyPrefix[] = L"Quillon Audio: ";
constexpr int kLegacyPrefixLength = 15;

uint32_t SyncSafe(const uint8_t* p) {
    return uint32_t(p[0] & 0x7F) << 21 | uint32_t(p[1] & 0x7F) << 14 | uint32_t(p[2] & 0x7F) << 7 |
           uint32_t(p[3] & 0x7F);
}

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

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

int RankOf(const CID3v2Frame& f) {
    if (f.GetKind() == ID3v2FrameKind::Unknown) return kRankUnknown;
    if (f.HasId("COMM")) return kRankComment;
    if (f.HasId("TXXX") || f.HasId("WXXX")) return kRankUserText;
    return kRankKnown;
}

ZrString ExtensionForMime(const ZrString& mime) {
    static const struct {
        const wchar_t* token;
        const wchar_t* ext;
    } kMap[] = {{L"bmp", L"bmp"}, {L"jpeg", L"jpg"}, {L"jpg", L"jpg"}, {L"gif", L"gif"},
                {L"png", L"png"}, {L"tiff", L"tif"}, {L"tif", L"tif"}};
    const ZrString lower = mime.ToLower();
    for (const auto& m : kMap)
        if (lower.Find(m.token) >= 0) return m.ext;
    return L"jpg";
}

} // namespace

CID3v2Tag::CID3v2Tag() {
    BuildMapping();
    Reset();
}

CID3v2Tag::~CID3v2Tag() = default;

void CID3v2Tag::Reset() {
    m_frames.RemoveAll();
    m_exists = false;
    m_modified = false;
    m_oldLength = 0;
    m_fileOffset = 0;
    m_version = 0;
    m_revision = 0;
    m_flags = 0;
    m_size = 0;
    m_readResult = ReadResult::None;
}

CID3v2Frame* CID3v2Tag::GetFrame(int index) const {
    if (index < 0 || index >= m_frames.GetCount()) return nullptr;
    return m_frames[index];
}

size_t CID3v2Tag::TagLengthFromHeader(const uint8_t* data, size_t size) {
    // ID3v2.4 section 3.1: "ID3", version, revision, flags, sync-safe size;
    // section 3.4: a footer repeats the header after the body.
    if (!data || size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
    if (data[3] < 2 || data[3] > 4) return 0;
    return 10 + size_t(SyncSafe(data + 6)) + ((data[5] & kTagFooter) ? 10 : 0);
}

CID3v2Tag::ReadResult CID3v2Tag::ParseHeader(const uint8_t* data, size_t size) const {
    // ID3v2.4 section 3.1: "ID3", version, revision, flags, sync-safe size.
    if (!data || size < 10) return ReadResult::TooShort;
    if (std::memcmp(data, "ID3", 3) != 0) return ReadResult::NotID3;
    if (data[3] < 2 || data[3] > 4) return ReadResult::BadVersion;
    if (data[5] & kTagExperimental) return ReadResult::Experimental;
    // One byte less than header, body and footer may arrive: the last byte of
    // a tag without padding is never needed to find the frames.
    const uint64_t needed = uint64_t(SyncSafe(data + 6)) + ((data[5] & kTagFooter) ? 19 : 9);
    if (size < needed) return ReadResult::Truncated;
    return ReadResult::EndOfData;
}

bool CID3v2Tag::Read(const uint8_t* data, size_t size, int64_t fileOffset) {
    Reset();
    m_readResult = ParseHeader(data, size);
    if (m_readResult != ReadResult::EndOfData) return false;
    const int version = data[3];
    const uint8_t flags = data[5];
    const uint32_t tagSize = SyncSafe(data + 6);
    m_oldLength = TagLengthFromHeader(data, size);
    m_fileOffset = fileOffset;
    m_version = version;
    m_revision = data[4];
    m_flags = flags;
    m_size = tagSize;
    m_exists = true;

    size_t cursor = 10;
    if ((flags & kTagExtendedHeader) && cursor + 4 <= size) {
        // ID3v2.4 section 3.2 counts the whole extended header in a sync-safe
        // size; ID3v2.3 section 3.2 counts it without its 4 size bytes.
        uint64_t skip = 0;
        if (version == 4)
            skip = SyncSafe(data + cursor);
        else if (version == 3)
            skip = uint64_t(BigEndian32(data + cursor)) + 4;
        cursor = size_t(std::min<uint64_t>(cursor + skip, size));
    }
    size_t end = size;
    if (flags & kTagFooter) end -= 10; // ID3v2.4 section 3.4: the footer repeats the header
    m_readResult = ParseFrames(data, end, cursor);
    return true;
}

CID3v2Tag::ReadResult CID3v2Tag::ParseFrames(const uint8_t* data, size_t end, size_t cursor) {
    const int version = m_version;
    const size_t headerSize = version == 2 ? 6 : 10;
    size_t inflateBudget = kMaxInflatedBytesPerTag;
    while (cursor + headerSize <= end) {
        const uint8_t* h = data + cursor;
        uint8_t header[10];
        uint64_t frameSize = 0;
        if (version == 2) {
            // ID3v2.2 section 3.2: 3-character ID and 3-byte size, no flags.
            char id[4];
            ConvertV22Id(h, id);
            std::memcpy(header, id, 4);
            frameSize = uint32_t(h[3]) << 16 | uint32_t(h[4]) << 8 | h[5];
            CID3v2Frame::EncodeSize(uint32_t(frameSize), 3, header + 4);
            header[8] = header[9] = 0;
        } else {
            std::memcpy(header, h, 10);
            const bool plain = version < 4 || ((h[4] | h[5] | h[6] | h[7]) & 0x80) != 0;
            // Some ID3v2.4 writers store plain sizes; a byte with bit 7 set
            // cannot be sync-safe, so such a size is read as plain.
            frameSize = plain ? BigEndian32(h + 4) : SyncSafe(h + 4);
        }
        if (!CID3v2Frame::IsValidId(header)) {
            const bool zeros = header[0] == 0 && header[1] == 0 && header[2] == 0;
            return zeros ? ReadResult::Padding : ReadResult::InvalidId;
        }
        if (frameSize > kMaxFrameSize) return ReadResult::OversizedFrame;
        const size_t p = cursor + headerSize;
        if (frameSize > end - p) return ReadResult::FramePastEnd;
        const size_t s = size_t(frameSize);
        std::vector<uint8_t> body;
        size_t advance = s;
        if (m_flags & kTagUnsync) {
            // ID3v2.3 writers disagree whether a frame size counts the bytes
            // before or after unsynchronisation; what follows the frame tells.
            const bool decodedSize =
                p + s + 10 <= end && !LooksLikeFrameStart(data + p + s, version);
            body.reserve(s);
            size_t r = p;
            if (decodedSize) {
                while (body.size() < s && r < end) {
                    if (r > p && data[r] == 0 && data[r - 1] == 0xFF) {
                        ++r;
                        continue;
                    }
                    body.push_back(data[r++]);
                }
                if (body.size() < s) return ReadResult::FramePastEnd;
                advance = r - p;
            } else {
                for (; r < p + s; ++r)
                    if (!(r > p && data[r] == 0 && data[r - 1] == 0xFF)) body.push_back(data[r]);
            }
            header[9] = uint8_t(header[9] & ~CID3v2Frame::kFlagUnsync);
            CID3v2Frame::EncodeSize(uint32_t(body.size()), version, header + 4);
        } else {
            body.assign(data + p, data + p + s);
        }
        cursor = p + advance;

        CID3v2Frame* frame = new CID3v2Frame(header, std::move(body));
        frame->ParseFields(version, &inflateBudget);
        if (version == 2 && frame->HasId("APIC")) {
            // Rebuild the ID3v2.2 PIC as an ID3v2.3 APIC, keeping the 3-letter
            // image format as its MIME type.
            const uint8_t* bytes;
            size_t count;
            frame->GetBinaryValue(bytes, count);
            const std::vector<uint8_t> picture(bytes, bytes + count);
            std::vector<uint8_t> rebuilt;
            CID3v2Frame::BuildPictureBody(rebuilt, picture, frame->GetField(L"Mime Type"),
                                          uint8_t(frame->GetField(L"Picture Type").ToInt()),
                                          frame->GetField(L"Description"));
            frame->SetBody(std::move(rebuilt), 3);
            frame->ParseFields(3);
        }
        m_frames.Add(frame);
    }
    return ReadResult::EndOfData;
}

int CID3v2Tag::Compare(CID3v2Frame* const& a, CID3v2Frame* const& b) const {
    const int ra = RankOf(*a), rb = RankOf(*b);
    if (ra != rb) return ra - rb;
    if (ra == kRankComment || ra == kRankUserText) {
        const int c = CID3ToolsBridge::CompareStrings(a->GetField(L"Description"),
                                                      b->GetField(L"Description"));
        if (c != 0) return c;
    }
    if (ra == kRankUnknown) {
        const uint8_t* ia = a->GetHeader();
        const uint8_t* ib = b->GetHeader();
        for (int i = 0; i < 4; ++i)
            if (ia[i] != ib[i]) return int(ia[i]) - int(ib[i]);
    }
    const int xa = IndexOfMapping(reinterpret_cast<const char*>(a->GetHeader()),
                                  a->GetField(L"Description"), CID3v2Field::BuiltIn);
    const int xb = IndexOfMapping(reinterpret_cast<const char*>(b->GetHeader()),
                                  b->GetField(L"Description"), CID3v2Field::BuiltIn);
    if (xa >= 0 && xb >= 0) return xa - xb;
    return xa >= 0 ? -1 : 1;
}

void CID3v2Tag::SortFrames() {
    ZrQSort<CID3v2Frame*>::Sort(m_frames.GetData(), m_frames.GetCount(), *this);
}

bool CID3v2Tag::Render(std::vector<uint8_t>& out, int paddingSlack) {
    SyncPodcastFields();
    if (m_frames.GetCount() > 1) SortFrames();
    std::vector<uint8_t> frames;
    for (int i = 0; i < m_frames.GetCount(); ++i)
        m_frames[i]->Render(frames);
    const int64_t F = int64_t(frames.size());
    const int64_t N = F + 10;
    const int64_t O = int64_t(m_oldLength);
    int64_t padding;
    if (m_exists && paddingSlack >= 1 && O - paddingSlack <= N && N <= O)
        padding = O - N; // fill the old space exactly: the file can be written in place
    else if (m_exists && paddingSlack <= 0 && N <= O)
        padding = O - N;
    else
        padding = (N / kPaddingBlock + 1) * kPaddingBlock - N;
    const int version = m_exists ? std::max(3, m_version) : 3;
    out.clear();
    if (uint64_t(F + padding) > kMaxBodySize) return false;
    const uint32_t body = uint32_t(F + padding);
    out.reserve(size_t(N + padding));
    const uint8_t header[10] = {'I',
                                'D',
                                '3',
                                uint8_t(version),
                                0,
                                0,
                                uint8_t((body >> 21) & 0x7F),
                                uint8_t((body >> 14) & 0x7F),
                                uint8_t((body >> 7) & 0x7F),
                                uint8_t(body & 0x7F)};
    out.insert(out.end(), header, header + 10);
    out.insert(out.end(), frames.begin(), frames.end());
    out.insert(out.end(), size_t(padding), 0);
    return true;
}

ZrString CID3v2Tag::DescribeFrame(int index) {
    const CID3v2Frame* frame = GetFrame(index);
    if (!frame) return CID3ToolsBridge::Translate(L"<invalid frame>");
    const std::string id = frame->GetId();
    ZrString line = ZrString::FromLatin1(id.c_str(), 4, false);
    ZrString description = frame->GetField(L"Description");
    if (description.IsEmpty()) {
        const int m = IndexOfMapping(id.c_str(), description, CID3v2Field::kAnyFlag);
        if (m >= 0) description = m_mapping[m]->GetHostName();
    }
    description.TrimRight();
    if (description.StartsWith(kLegacyPrefix)) description = description.Mid(kLegacyPrefixLength);
    if (description.GetLength() > kMaxDescribedName)
        description = description.Left(kShortenedName) + L"..";
    if (!description.IsEmpty()) line += ZrString(L" (") + description + L")";
    ZrString type;
    if (frame->GetKind() == ID3v2FrameKind::Picture) {
        type = frame->GetField(L"Picture Type");
        if (type == L"3") type = CID3ToolsBridge::Translate(L"Cover");
        line += ZrString(L" (") + type + L")";
    }
    ZrString value;
    if (frame->GetKind() == ID3v2FrameKind::Unknown) {
        value = CID3ToolsBridge::Translate(L"<unknown data type>");
    } else {
        const uint8_t* bytes;
        size_t count;
        // A picture's text is not made just to find it too long.
        const bool tooLarge = frame->GetBinaryValue(bytes, count) &&
                              ZrBase64::EncodedLength(count) > size_t(kMaxDescribedValue);
        if (!tooLarge) value = frame->GetField(L"Value");
        if (tooLarge || value.GetLength() > kMaxDescribedValue)
            value = CID3ToolsBridge::Translate(L"<too large to display>");
    }
    value.Replace(L"\r\n", L"\\n");
    value.Replace(L"\n", L"\\n");
    return line + L": " + value;
}

bool CID3v2Tag::GetImageFile(const ZrString& name, ZrString& result) {
    result.Empty();
    ZrPropertyMap fields;
    if (!name.EqualsNoCase(L"Image File")) {
        if (!GetField(name, fields)) return false;
        result = fields.Get(L"Value");
        return true;
    }
    std::vector<CID3v2Field*> entries;
    std::vector<CID3v2Frame*> frames;
    if (!FindFrames(name, true, entries, frames)) return false;
    const uint8_t* picture;
    size_t size;
    frames[0]->GetBinaryValue(picture, size);
    return ZrTempFile::CreateWithData(
        L"MP3 Image", ExtensionForMime(frames[0]->GetField(L"Mime Type")), picture, size, result);
}
