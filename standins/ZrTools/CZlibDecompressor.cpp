#include "standins/ZrTools/CZlibDecompressor.h"

#include "standins/ZrTools/CZlibInflateStream.h"

void CZlibDecompressor::ReleaseStream(IZrInflateStream* stream) {
    delete static_cast<CZlibInflateStream*>(stream);
}

IZrInflateStream* CZlibDecompressor::CreateStream() {
    auto* stream = new CZlibInflateStream;
    if (!stream->IsReady()) {
        delete stream;
        return nullptr;
    }
    return stream;
}
