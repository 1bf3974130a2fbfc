#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

class CID3v2Tag;

// Writes the ID3v2 tag of an MP3 file back into the file, or takes it out.
// A tag of exactly the old size is written over the old one in place;
// anything else rewrites the whole file through a temporary copy (the file
// name plus ".xxx", made unique) that then replaces the file. Every failure
// before the replacement leaves the file untouched and the copy deleted.
class CID3v2FileWriter {
public:
    // A new tag may end up this far below the old size and still fill it.
    static constexpr int kPaddingSlack = 8192;
    // Copy chunk of the rewrite.
    static constexpr uint32_t kCopyChunk = 0x40000;

    // tag: as read by the file-info object's Open (its offset and old size
    // describe the file). With remove, the file loses the tag instead.
    static bool Write(const ZrString& fileName, CID3v2Tag& tag, bool remove);
};
