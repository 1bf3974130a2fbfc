// The field mapping of CID3v2Tag: which frames hold a host field, and the
// reading and writing of fields through them.
#include "tags/CID3v2Tag.h"

#include "ZrCoreLib/ZrDateTime.h"
#include "tags/tables/ID3v2FieldTable.h"

namespace {

const wchar_t kLegacyPrefix[] = L"Quillon Audio: ";

const wchar_t kPodcastDescription[] = L"!@#$% iTunes Podcast Description !@#$%";
const wchar_t kPodcastFeedUrl[] = L"!@#$% iTunes Podcast Feed URL !@#$%";
const wchar_t kPodcastEpisodeUrl[] = L"!@#$% iTunes Podcast Episode URL !@#$%";
const wchar_t kPodcastFlag[] = L"!@#$% iTunes Podcast Flag !@#$%";
const wchar_t kPodcastDate[] = L"!@#$% iTunes Podcast Date !@#$%";

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

void CID3v2Tag::BuildMapping() {
    for (const ID3v2FieldRow& row : kID3v2FieldTable)
        AddMapping(new CID3v2Field(row.frameId, row.hostName, row.description,
                                   row.flags | CID3v2Field::BuiltIn, row.pictureType));
    for (auto& entry : m_mapping)
        if (CID3v2Field::IsListField(entry->GetHostName())) entry->AddFlags(CID3v2Field::ListValue);
}

void CID3v2Tag::AddMapping(CID3v2Field* entry) {
    const int position = m_mapping.Add(entry);
    ZrNumberArray<int>** positions = m_mappingIndex.Find(entry->GetHostName().c_str());
    if (positions) {
        (*positions)->Add(position);
    } else {
        ZrNumberArray<int>* list = new ZrNumberArray<int>;
        list->Add(position);
        m_mappingIndex.SetAt(entry->GetHostName().c_str(), list);
    }
}

const CID3v2Field* CID3v2Tag::GetMapping(int index) const {
    if (index < 0 || index >= m_mapping.GetCount()) return nullptr;
    return m_mapping[index];
}

CID3v2Field* CID3v2Tag::NextMapping(const ZrString& name, int& cursor, bool create, uint32_t mask) {
    ZrNumberArray<int>** found = m_mappingIndex.Find(name.c_str());
    if (create && cursor == 0 && !found && !name.EqualsNoCase(L"Year")) {
        // Every field the table does not know lives in a TXXX frame named
        // after it; older versions kept it in a comment with the legacy prefix.
        AddMapping(
            new CID3v2Field("TXXX", name, name, CID3v2Field::WriteV23 | CID3v2Field::WriteV24));
        AddMapping(new CID3v2Field("COMM", name, ZrString(kLegacyPrefix) + name, 0));
        found = m_mappingIndex.Find(name.c_str());
    }
    if (!found) return nullptr;
    const ZrNumberArray<int>& positions = **found;
    for (int k = 0; k < positions.GetCount(); ++k) {
        const int pos = positions[k];
        if (pos < cursor) continue;
        CID3v2Field* entry = m_mapping[pos];
        if (entry->Accepts(mask)) {
            cursor = pos + 1;
            return entry;
        }
    }
    return nullptr;
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

int CID3v2Tag::IndexOfMapping(const char* frameId, const ZrString& description,
                              uint32_t mask) const {
    for (int i = 0; i < m_mapping.GetCount(); ++i) {
        const CID3v2Field& e = *m_mapping[i];
        if (e.HasFrameId(frameId) && e.GetDescription().EqualsNoCase(description.c_str()) &&
            e.Accepts(mask))
            return i;
    }
    return -1;
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
        bool remove = false;
        for (CID3v2Frame* d : doomed)
            remove = remove || m_frames[i] == d;
        if (remove) {
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
