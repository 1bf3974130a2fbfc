#include "input/XingRecord.h"

#include <climits>
#include <cstring>

XingRecord::XingRecord() {
    Clear();
}

int XingRecord::FindTag(const uint8_t* data, int length) {
    for (const char* tag : {"Xing", "Info"}) {
        for (int i = 0; i + 4 <= length; ++i) {
            if (std::memcmp(data + i, tag, 4) == 0) return i;
        }
    }
    return -1;
}

void XingRecord::Assign(const uint8_t* bytes) {
    std::memcpy(m_bytes, bytes, kSize);
}

void XingRecord::Clear() {
    std::memset(m_bytes, 0, kSize);
}

bool XingRecord::TagIs(const char* tag) const {
    return std::memcmp(m_bytes, tag, 4) == 0;
}

bool XingRecord::IsXing() const {
    return TagIs("Xing");
}

bool XingRecord::IsInfo() const {
    return TagIs("Info");
}

uint32_t XingRecord::GetFlags() const {
    return uint32_t(m_bytes[4]) << 24 | uint32_t(m_bytes[5]) << 16 | uint32_t(m_bytes[6]) << 8 |
           m_bytes[7];
}

int32_t XingRecord::GetFrameCount() const {
    if ((GetFlags() & kFlagFrameCount) == 0) return -1;
    const uint32_t count = uint32_t(m_bytes[8]) << 24 | uint32_t(m_bytes[9]) << 16 |
                           uint32_t(m_bytes[10]) << 8 | m_bytes[11];
    if (count < 1 || count > uint32_t(INT32_MAX)) return -1;
    return int32_t(count);
}

ZrString XingRecord::GetEncoderId() const {
    const uint8_t* id = m_bytes + kEncoderIdOffset;
    wchar_t text[5] = {};
    int length = 0;
    while (length < 4 && id[length] != 0 && id[length] >= 20 && id[length] <= 125) {
        text[length] = wchar_t(id[length]);
        ++length;
    }
    return ZrString(text, length);
}

bool XingRecord::HasGaplessInfo() const {
    const uint8_t* id = m_bytes + kEncoderIdOffset;
    return std::memcmp(id, "LAME", 4) == 0 || std::memcmp(id, "FIIS", 4) == 0;
}

int32_t XingRecord::GetEncoderDelay() const {
    const uint8_t* p = m_bytes + kDelayPaddingOffset;
    return int32_t(p[0]) << 4 | p[1] >> 4;
}

int32_t XingRecord::GetEncoderPadding() const {
    const uint8_t* p = m_bytes + kDelayPaddingOffset;
    return int32_t(p[1] & 0x0F) << 8 | p[2];
}
