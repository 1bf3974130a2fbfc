#include "decoder/MpegBitReader.h"

#include <algorithm>

void MpegBitReader::Attach(const uint8_t* buffer, int32_t bufferSize, int32_t startByte,
                           int32_t endByte) {
    m_buffer = buffer;
    m_bufferSize = std::max(bufferSize, 0);
    m_limitByte = std::clamp(endByte, 0, m_bufferSize);
    m_position = std::clamp(startByte, 0, m_bufferSize) * 8;
}
