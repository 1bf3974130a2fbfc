#pragma once

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"

#include <cstdint>
#include <string>

// One entry of the field mapping of an ID3v2 tag: which frame (ID, and for
// frames that carry one, description or picture type) holds a host field,
// in which tag versions it is written, and how the value is converted on the
// way in and out.
class CID3v2Field {
public:
    enum Flags : uint32_t {
        NumberWithTotal = 0x1, // "n/m" values ("Track #", "Disc #")
        GenreCode = 0x2,       // "(17)" genre references of TCON
        ReplayGain = 0x4,      // replay gain in dB
        ReplayPeak = 0x8,      // replay gain peak
        ListValue = 0x10,      // ";"-separated host list, one frame value per item
        DateValue = 0x20,      // host date number stored as ISO 8601 text
        Utf8Base64 = 0x40,     // PRIV data hold the value's UTF-8 bytes
        BuiltIn = 0x10000,
        KeepOnWrite = 0x20000, // frames found through this entry survive a write
        WriteV23 = 0x40000,    // written into ID3v2.3 (and older, and new) tags
        WriteV24 = 0x80000,    // written into ID3v2.4 tags
        AnyDescription = 0x100000,
    };
    static constexpr uint32_t kAnyPictureType = 0xFFFFFFFF;
    static constexpr uint32_t kAnyFlag = 0xFFFFFFFF;

    CID3v2Field(const char* frameId, const ZrString& hostName, const ZrString& description,
                uint32_t flags, uint32_t pictureType = kAnyPictureType);

    const char* GetFrameId() const { return m_frameId; }
    bool HasFrameId(const char* id) const;
    const ZrString& GetHostName() const { return m_hostName; }
    const ZrString& GetDescription() const { return m_description; }
    uint32_t GetFlags() const { return m_flags; }
    void AddFlags(uint32_t flags) { m_flags |= flags; }
    uint32_t GetPictureType() const { return m_pictureType; }
    // A mask of kAnyFlag accepts every entry, even one without flags.
    bool Accepts(uint32_t mask) const { return mask == kAnyFlag || (m_flags & mask) != 0; }

    // Converts the "Value" of fields read from a frame into the host's form,
    // by every conversion flag of the entry in turn.
    void ConvertForRead(ZrPropertyMap& fields) const;
    // Converts a host value into frame text by the first conversion flag of
    // the entry; oldValue is the field's stored value before the write.
    ZrString ConvertForWrite(const ZrString& value, const ZrString& oldValue) const;

    // Host fields whose values are ";"-separated lists.
    static bool IsListField(const ZrString& name);
    // "(17)" and "(17)Rock" read as the ID3v1 genre name; "-1" as empty.
    static ZrString ConvertGenre(const ZrString& value);
    // A host date number as text, exact enough to keep the 0.1 s marks.
    static ZrString DateNumberToText(double date);

private:
    char m_frameId[5];
    ZrString m_hostName;
    ZrString m_description;
    uint32_t m_flags;
    uint32_t m_pictureType;
};
