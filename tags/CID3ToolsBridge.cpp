#include "tags/CID3ToolsBridge.h"

bool CID3ToolsBridge::Inflate(const uint8_t* in, size_t inSize, size_t maxOut,
                              std::vector<uint8_t>& out) {
    (void)in;
    (void)inSize;
    (void)maxOut;
    out.clear();
    return false;
}

int CID3ToolsBridge::CompareStrings(const ZrString& a, const ZrString& b) {
    return a.CompareNoCase(b.c_str());
}

ZrString CID3ToolsBridge::Translate(const ZrString& text) {
    return text;
}
