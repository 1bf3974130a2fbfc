#pragma once

#include "ZrCoreLib/ZrString.h"
#include "tags/CID3v2Frame.h"

// Hands the picture of an APIC frame to the host as a file: a new temporary
// file named with the "MP3 Image" prefix and an extension chosen from the
// frame's MIME type. The host owns the file from then on.
class CID3v2PictureExport {
public:
    // False, with path empty, when the file cannot be written.
    static bool WriteTempFile(const CID3v2Frame& frame, ZrString& path);
    // "jpg", "png", ... for a MIME type; "jpg" when none matches.
    static ZrString ExtensionForMime(const ZrString& mime);
};
