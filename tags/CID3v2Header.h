#pragma once

#include <cstddef>
#include <cstdint>

// The 10-byte header that opens an ID3v2 tag (ID3v2.2 section 3.1, ID3v2.3
// and ID3v2.4 section 3.1): "ID3", major version, revision, flags, sync-safe
// size of what follows the header. Both the leading-data skip of the stream
// analysis and the tag parser recognise tags through this one check, so a
// block that one of them skips is one the other finds.
class CID3v2Header {
public:
    static constexpr size_t kSize = 10;
    // Flags byte (ID3v2.4 section 3.1).
    static constexpr uint8_t kFlagUnsync = 0x80;
    static constexpr uint8_t kFlagExtendedHeader = 0x40;
    static constexpr uint8_t kFlagExperimental = 0x20;
    static constexpr uint8_t kFlagFooter = 0x10;

    // True when data starts with an ID3v2 header of any version; the fields
    // are then set. See the .cpp for why the rule is as lenient as it is.
    bool Parse(const uint8_t* data, size_t size);

    // The versions this plug-in can read (2, 3, 4) without the experimental
    // flag, whose meaning is left open by the standard.
    bool IsReadable() const;

    int GetVersion() const { return m_version; }
    uint8_t GetFlags() const { return m_flags; }
    uint32_t GetBodySize() const { return m_bodySize; }
    // The bytes the tag takes in the file: header, body and, when flagged,
    // footer.
    uint64_t GetTotalLength() const;

private:
    int m_version = 0;
    uint8_t m_flags = 0;
    uint32_t m_bodySize = 0;
};
