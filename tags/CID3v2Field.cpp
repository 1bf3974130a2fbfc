#include "tags/CID3v2Field.h"

#include "ZrCoreLib/ZrBase64.h"
#include "ZrCoreLib/ZrDateTime.h"
#include "tags/tables/ID3v1Genres.h"
#include "tags/tables/ID3v2FieldTable.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const wchar_t kValue[] = L"Value";
const wchar_t kValueOriginal[] = L"Value Original";

// Text of bytes that carry no marking: a byte order mark selects UTF-16 or
// UTF-8, unmarked bytes are UTF-8 (the form that writing stores), and bytes
// that are not UTF-8 fall back to Latin-1 character by character, as the
// string's UTF-8 decoder does.
ZrString TextOfBytes(const std::vector<uint8_t>& b) {
    if (b.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        std::vector<uint16_t> units(b.size() / 2);
        for (size_t i = 0; i < units.size(); ++i)
            units[i] = uint16_t(b[2 * i] | b[2 * i + 1] << 8);
        return ZrString::FromUtf16(units.data(), int(units.size()), true, false);
    }
    size_t skip = 0;
    if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) skip = 3;
    if (b.size() <= skip) return ZrString();
    return ZrString::FromUtf8(reinterpret_cast<const char*>(b.data() + skip), int(b.size() - skip));
}

} // namespace

CID3v2Field::CID3v2Field(const char* frameId, const ZrString& hostName, const ZrString& description,
                         uint32_t flags, uint32_t pictureType)
    : m_hostName(hostName), m_description(description), m_flags(flags), m_pictureType(pictureType) {
    std::memcpy(m_frameId, frameId, 4);
    m_frameId[4] = 0;
}

bool CID3v2Field::HasFrameId(const char* id) const {
    return std::memcmp(m_frameId, id, 4) == 0;
}

bool CID3v2Field::IsListField(const ZrString& name) {
    for (const wchar_t* list : kID3v2ListFields)
        if (name.EqualsNoCase(list)) return true;
    return false;
}

ZrString CID3v2Field::ConvertGenre(const ZrString& value) {
    if (value == L"-1") return ZrString();
    if (!value.StartsWith(L"(")) return value;
    ZrString stripped = value;
    stripped.Replace(L"(", L"");
    stripped.Replace(L")", L"");
    bool ok = false;
    const long long n = stripped.ToInt(&ok);
    if (ok && n >= 0 && n < kID3v1GenreCount) return ZrString::FromLatin1(kID3v1Genres[n]);
    return stripped;
}

ZrString CID3v2Field::DateNumberToText(double date) {
    // Nine decimals resolve well below the 0.01 s tolerance of the marks.
    ZrString text = ZrString::Format(L"%.9f", date);
    if (text.Find(L'.') >= 0) {
        int n = text.GetLength();
        while (n > 0 && text[n - 1] == L'0')
            --n;
        if (n > 0 && text[n - 1] == L'.') --n;
        text = text.Left(n);
    }
    return text;
}

void CID3v2Field::ConvertForRead(ZrPropertyMap& fields) const {
    ZrString value = fields.Get(kValue);
    if (m_flags & NumberWithTotal) {
        fields.Set(kValueOriginal, value);
        const int slash = value.Find(L'/');
        if (slash >= 0) value = value.Left(slash);
    }
    if (m_flags & GenreCode) value = ConvertGenre(value);
    if (m_flags & ReplayPeak) value.Replace(L"replaygain_track_peak", L"");
    if ((m_flags & ReplayGain) && !value.IsEmpty()) {
        value.Replace(L"db", L"");
        value.Replace(L"replaygain_track_gain", L"");
        value = ZrString::Format(L"%f", value.ToDouble());
    }
    const bool legacyDate = HasFrameId("TXXX") && m_hostName == L"Date" && m_description == L"Date";
    if (((m_flags & DateValue) || legacyDate) && !value.IsEmpty()) {
        double date = 0;
        value = ZrDateTime::ParseIso8601(value, date) ? DateNumberToText(date) : ZrString();
    }
    if ((m_flags & Utf8Base64) && !value.IsEmpty()) {
        std::vector<uint8_t> bytes;
        ZrBase64::Decode(value.ToLatin1(), bytes);
        value = TextOfBytes(bytes);
    }
    fields.Set(kValue, value);
}

ZrString CID3v2Field::ConvertForWrite(const ZrString& value, const ZrString& oldValue) const {
    if (m_flags & NumberWithTotal) {
        const int slash = oldValue.Find(L'/');
        if (slash < 0) return value;
        const int total = int(oldValue.Mid(slash + 1).ToInt());
        return ZrString::Format(L"%s/%d", value, total);
    }
    if (m_flags & ReplayGain) {
        const double g = value.ToDouble();
        if (g == 0) return ZrString();
        ZrString text = ZrString::Format(L"%.2f", g);
        if (g >= 0) text = ZrString(L"+") + text;
        text += L" dB";
        text.Replace(L',', L'.');
        return text;
    }
    if (m_flags & ReplayPeak) {
        ZrString text = ZrString::Format(L"%.6f", value.ToDouble());
        text.Replace(L',', L'.');
        return text;
    }
    if (m_flags & DateValue) {
        bool ok = false;
        const double date = value.ToDouble(&ok);
        return ok ? ZrDateTime::FormatDate(date) : ZrString();
    }
    if (m_flags & Utf8Base64) {
        const std::string utf8 = value.ToUtf8();
        const std::string b64 =
            ZrBase64::Encode(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size());
        return ZrString::FromLatin1(b64.c_str(), int(b64.size()));
    }
    return value;
}
