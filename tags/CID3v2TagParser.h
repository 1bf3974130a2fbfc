#pragma once

#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "tags/CID3v2Frame.h"
#include "tags/CID3v2Header.h"
#include "tags/ID3v2ReadResult.h"

#include <cstddef>
#include <cstdint>

// Turns the bytes of an ID3v2.2, 2.3 or 2.4 tag into frames: header checks,
// extended header and footer, ID3v2.2 frames converted to ID3v2.3 ones, and
// whole-tag unsynchronisation undone so that every frame is kept as it will
// be written back. The input is hostile: every size is checked against the
// buffer before it is used.
class CID3v2TagParser {
public:
    // ID3v2.4 section 6.2: frame sizes of 2^31 and more cannot be meant; the
    // largest whole tag is 2^28 bytes.
    static constexpr uint32_t kMaxFrameSize = 0x7FFFFFFF;
    // All compressed frames of one tag together inflate into at most this
    // much. The per-frame cap alone lets a 20 MB tag of many small frames
    // take more than half a GiB; one legitimate compressed picture still fits.
    static constexpr size_t kMaxInflatedBytesPerTag = size_t(64) << 20;

    // Checks the header at data against size; EndOfData when the tag can be
    // read, header then holding its fields.
    static ID3v2ReadResult ParseHeader(const uint8_t* data, size_t size, CID3v2Header& header);
    // Appends the frames of a tag whose header passed ParseHeader. Parsing
    // ends without failure at padding or damage; the result says which.
    static ID3v2ReadResult ParseFrames(const uint8_t* data, size_t size, const CID3v2Header& header,
                                       ZrOwnedPtrArray<CID3v2Frame, false>& frames);
};
