#pragma once

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/tables/ID3v2FrameKinds.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One frame of an ID3v2 tag: the 10-byte header as it will be written, the
// body bytes exactly as they will be written, and the body decoded into named
// text fields ("Text Encoding", "Language ID", "Description", "Value", "Mime
// Type", "Picture Type"). Numbers are decimal text, binary data Base64.
//
// The stored body is never rewritten by decoding: compressed, unsynchronised
// or unknown frames go back into the file byte for byte.
//
// The Base64 "Value" of a picture or private frame is made on its first
// request: a library scan opens thousands of files with cover pictures and
// never asks for one. Like the rest of a tag, a frame belongs to one thread
// at a time, even in its const functions.
class CID3v2Frame {
public:
    // Format flags (second flag byte) as ID3v2.4 section 4.1.2 defines them;
    // they are applied whatever the tag version.
    static constexpr uint8_t kFlagDataLength = 0x01;
    static constexpr uint8_t kFlagUnsync = 0x02;
    static constexpr uint8_t kFlagCompressed = 0x08;

    // Compressed frames inflate into at most this many times their size...
    static constexpr size_t kMaxInflateRatio = 20;
    // ...and never beyond 64 MiB, a quarter of the largest tag (2^28 bytes), so
    // that a small hostile frame cannot ask for gigabytes.
    static constexpr size_t kMaxInflatedBytes = size_t(64) << 20;
    // An image file for a new picture frame larger than this is refused: a
    // tag cannot hold more than 2^28 bytes in all.
    static constexpr size_t kMaxPictureFileBytes = size_t(64) << 20;

    // A frame as read: the header bytes (ID, size, flags) and the body.
    CID3v2Frame(const uint8_t header[10], std::vector<uint8_t> body);
    // A new frame: flags 0, the size encoded for the tag version.
    CID3v2Frame(const char* id, std::vector<uint8_t> body, int version);
    virtual ~CID3v2Frame();

    CID3v2Frame(const CID3v2Frame&) = delete;
    CID3v2Frame& operator=(const CID3v2Frame&) = delete;

    std::string GetId() const { return std::string(reinterpret_cast<const char*>(m_header), 4); }
    bool HasId(const char* id) const;
    const uint8_t* GetHeader() const { return m_header; }
    uint8_t GetStatusFlags() const { return m_header[8]; }
    uint8_t GetFormatFlags() const { return m_header[9]; }
    void ClearFormatFlags(uint8_t mask) { m_header[9] = uint8_t(m_header[9] & ~mask); }
    ID3v2FrameKind GetKind() const { return KindOf(reinterpret_cast<const char*>(m_header)); }

    const std::vector<uint8_t>& GetBody() const { return m_body; }
    // Replaces the body and re-encodes the size field for the tag version.
    // The fields stay those of the old body until ParseFields.
    void SetBody(std::vector<uint8_t> body, int version);

    const ZrPropertyMap& GetFields() const;
    ZrString GetField(const wchar_t* name) const;
    // The bytes whose Base64 text is the "Value" of a picture or private
    // frame, valid until the next ParseFields; false for other kinds.
    bool GetBinaryValue(const uint8_t*& data, size_t& size) const;
    static constexpr size_t kNoBinary = SIZE_MAX;

    // Decodes the body into the fields (replaced). False, with no fields, for
    // a frame of the unknown kind. Short bodies read missing bytes as 0.
    // inflateBudget, when given, caps the bytes a compressed body may inflate
    // into and is reduced by what it did inflate: the whole tag shares one.
    bool ParseFields(int version, size_t* inflateBudget = nullptr);

    // Appends the header and the body.
    void Render(std::vector<uint8_t>& out) const;
    size_t GetRenderedSize() const { return 10 + m_body.size(); }

    static ID3v2FrameKind KindOf(const char* id);
    // Four upper-case letters, digits or "?" (ID3v2.4 section 4).
    static bool IsValidId(const uint8_t* id);
    // ID3v2.4 sizes are sync-safe (section 6.2), older ones plain big-endian.
    static void EncodeSize(uint32_t size, int version, uint8_t out[4]);

    // Reads text of the given encoding at cursor and moves cursor behind it.
    // single: only the first terminated piece; otherwise all pieces to the end
    // of data, the non-empty ones joined with ";".
    static ZrString ReadString(int encoding, const std::vector<uint8_t>& data, size_t& cursor,
                               bool single);
    // Appends text and its terminator: 0 ISO-8859-1, 1 UTF-16 with a
    // little-endian byte order mark, 2 UTF-16BE, 3 UTF-8.
    static void WriteString(int encoding, const ZrString& text, std::vector<uint8_t>& out);
    // 1 (UTF-16) when a character lies above U+007F, else 0 (ISO-8859-1).
    static int ChooseEncoding(const ZrString& value);

    // APIC body in encoding 0: MIME type, picture type, description
    // ("Picture" when empty), picture bytes.
    static void BuildPictureBody(std::vector<uint8_t>& out, const std::vector<uint8_t>& picture,
                                 const ZrString& mimeType, uint8_t pictureType,
                                 const ZrString& description);
    // The body of a new frame of the kind from host values already converted
    // and split; for a picture the value is the path of the image file. An
    // empty result means no frame is to be made.
    static void BuildBody(ID3v2FrameKind kind, const std::vector<ZrString>& values,
                          const ZrString& description, int encoding, std::vector<uint8_t>& out);

    // POPM rating byte to 0-5 stars and back.
    static int StarsFromRating(uint8_t rating);
    static uint8_t RatingFromStars(long long stars);

private:
    void MakeValueText() const;

    uint8_t m_header[10];
    std::vector<uint8_t> m_body;
    mutable ZrPropertyMap m_fields;
    // Where the binary value starts: in m_body, or, for an unsynchronised or
    // compressed frame (and after SetBody), in m_binarySource.
    size_t m_binaryFrom = kNoBinary;
    bool m_binaryInSource = false;
    std::vector<uint8_t> m_binarySource;
    mutable bool m_valueTextPending = false;
};
