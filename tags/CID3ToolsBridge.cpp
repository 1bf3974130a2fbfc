#include "tags/CID3ToolsBridge.h"

#include "ZrCoreLib/ZrToolsServices.h"

bool CID3ToolsBridge::Inflate(const uint8_t* in, size_t inSize, size_t maxOut,
                              std::vector<uint8_t>& out) {
    return ZrToolsServices::Inflate(in, inSize, maxOut, out);
}

int CID3ToolsBridge::CompareStrings(const ZrString& a, const ZrString& b) {
    return ZrToolsServices::CompareStrings(a.c_str(), b.c_str());
}

ZrString CID3ToolsBridge::Translate(const ZrString& text) {
    ZrString translated = text;
    ZrToolsServices::Translate(translated);
    return translated;
}
