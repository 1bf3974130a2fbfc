#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The one place through which the tag code reaches the tools library's
// services (decompression, string comparison, translation), so that each
// fallback for an absent library is decided here.
class CID3ToolsBridge {
public:
    // Inflates a zlib stream into out (replaced); false when no decompressor is
    // available, the data are bad, or the output would exceed maxOut.
    static bool Inflate(const uint8_t* in, size_t inSize, size_t maxOut, std::vector<uint8_t>& out);
    // Signed order of two descriptions (0 = equal).
    static int CompareStrings(const ZrString& a, const ZrString& b);
    // A user-visible text in the user's language; unchanged without a library.
    static ZrString Translate(const ZrString& text);
};
