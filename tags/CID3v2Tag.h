#pragma once

#include "ZrCoreLib/IZrQSortCompare.h"
#include "ZrCoreLib/ZrNumberArray.h"
#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "ZrCoreLib/ZrOwnedPtrStringMap.h"
#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3TagBase.h"
#include "tags/CID3v2Field.h"
#include "tags/CID3v2Frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One ID3v2 tag of an MP3 file. It parses a tag (ID3v2.2, 2.3 or 2.4) from
// the bytes the caller read from the head of the file, keeps every frame,
// known or not, answers and applies host field reads and writes through its
// field mapping, and renders itself back into bytes: as ID3v2.3, or as
// ID3v2.4 when it was read as ID3v2.4.
//
// Owns its frames and its mapping entries (the built-in table plus two
// entries for each unknown host field used). Locating the tag in the file
// and writing the rendered bytes belong to the caller.
class CID3v2Tag : public CID3TagBase, public IZrQSortCompare<CID3v2Frame*> {
public:
    // Tag header flags (ID3v2.4 section 3.1).
    static constexpr uint8_t kTagUnsync = 0x80;
    static constexpr uint8_t kTagExtendedHeader = 0x40;
    static constexpr uint8_t kTagExperimental = 0x20;
    static constexpr uint8_t kTagFooter = 0x10;
    // ID3v2.4 section 6.2: frame sizes of 2^31 and more cannot be meant; the
    // largest whole tag is 2^28 bytes.
    static constexpr uint32_t kMaxFrameSize = 0x7FFFFFFF;
    // The padding of a rendered tag rounds its total up to a multiple of this.
    static constexpr int kPaddingBlock = 4096;

    // Outcome of the last Read: why a header was refused, or, for a valid
    // header, what ended the frame list.
    enum class ReadResult {
        None,           // nothing read since the last Reset
        TooShort,       // fewer than 10 bytes
        NotID3,         // no "ID3" at the start
        BadVersion,     // major version other than 2, 3, 4
        Experimental,   // flag 0x20
        Truncated,      // fewer bytes than the header's size announces
        EndOfData,      // frames ran to the end of the buffer
        Padding,        // zero bytes where the next frame ID would be
        InvalidId,      // a frame ID outside A-Z, 0-9, "?"
        OversizedFrame, // a frame size of 2^31 or more
        FramePastEnd,   // a frame running past the end of the buffer
    };

    CID3v2Tag();
    ~CID3v2Tag() override;
    CID3v2Tag(const CID3v2Tag&) = delete;
    CID3v2Tag& operator=(const CID3v2Tag&) = delete;

    // Drops the frames and the tag state; the mapping stays.
    void Reset();
    // Parses a tag from data (the tag region found at fileOffset). True when
    // the header is valid; frames up to the first damaged one are kept.
    bool Read(const uint8_t* data, size_t size, int64_t fileOffset);
    ReadResult GetReadResult() const { return m_readResult; }

    // Host field access through the mapping (field names without regard to
    // case). Option kGetRaw skips the value conversions.
    bool GetField(const ZrString& name, ZrPropertyMap& out, uint32_t options = 0) override;
    // Replaces the field's frames by new ones built from value (possibly
    // empty); true when a frame was added.
    bool SetField(const ZrString& name, const ZrString& value);
    // The "Value" that GetField gives, or empty.
    ZrString GetFieldValue(const ZrString& name);

    // Renders the whole tag into out (replaced). paddingSlack: how far below
    // the old length the new tag may fall and still fill the old space (the
    // file-info object passes 8192). Always true.
    bool Render(std::vector<uint8_t>& out, int paddingSlack);

    // Frame order for writing (the comparator of the frame sort): negative
    // when a goes first.
    int Compare(CID3v2Frame* const& a, CID3v2Frame* const& b) const override;

    // One line of the information report for frame index.
    ZrString DescribeFrame(int index);
    // For "Image File": writes the chosen picture into a new temporary file and
    // gives its path (owned by the caller from then on). For any other field
    // the plain "Value". False when there is nothing to give.
    bool GetImageFile(const ZrString& name, ZrString& result);

    bool Exists() const { return m_exists; }
    bool IsModified() const { return m_modified; }
    // The space the tag occupies in the file (0 when none was read).
    size_t GetOldLength() const { return m_oldLength; }
    int64_t GetFileOffset() const { return m_fileOffset; }
    // The major version as read (2, 3 or 4), 0 for a new tag.
    int GetVersion() const { return m_version; }
    int GetFrameCount() const { return m_frames.GetCount(); }
    CID3v2Frame* GetFrame(int index) const;

    // Mapping operations, public for the composite tag and the tests.
    // The next entry for the field at a position not below cursor that
    // accepts the mask; cursor moves behind it. With create, a field without
    // any entry (other than "Year") first gets a TXXX entry and a read-only
    // legacy COMM entry.
    CID3v2Field* NextMapping(const ZrString& name, int& cursor, bool create, uint32_t mask);
    // The (entry, frame) pairs that hold the field, in entry order.
    bool FindFrames(const ZrString& name, bool create, std::vector<CID3v2Field*>& entries,
                    std::vector<CID3v2Frame*>& frames);
    // First entry with the frame ID, the description (without regard to
    // case) and a flag of mask (CID3v2Field::kAnyFlag: any); -1 when none.
    int IndexOfMapping(const char* frameId, const ZrString& description, uint32_t mask) const;
    const CID3v2Field* GetMapping(int index) const;
    int GetMappingCount() const { return m_mapping.GetCount(); }

private:
    using FieldIndex =
        std::unordered_map<ZrString, std::vector<int>, ZrStringHashNoCase, ZrStringEqualNoCase>;

    void BuildMapping();
    void AddMapping(CID3v2Field* entry);
    ReadResult ParseHeader(const uint8_t* data, size_t size) const;
    ReadResult ParseFrames(const uint8_t* data, size_t end, size_t cursor);
    void SortFrames();
    void SyncPodcastFields();
    bool FrameMatches(const CID3v2Field& entry, const CID3v2Frame& frame) const;
    int WriteVersion() const { return m_version >= 4 ? 4 : 3; }

    ZrOwnedPtrArray<CID3v2Field, false> m_mapping;
    // Host field name (without regard to case) to its entries' positions in
    // m_mapping, ascending.
    ZrOwnedPtrStringMap<ZrNumberArray<int>> m_mappingIndex{true};

    bool m_exists = false;
    bool m_modified = false;
    size_t m_oldLength = 0;
    int64_t m_fileOffset = 0;
    int m_version = 0;
    int m_revision = 0;
    uint8_t m_flags = 0;
    uint32_t m_size = 0;
    ReadResult m_readResult = ReadResult::None;

    ZrOwnedPtrArray<CID3v2Frame, false> m_frames;
};
