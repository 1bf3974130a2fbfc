#pragma once

#include "ZrCoreLib/IZrDecompressor.h"

// The stand-in's decompressor: zlib streams (RFC 1950), as compressed ID3v2
// frames carry them.
class CZlibDecompressor final : public IZrDecompressor {
public:
    void ReleaseStream(IZrInflateStream* stream) override;
    IZrInflateStream* CreateStream() override;
};
