#pragma once

#include "ZrCoreLib/IZrQSortCompare.h"
#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3TagBase.h"
#include "tags/CID3v2Field.h"
#include "tags/CID3v2Frame.h"
#include "tags/CID3v2Header.h"
#include "tags/CID3v2TagMapping.h"
#include "tags/CID3v2TagParser.h"
#include "tags/CID3v2TagRenderer.h"
#include "tags/ID3v2ReadResult.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One ID3v2 tag of an MP3 file. It parses a tag (ID3v2.2, 2.3 or 2.4) from
// the bytes the caller read from the head of the file, keeps every frame,
// known or not, answers and applies host field reads and writes through its
// field mapping, and renders itself back into bytes: as ID3v2.3, or as
// ID3v2.4 when it was read as ID3v2.4.
//
// Owns its frames and its mapping. Parsing (CID3v2TagParser), rendering
// (CID3v2TagRenderer), the report line (CID3v2FrameDescriber) and the picture
// file (CID3v2PictureExport) have classes of their own; this class holds the
// tag's state and the host field access that ties frames and mapping together.
// Locating the tag in the file and writing the rendered bytes belong to the
// caller.
class CID3v2Tag : public CID3TagBase, public IZrQSortCompare<CID3v2Frame*> {
public:
    static constexpr uint8_t kTagUnsync = CID3v2Header::kFlagUnsync;
    static constexpr uint8_t kTagExtendedHeader = CID3v2Header::kFlagExtendedHeader;
    static constexpr uint8_t kTagExperimental = CID3v2Header::kFlagExperimental;
    static constexpr uint8_t kTagFooter = CID3v2Header::kFlagFooter;
    static constexpr size_t kMaxInflatedBytesPerTag = CID3v2TagParser::kMaxInflatedBytesPerTag;

    using ReadResult = ID3v2ReadResult;

    CID3v2Tag();
    ~CID3v2Tag() override;
    CID3v2Tag(const CID3v2Tag&) = delete;
    CID3v2Tag& operator=(const CID3v2Tag&) = delete;

    // The bytes a tag takes in the file by the header at data (header, body
    // and, when flagged, footer); 0 when data holds no ID3v2 header.
    static size_t TagLengthFromHeader(const uint8_t* data, size_t size);

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
    // file-info object passes 8192). False, with out empty, when the tag
    // would not fit the 28-bit size field.
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
    // The space the tag occupies in the file as its own header states it
    // (header, body and footer), whatever the length of the buffer read;
    // 0 when none was read.
    size_t GetOldLength() const { return m_oldLength; }
    int64_t GetFileOffset() const { return m_fileOffset; }
    // The major version as read (2, 3 or 4), 0 for a new tag.
    int GetVersion() const { return m_version; }
    int GetFrameCount() const { return m_frames.GetCount(); }
    CID3v2Frame* GetFrame(int index) const;

    // Mapping operations, public for the composite tag and the tests; see
    // CID3v2TagMapping.
    CID3v2Field* NextMapping(const ZrString& name, int& cursor, bool create, uint32_t mask) {
        return m_mapping.Next(name, cursor, create, mask);
    }
    // The (entry, frame) pairs that hold the field, in entry order.
    bool FindFrames(const ZrString& name, bool create, std::vector<CID3v2Field*>& entries,
                    std::vector<CID3v2Frame*>& frames);
    int IndexOfMapping(const char* frameId, const ZrString& description, uint32_t mask) const {
        return m_mapping.IndexOf(frameId, description, mask);
    }
    const CID3v2Field* GetMapping(int index) const { return m_mapping.Get(index); }
    int GetMappingCount() const { return m_mapping.GetCount(); }

private:
    void SortFrames();
    void SyncPodcastFields();
    bool FrameMatches(const CID3v2Field& entry, const CID3v2Frame& frame) const;
    int WriteVersion() const { return m_version >= 4 ? 4 : 3; }

    CID3v2TagMapping m_mapping;

    bool m_exists = false;
    bool m_modified = false;
    size_t m_oldLength = 0;
    int64_t m_fileOffset = 0;
    int m_version = 0;
    ReadResult m_readResult = ReadResult::None;

    ZrOwnedPtrArray<CID3v2Frame, false> m_frames;
};
