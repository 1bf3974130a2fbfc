#include "tags/CID3v2Frame.h"

#include "ZrCoreLib/ZrBase64.h"
#include "tags/CID3ToolsBridge.h"
#include "tags/CID3v2Sync.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

const wchar_t kTextEncoding[] = L"Text Encoding";
const wchar_t kLanguageId[] = L"Language ID";
const wchar_t kDescription[] = L"Description";
const wchar_t kValue[] = L"Value";
const wchar_t kMimeType[] = L"Mime Type";
const wchar_t kPictureType[] = L"Picture Type";

// ID3v2.4 section 4.14: picture type 3 is the front cover, the default when a
// body ends before its type byte.
constexpr uint8_t kFrontCover = 3;

uint8_t ByteAt(const std::vector<uint8_t>& data, size_t i) {
    return i < data.size() ? data[i] : 0;
}

ZrString Number(long long v) {
    return ZrString::FromInt(v);
}

ZrString Latin1(const uint8_t* p, size_t n) {
    if (n == 0) return ZrString();
    return ZrString::FromLatin1(reinterpret_cast<const char*>(p), int(n), false);
}

ZrString DecodePiece(int encoding, const uint8_t* p, size_t n) {
    if (n == 0) return ZrString();
    switch (encoding) {
    case 0:
        return Latin1(p, n);
    case 1:
    case 2: {
        std::vector<uint16_t> units(n / 2);
        for (size_t i = 0; i < units.size(); ++i)
            units[i] = encoding == 1 ? uint16_t(p[2 * i] | p[2 * i + 1] << 8)
                                     : uint16_t(p[2 * i] << 8 | p[2 * i + 1]);
        if (units.empty()) return ZrString();
        // Encoding 1 has a byte order mark: little-endian units see FF FE as
        // U+FEFF and FE FF as a swapped mark. UTF-16BE should have none, but
        // a stray one is dropped rather than shown.
        return ZrString::FromUtf16(units.data(), int(units.size()), true, false);
    }
    case 3:
        return ZrString::FromUtf8(reinterpret_cast<const char*>(p), int(n));
    default:
        return ZrString();
    }
}

void AppendLatin1(const ZrString& text, std::vector<uint8_t>& out) {
    const std::string s = text.ToLatin1();
    out.insert(out.end(), s.begin(), s.end());
}

