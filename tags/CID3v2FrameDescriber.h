#pragma once

#include "ZrCoreLib/ZrString.h"
#include "tags/CID3v2Frame.h"
#include "tags/CID3v2TagMapping.h"

// The one-line description of a frame in the information report: ID, the
// description (or the host field the mapping gives the frame), the picture
// type, and the value, shortened and kept on one line.
class CID3v2FrameDescriber {
public:
    // frame null: the "<invalid frame>" line.
    static ZrString Describe(const CID3v2Frame* frame, const CID3v2TagMapping& mapping);
};
