#include "tags/CID3v2Tag.h"

#include "ZrCoreLib/ZrDateTime.h"
#include "ZrCoreLib/ZrQSort.h"
#include "tags/CID3ToolsBridge.h"
#include "tags/CID3v2FrameDescriber.h"
#include "tags/CID3v2PictureExport.h"

#include <algorithm>

namespace {

// Frame classes of the written order: known kinds first, then comments, then
// user texts and URLs, unknown frames last.
constexpr int kRankKnown = 10000;
constexpr int kRankComment = 20000;
constexpr int kRankUserText = 30000;
constexpr int kRankUnknown = 40000;

const wchar_t kPodcastDescription[] = L"!@#$% iTunes Podcast Description !@#$%";
const wchar_t kPodcastFeedUrl[] = L"!@#$% iTunes Podcast Feed URL !@#$%";
const wchar_t kPodcastEpisodeUrl[] = L"!@#$% iTunes Podcast Episode URL !@#$%";
const wchar_t kPodcastFlag[] = L"!@#$% iTunes Podcast Flag !@#$%";
const wchar_t kPodcastDate[] = L"!@#$% iTunes Podcast Date !@#$%";

int RankOf(const CID3v2Frame& f) {
    if (f.GetKind() == ID3v2FrameKind::Unknown) return kRankUnknown;
    if (f.HasId("COMM")) return kRankComment;
    if (f.HasId("TXXX") || f.HasId("WXXX")) return kRankUserText;
    return kRankKnown;
}

bool CarriesDescription(const CID3v2Frame& f) {
    return f.HasId("TXXX") || f.HasId("WXXX") || f.HasId("COMM") || f.HasId("QLGN") ||
           f.HasId("USLT");
}

std::vector<ZrString> SplitList(const ZrString& value) {
    // Pieces are trimmed and empty ones dropped: "A; B;" is two artists.
    std::vector<ZrString> out;
    int start = 0;
    while (start <= value.GetLength()) {
        int sep = value.Find(L';', start);
        if (sep < 0) sep = value.GetLength();
        ZrString piece = value.Mid(start, sep - start);
        piece.Trim();
        if (!piece.IsEmpty()) out.push_back(piece);
        start = sep + 1;
    }
    return out;
}

} // namespace

CID3v2Tag::CID3v2Tag() {
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
    m_readResult = ReadResult::None;
}

CID3v2Frame* CID3v2Tag::GetFrame(int index) const {
    if (index < 0 || index >= m_frames.GetCount()) return nullptr;
    return m_frames[index];
}

size_t CID3v2Tag::TagLengthFromHeader(const uint8_t* data, size_t size) {
    CID3v2Header header;
    return header.Parse(data, size) ? size_t(header.GetTotalLength()) : 0;
}

bool CID3v2Tag::Read(const uint8_t* data, size_t size, int64_t fileOffset) {
    Reset();
    CID3v2Header header;
    m_readResult = CID3v2TagParser::ParseHeader(data, size, header);
    if (m_readResult != ReadResult::EndOfData) return false;
    m_oldLength = size_t(header.GetTotalLength());
    m_fileOffset = fileOffset;
    m_version = header.GetVersion();
    m_exists = true;
    m_readResult = CID3v2TagParser::ParseFrames(data, size, header, m_frames);
    return true;
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
    // An ID3v2.2 tag is written as ID3v2.3: its frames were converted on reading.
    const int version = m_exists ? std::max(3, m_version) : 3;
    return CID3v2TagRenderer::Render(m_frames, version, m_exists, m_oldLength, paddingSlack, out);
}

ZrString CID3v2Tag::DescribeFrame(int index) {
    return CID3v2FrameDescriber::Describe(GetFrame(index), m_mapping);
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
    return CID3v2PictureExport::WriteTempFile(*frames[0], result);
}

bool CID3v2Tag::FrameMatches(const CID3v2Field& entry, const CID3v2Frame& frame) const {
    if (!frame.HasId(entry.GetFrameId())) return false;
    if (CarriesDescription(frame)) {
        if (entry.GetFlags() & CID3v2Field::AnyDescription) return true;
        return frame.GetField(L"Description").EqualsNoCase(entry.GetDescription().c_str());
    }
    if (frame.HasId("APIC")) {
        if (entry.GetPictureType() == CID3v2Field::kAnyPictureType) return true;
        return frame.GetField(L"Picture Type").ToInt() == (long long)entry.GetPictureType();
    }
    return true;
}