bool StartsWithImage(const std::vector<uint8_t>& data, size_t at) {
    static const uint8_t kPng[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    if (at + 2 <= data.size() && data[at] == 0xFF && data[at + 1] == 0xD8) return true;
    return at + 8 <= data.size() && std::memcmp(&data[at], kPng, 8) == 0;
}

ZrString Base64Of(const uint8_t* data, size_t size) {
    ZrString text;
    // A tag holds at most 2^28 bytes and a frame inflates to at most 64 MiB,
    // so only a caller's oversized buffer could make text too long for a string.
    if (size == 0 || ZrBase64::EncodedLength(size) > size_t(INT_MAX)) return text;
    const int length = int(ZrBase64::EncodedLength(size));
    ZrBase64::Encode(data, size, text.GetBuffer(length, true, false));
    text.ReleaseBuffer(length);
    return text;
}

bool LoadFile(const ZrString& path, std::vector<uint8_t>& out) {
    out.clear();
    if (path.IsEmpty()) return false;
    FILE* f = std::fopen(path.ToUtf8().c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size > 0 && size_t(size) <= CID3v2Frame::kMaxPictureFileBytes &&
         std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(size_t(size));
        ok = std::fread(out.data(), 1, out.size(), f) == out.size();
    }
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

// Parse functions, one per kind; data is the body with unsynchronisation and
// compression undone, and cur the position behind a data length indicator.
// They give where the binary value starts (its text is left to the frame),
// or kNoBinary.
constexpr size_t kNoBinary = CID3v2Frame::kNoBinary;
using ParseFn = size_t (*)(const std::vector<uint8_t>& data, size_t cur, int version,
                           ZrPropertyMap& fields);

size_t ParseText(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    const int enc = ByteAt(data, cur++);
    fields.Set(kTextEncoding, Number(enc));
    fields.Set(kValue, CID3v2Frame::ReadString(enc, data, cur, false));
    return kNoBinary;
}

size_t ParseUserText(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    const int enc = ByteAt(data, cur++);
    fields.Set(kTextEncoding, Number(enc));
    fields.Set(kDescription, CID3v2Frame::ReadString(enc, data, cur, true));
    fields.Set(kValue, CID3v2Frame::ReadString(enc, data, cur, false));
    return kNoBinary;
}

size_t ParseComment(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    const int enc = ByteAt(data, cur++);
    const uint32_t lang = uint32_t(ByteAt(data, cur)) << 16 | uint32_t(ByteAt(data, cur + 1)) << 8 |
                          ByteAt(data, cur + 2);
    cur += 3;
    fields.Set(kTextEncoding, Number(enc));
    fields.Set(kLanguageId, Number(lang));
    fields.Set(kDescription, CID3v2Frame::ReadString(enc, data, cur, true));
    fields.Set(kValue, CID3v2Frame::ReadString(enc, data, cur, false));
    return kNoBinary;
}

size_t ParsePicture(const std::vector<uint8_t>& data, size_t cur, int version,
                    ZrPropertyMap& fields) {
    const int enc = ByteAt(data, cur++);
    ZrString mime;
    if (version >= 3) {
        mime = CID3v2Frame::ReadString(0, data, cur, true);
    } else {
        // ID3v2.2 section 4.15: a three-character image format instead.
        const size_t n = cur < data.size() ? std::min<size_t>(3, data.size() - cur) : 0;
        mime = Latin1(n ? &data[cur] : nullptr, n);
        cur += 3;
    }
    uint8_t type = kFrontCover;
    if (cur < data.size()) type = data[cur];
    ++cur;
    ZrString description;
    // Some writers leave out the description and its terminator; a picture
    // signature right here means the picture itself starts.
    if (!StartsWithImage(data, cur)) description = CID3v2Frame::ReadString(enc, data, cur, true);
    fields.Set(kTextEncoding, Number(enc));
    fields.Set(kMimeType, mime);
    fields.Set(kPictureType, Number(type));
    fields.Set(kDescription, description);
    return cur;
}

size_t ParseRating(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    CID3v2Frame::ReadString(0, data, cur, true); // e-mail address, not kept
    fields.Set(kValue, Number(CID3v2Frame::StarsFromRating(ByteAt(data, cur))));
    return kNoBinary;
}

size_t ParsePodcastFlag(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    const uint32_t v = uint32_t(ByteAt(data, cur)) | uint32_t(ByteAt(data, cur + 1)) << 8 |
                       uint32_t(ByteAt(data, cur + 2)) << 16 |
                       uint32_t(ByteAt(data, cur + 3)) << 24;
    fields.Set(kValue, Number(int32_t(v)));
    return kNoBinary;
}

size_t ParseUrl(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    fields.Set(kValue, CID3v2Frame::ReadString(0, data, cur, false));
    return kNoBinary;
}

size_t ParsePrivate(const std::vector<uint8_t>& data, size_t cur, int, ZrPropertyMap& fields) {
    fields.Set(kDescription, CID3v2Frame::ReadString(0, data, cur, true));
    return cur;
}

// Build functions, one per kind, beside the parse functions they mirror.
using BuildFn = void (*)(const std::vector<ZrString>& values, const ZrString& description,
                         int encoding, std::vector<uint8_t>& out);

ZrString FirstValue(const std::vector<ZrString>& values) {
    return values.empty() ? ZrString() : values[0];
}

void BuildText(const std::vector<ZrString>& values, const ZrString&, int enc,
               std::vector<uint8_t>& out) {
    out.push_back(uint8_t(enc));
    for (const ZrString& v : values)
        CID3v2Frame::WriteString(enc, v, out);
}

void BuildUserText(const std::vector<ZrString>& values, const ZrString& description, int enc,
                   std::vector<uint8_t>& out) {
    out.push_back(uint8_t(enc));
    CID3v2Frame::WriteString(enc, description, out);
    for (const ZrString& v : values)
        CID3v2Frame::WriteString(enc, v, out);
}

void BuildComment(const std::vector<ZrString>& values, const ZrString& description, int enc,
                  std::vector<uint8_t>& out) {
    out.push_back(uint8_t(enc));
    out.insert(out.end(), 3, 0); // language left unset
    CID3v2Frame::WriteString(enc, description, out);
    for (const ZrString& v : values)
        CID3v2Frame::WriteString(enc, v, out);
}

void BuildPicture(const std::vector<ZrString>& values, const ZrString&, int,
                  std::vector<uint8_t>& out) {
    const ZrString path = FirstValue(values);
    std::vector<uint8_t> picture;
    if (!LoadFile(path, picture)) return;
    const int dot = path.ReverseFind(L'.');
    const int slash = path.ReverseFind(L'/');
    ZrString ext = dot > slash ? path.Mid(dot + 1) : ZrString();
    if (ext.EqualsNoCase(L"jpg")) ext = L"jpeg";
    CID3v2Frame::BuildPictureBody(out, picture, ZrString(L"image/") + ext, kFrontCover, ZrString());
}

void BuildRating(const std::vector<ZrString>& values, const ZrString&, int,
                 std::vector<uint8_t>& out) {
    out.push_back(0); // empty e-mail address
    out.push_back(CID3v2Frame::RatingFromStars(FirstValue(values).ToInt()));
}

void BuildPodcastFlag(const std::vector<ZrString>& values, const ZrString&, int,
                      std::vector<uint8_t>& out) {
    const uint32_t v = uint32_t(FirstValue(values).ToInt());
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void BuildUrl(const std::vector<ZrString>& values, const ZrString&, int,
              std::vector<uint8_t>& out) {
    AppendLatin1(FirstValue(values), out);
    out.push_back(0);
}

void BuildPrivate(const std::vector<ZrString>& values, const ZrString& description, int,
                  std::vector<uint8_t>& out) {
    AppendLatin1(description, out);
    out.push_back(0);
    std::vector<uint8_t> bytes;
    ZrBase64::Decode(FirstValue(values).ToLatin1(), bytes);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

struct KindOps {
    ParseFn parse;
    BuildFn build;
};

// Indexed by ID3v2FrameKind.
constexpr KindOps kKindOps[] = {
    {ParseUserText, BuildUserText},
    {ParsePicture, BuildPicture},
    {ParseRating, BuildRating},
    {ParseText, BuildText},
    {ParsePodcastFlag, BuildPodcastFlag},
    {ParseUrl, BuildUrl},
    {ParseComment, BuildComment},
    {ParsePrivate, BuildPrivate},
    {nullptr, nullptr},
};
static_assert(sizeof(kKindOps) / sizeof(kKindOps[0]) == size_t(ID3v2FrameKind::Unknown) + 1,
              "one row per frame kind");

} // namespace

CID3v2Frame::CID3v2Frame(const uint8_t header[10], std::vector<uint8_t> body)
    : m_body(std::move(body)) {
    std::memcpy(m_header, header, 10);
}

CID3v2Frame::CID3v2Frame(const char* id, std::vector<uint8_t> body, int version) {
    std::memset(m_header, 0, sizeof(m_header));
    std::memcpy(m_header, id, 4);
    SetBody(std::move(body), version);
}

CID3v2Frame::~CID3v2Frame() = default;

bool CID3v2Frame::HasId(const char* id) const {
    return std::memcmp(m_header, id, 4) == 0;
}

void CID3v2Frame::SetBody(std::vector<uint8_t> body, int version) {
    if (m_binaryFrom != kNoBinary && !m_binaryInSource) {
        m_binarySource = std::move(m_body);
        m_binaryInSource = true;
    }
    m_body = std::move(body);
    EncodeSize(uint32_t(m_body.size()), version, m_header + 4);
}

void CID3v2Frame::Render(std::vector<uint8_t>& out) const {
    out.insert(out.end(), m_header, m_header + 10);
    out.insert(out.end(), m_body.begin(), m_body.end());
}

ID3v2FrameKind CID3v2Frame::KindOf(const char* id) {
    for (const ID3v2FrameKindRule& rule : kID3v2FrameKindRules) {
        const size_t n = std::strlen(rule.id);
        if (std::memcmp(id, rule.id, n) == 0) return rule.kind;
    }
    return ID3v2FrameKind::Unknown;
}

bool CID3v2Frame::IsValidId(const uint8_t* id) {
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = id[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '?')) return false;
    }
    return true;
}

void CID3v2Frame::EncodeSize(uint32_t size, int version, uint8_t out[4]) {
    if (version >= 4)
        CID3v2Sync::WriteSyncSafe(size, out);
    else
        CID3v2Sync::WriteBigEndian(size, out);
}

bool CID3v2Frame::ParseFields(int version, size_t* inflateBudget) {
    m_fields.Clear();
    m_binaryFrom = kNoBinary;
    m_binaryInSource = false;
    m_binarySource.clear();
    m_valueTextPending = false;
    const ID3v2FrameKind kind = GetKind();
    if (kind == ID3v2FrameKind::Unknown) return false;
    const uint8_t format = GetFormatFlags();
    // Only unsynchronised or compressed bodies need a working copy.
    const bool decode = (format & (kFlagUnsync | kFlagCompressed)) != 0;
    std::vector<uint8_t> decoded;
    if (decode) {
        if (format & kFlagUnsync)
            CID3v2Sync::RemoveUnsync(m_body.data(), m_body.size(), SIZE_MAX, decoded);
        else
            decoded = m_body;
        if (format & kFlagCompressed) {
            // Without a decompressor, or on bad data, the fields come from the
            // compressed bytes as they are; the frame is still written back as read.
            size_t maxOut = std::min(decoded.size() * kMaxInflateRatio, kMaxInflatedBytes);
            if (inflateBudget) maxOut = std::min(maxOut, *inflateBudget);
            std::vector<uint8_t> inflated;
            if (maxOut > 0 &&
                CID3ToolsBridge::Inflate(decoded.data(), decoded.size(), maxOut, inflated)) {
                if (inflateBudget) *inflateBudget -= inflated.size();
                decoded.swap(inflated);
            }
        }
    }
    const size_t cur = (format & kFlagDataLength) ? 4 : 0;
    m_binaryFrom = kKindOps[size_t(kind)].parse(decode ? decoded : m_body, cur, version, m_fields);
    if (m_binaryFrom != kNoBinary) {
        m_valueTextPending = true;
        if (decode) {
            m_binarySource.swap(decoded);
            m_binaryInSource = true;
        }
    }
    return true;
}

bool CID3v2Frame::GetBinaryValue(const uint8_t*& data, size_t& size) const {
    data = nullptr;
    size = 0;
    if (m_binaryFrom == kNoBinary) return false;
    const std::vector<uint8_t>& source = m_binaryInSource ? m_binarySource : m_body;
    if (m_binaryFrom < source.size()) {
        data = source.data() + m_binaryFrom;
        size = source.size() - m_binaryFrom;
    }
    return true;
}

void CID3v2Frame::MakeValueText() const {
    if (!m_valueTextPending) return;
    m_valueTextPending = false;
    const uint8_t* data;
    size_t size;
    GetBinaryValue(data, size);
    m_fields.Set(kValue, Base64Of(data, size));
}

const ZrPropertyMap& CID3v2Frame::GetFields() const {
    MakeValueText();
    return m_fields;
}

ZrString CID3v2Frame::GetField(const wchar_t* name) const {
    if (m_valueTextPending && ZrString(name).EqualsNoCase(kValue)) MakeValueText();
    return m_fields.Get(name);
}

ZrString CID3v2Frame::ReadString(int encoding, const std::vector<uint8_t>& data, size_t& cursor,
                                 bool single) {
    const size_t width = (encoding == 1 || encoding == 2) ? 2 : 1;
    ZrString result;
    while (cursor < data.size()) {
        size_t end = data.size(); // piece end without terminator
        size_t next = data.size();
        for (size_t i = cursor; i + width <= data.size(); i += width) {
            if (data[i] == 0 && (width == 1 || data[i + 1] == 0)) {
                end = i;
                next = i + width;
                break;
            }
        }
        const ZrString piece = DecodePiece(encoding, &data[cursor], end - cursor);
        cursor = next;
        if (single) return piece;
        if (!piece.IsEmpty()) {
            if (!result.IsEmpty()) result += L";";
            result += piece;
        }
    }
    return result;
}

void CID3v2Frame::WriteString(int encoding, const ZrString& text, std::vector<uint8_t>& out) {
    const wchar_t* p = text.c_str();
    const int n = text.GetLength();
    switch (encoding) {
    case 1:
    case 2: {
        auto unit = [&](uint32_t u) {
            if (encoding == 1) {
                out.push_back(uint8_t(u));
                out.push_back(uint8_t(u >> 8));
            } else {
                out.push_back(uint8_t(u >> 8));
                out.push_back(uint8_t(u));
            }
        };
        if (encoding == 1) unit(0xFEFF);
        for (int i = 0; i < n; ++i) {
            const uint32_t c = uint32_t(p[i]);
            if (c > 0xFFFF && c <= 0x10FFFF) {
                // UTF-16 surrogate pair.
                const uint32_t v = c - 0x10000;
                unit(0xD800 | (v >> 10));
                unit(0xDC00 | (v & 0x3FF));
            } else {
                unit(c > 0xFFFF ? uint32_t('?') : c);
            }
        }
        out.push_back(0);
        out.push_back(0);
        break;
    }
    case 3: {
        const std::string s = text.ToUtf8();
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
        break;
    }
    default:
        AppendLatin1(text, out);
        out.push_back(0);
        break;
    }
}

int CID3v2Frame::ChooseEncoding(const ZrString& value) {
    const wchar_t* p = value.c_str();
    for (int i = 0; i < value.GetLength(); ++i)
        if (uint32_t(p[i]) > 0x7F) return 1;
    return 0;
}

void CID3v2Frame::BuildPictureBody(std::vector<uint8_t>& out, const std::vector<uint8_t>& picture,
                                   const ZrString& mimeType, uint8_t pictureType,
                                   const ZrString& description) {
    out.push_back(0);
    AppendLatin1(mimeType, out);
    out.push_back(0);
    out.push_back(pictureType);
    AppendLatin1(description.IsEmpty() ? ZrString(L"Picture") : description, out);
    out.push_back(0);
    out.insert(out.end(), picture.begin(), picture.end());
}

void CID3v2Frame::BuildBody(ID3v2FrameKind kind, const std::vector<ZrString>& values,
                            const ZrString& description, int encoding, std::vector<uint8_t>& out) {
    out.clear();
    const BuildFn build = kKindOps[size_t(kind)].build;
    if (build) build(values, description, encoding, out);
}

int CID3v2Frame::StarsFromRating(uint8_t rating) {
    // Five bands of 51 values above 0 (the Windows Media Player convention).
    return rating == 0 ? 0 : (rating - 1) / 51 + 1;
}

uint8_t CID3v2Frame::RatingFromStars(long long stars) {
    static const uint8_t kBytes[6] = {0, 1, 64, 128, 192, 255};
    if (stars < 0) return uint8_t(stars & 0xFF);
    return stars <= 5 ? kBytes[stars] : 0;
}
