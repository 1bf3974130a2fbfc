#include "tags/CID3v1Tag.h"

#include "ZrCoreLib/IZrReader.h"
#include "tags/tables/ID3v1Genres.h"

#include <cstring>

namespace {

struct TextField {
    const wchar_t* name;
    int offset;
    int length;
};

// The comment runs to byte 125: an ID3v1.1 record keeps that byte zero, an
// ID3v1.0 record uses it for text.
constexpr TextField kTextFields[] = {{L"Name", 3, 30},
                                     {L"Artist", 33, 30},
                                     {L"Album", 63, 30},
                                     {L"Year", 93, 4},
                                     {L"Comment", 97, 29}};
constexpr int kTrackByte = 126;
constexpr int kGenreByte = 127;
constexpr int kLastCommentByte = 125;

const TextField* FindTextField(const ZrString& name) {
    for (const TextField& f : kTextFields)
        if (name.EqualsNoCase(f.name)) return &f;
    return nullptr;
}

} // namespace

CID3v1Tag::CID3v1Tag() {
    Reset();
}

CID3v1Tag::~CID3v1Tag() = default;

void CID3v1Tag::Reset() {
    std::memset(m_record, 0, sizeof(m_record));
    std::memcpy(m_record, "TAG", 3);
    m_exists = false;
    m_modified = false;
}

bool CID3v1Tag::ReadRecord(const uint8_t* record, size_t size) {
    const bool found = record && size == size_t(kRecordSize) && std::memcmp(record, "TAG", 3) == 0;
    uint8_t copy[kRecordSize];
    if (found) std::memcpy(copy, record, kRecordSize); // record may be our own bytes
    Reset();
    if (found) {
        std::memcpy(m_record, copy, kRecordSize);
        m_exists = true;
    }
    return m_exists;
}

bool CID3v1Tag::Read(IZrReader* reader) {
    Reset();
    if (!reader) return false;
    const int64_t size = reader->GetSize();
    if (size <= kRecordSize) return false;
    const int64_t position = reader->GetPosition();
    uint8_t record[kRecordSize];
    uint32_t got = 0;
    if (reader->Seek(size - kRecordSize, 0) >= 0) got = reader->Read(record, kRecordSize);
    reader->Seek(position, 0);
    return ReadRecord(record, got);
}

ZrString CID3v1Tag::GenreName(int index) {
    if (index < 0 || index >= kID3v1GenreCount) return ZrString();
    return ZrString::FromLatin1(kID3v1Genres[index]);
}

uint8_t CID3v1Tag::GenreIndex(const ZrString& name) {
    for (int i = 0; i < kID3v1GenreCount; ++i)
        if (name.EqualsNoCase(ZrString::FromLatin1(kID3v1Genres[i]).c_str())) return uint8_t(i);
    return kNoGenre;
}

bool CID3v1Tag::GetField(const ZrString& name, ZrPropertyMap& out, uint32_t) {
    out.Clear();
    if (!m_exists) return false;
    ZrString value;
    if (const TextField* f = FindTextField(name)) {
        const char* text = reinterpret_cast<const char*>(m_record + f->offset);
        value = ZrString::FromLatin1(text, int(strnlen(text, size_t(f->length))));
        value.TrimRight();
    } else if (name.EqualsNoCase(L"Track #")) {
        const int track = m_record[kTrackByte];
        // A space in byte 126 after text in byte 125 is ID3v1.0 comment
        // padding, not track 32.
        const bool padding = track == 32 && m_record[kLastCommentByte] != 0;
        if (track != 0 && !padding) value = ZrString::FromInt(track);
    } else if (name.EqualsNoCase(L"Genre")) {
        value = GenreName(m_record[kGenreByte]);
    }
    out.Set(L"Value", value);
    return !value.IsEmpty();
}

bool CID3v1Tag::SetField(const ZrString& name, const ZrString& value) {
    if (const TextField* f = FindTextField(name)) {
        const std::string bytes = value.ToLatin1();
        std::memset(m_record + f->offset, 0, size_t(f->length));
        std::memcpy(m_record + f->offset, bytes.data(),
                    bytes.size() < size_t(f->length) ? bytes.size() : size_t(f->length));
    } else if (name.EqualsNoCase(L"Track #")) {
        m_record[kTrackByte] = uint8_t(value.ToInt() & 0xFF);
    } else if (name.EqualsNoCase(L"Genre")) {
        m_record[kGenreByte] = GenreIndex(value);
    } else {
        return false;
    }
    m_modified = true;
    return true;
}
