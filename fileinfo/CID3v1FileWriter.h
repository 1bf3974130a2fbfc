#pragma once

#include "ZrCoreLib/ZrString.h"

class CID3v1Tag;

// Writes the 128-byte ID3v1 record at the end of an MP3 file: over the
// record that is there, appended when there is none, or cut off. Never
// creates a file and touches nothing but its last 128 bytes (or what it
// appends). The file is held under an exclusive advisory lock meanwhile; a
// lock held by someone else makes the write fail.
class CID3v1FileWriter {
public:
    static bool Write(const ZrString& fileName, const CID3v1Tag& tag, bool remove);
};
