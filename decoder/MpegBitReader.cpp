#include "decoder/MpegBitReader.h"

#include <algorithm>

void MpegBitReader::Attach(const uint8_t* buffer, int32_t bufferSize, int32_t startByte,
                           int32_t endByte) {
    m_buffer = buffer;
    m_bufferSize = std::max(bufferSize, 0);
    m_limitByte = std::clamp(endByte, 0, m_bufferSize);
    m_position = std::clamp(startByte, 0, m_bufferSize) * 8;
}

uint32_t MpegBitReader::Peek(int32_t count) const {
    if (count <= 0) return 0;
    count = std::min(count, 32);
    // Five bytes cover 32 bits at any bit index.
    const int32_t first = m_position >> 3;
    uint64_t window = 0;
    if (first + 5 <= m_limitByte) {
        for (int32_t i = 0; i < 5; ++i)
            window = (window << 8) | m_buffer[first + i];
    } else {
        for (int32_t i = 0; i < 5; ++i) {
            const int32_t at = first + i;
            window = (window << 8) | (at < m_limitByte ? m_buffer[at] : 0u);
        }
    }
    const int32_t shift = 40 - (m_position & 7) - count;
    return static_cast<uint32_t>((window >> shift) & ((uint64_t{1} << count) - 1));
}

void MpegBitReader::SetPosition(int64_t bitPosition) {
    const int64_t end = static_cast<int64_t>(m_bufferSize) * 8;
    m_position = static_cast<int32_t>(std::clamp<int64_t>(bitPosition, 0, end));
}