bool CID3v2Tag::FindFrames(const ZrString& name, bool create, std::vector<CID3v2Field*>& entries,
                           std::vector<CID3v2Frame*>& frames) {
    entries.clear();
    frames.clear();
    int cursor = 0;
    while (CID3v2Field* entry = NextMapping(name, cursor, create, CID3v2Field::kAnyFlag)) {
        for (int i = 0; i < m_frames.GetCount(); ++i) {
            if (FrameMatches(*entry, *m_frames[i])) {
                entries.push_back(entry);
                frames.push_back(m_frames[i]);
            }
        }
    }
    return !frames.empty();
}

bool CID3v2Tag::GetField(const ZrString& name, ZrPropertyMap& out, uint32_t options) {
    out.Clear();
    std::vector<CID3v2Field*> entries;
    std::vector<CID3v2Frame*> frames;
    if (!FindFrames(name, true, entries, frames)) return false;
    out.Merge(frames[0]->GetFields());
    if (options & kGetRaw) return true;
    entries[0]->ConvertForRead(out);
    return true;
}

ZrString CID3v2Tag::GetFieldValue(const ZrString& name) {
    ZrPropertyMap fields;
    return GetField(name, fields) ? fields.Get(L"Value") : ZrString();
}

bool CID3v2Tag::SetField(const ZrString& name, const ZrString& value) {
    ZrPropertyMap old;
    GetField(name, old, kGetRaw);
    const ZrString oldValue = old.Get(L"Value");

    std::vector<CID3v2Field*> entries;
    std::vector<CID3v2Frame*> frames;
    FindFrames(name, true, entries, frames);
    std::vector<CID3v2Frame*> doomed;
    for (size_t i = 0; i < frames.size(); ++i)
        if (!(entries[i]->GetFlags() & CID3v2Field::KeepOnWrite)) doomed.push_back(frames[i]);
    for (int i = 0; i < m_frames.GetCount();) {
        if (std::find(doomed.begin(), doomed.end(), m_frames[i]) != doomed.end()) {
            m_frames.RemoveAt(i);
            m_modified = true;
        } else {
            ++i;
        }
    }

    ZrString toWrite = value;
    uint32_t mask = m_version >= 4 ? CID3v2Field::WriteV24 : CID3v2Field::WriteV23;
    if (name == L"Date") {
        if (toWrite.IsEmpty()) return false;
        // The year of a year-only date belongs to "Year" (TYER) in ID3v2.3.
        if (m_version < 4 && ZrDateTime::IsYearOnly(toWrite.ToDouble())) return false;
    } else {
        if (name == L"Feed URL")
            SetField(L"iTunes Podcast Flag", value.IsEmpty() ? ZrString() : ZrString(L"0"));
        if (toWrite.IsEmpty()) return false;
    }

    const int encoding = CID3v2Frame::ChooseEncoding(value);
    const int version = WriteVersion();
    bool appended = false;
    int cursor = 0;
    while (CID3v2Field* entry = NextMapping(name, cursor, true, mask)) {
        const ZrString converted = entry->ConvertForWrite(toWrite, oldValue);
        std::vector<ZrString> values;
        if (entry->GetFlags() & CID3v2Field::ListValue)
            values = SplitList(converted);
        else
            values.push_back(converted);
        std::vector<uint8_t> body;
        CID3v2Frame::BuildBody(CID3v2Frame::KindOf(entry->GetFrameId()), values,
                               entry->GetDescription(), encoding, body);
        if (body.empty()) continue;
        CID3v2Frame* frame = new CID3v2Frame(entry->GetFrameId(), std::move(body), version);
        frame->ParseFields(version);
        m_frames.Add(frame);
        appended = true;
    }
    if (appended) m_modified = true;
    return appended;
}

void CID3v2Tag::SyncPodcastFields() {
    const ZrString feed = GetFieldValue(L"Feed URL");
    if (!feed.IsEmpty()) {
        SetField(kPodcastDescription, GetFieldValue(L"Comment"));
        SetField(kPodcastFeedUrl, feed);
        SetField(kPodcastEpisodeUrl, GetFieldValue(L"Episode URL"));
        SetField(kPodcastFlag, L"0");
        SetField(kPodcastDate, GetFieldValue(L"Date"));
    } else {
        SetField(kPodcastDescription, ZrString());
        SetField(kPodcastFeedUrl, ZrString());
        SetField(kPodcastEpisodeUrl, ZrString());
        SetField(kPodcastFlag, ZrString());
    }
}
