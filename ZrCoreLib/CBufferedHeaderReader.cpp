#include "ZrCoreLib/CBufferedHeaderReader.h"

#include <algorithm>
#include <cstring>

CBufferedHeaderReader::CBufferedHeaderReader(IZrReader* inner)
    : VShellReader(inner, true, kZrReaderKindBufferedHeader) {
    if (!m_inner) return;
    m_position = m_inner->GetPosition();
    if (m_position < 0) m_position = 0;
    // The head must start at stream byte 0; a reader handed over elsewhere is
    // rewound first, and one that cannot rewind gets no head at all.
    if (m_position != 0 && m_inner->Seek(0, 0) != 0) return;
    m_head.resize(kHeadBytes);
    const uint32_t got = m_inner->Read(m_head.data(), kHeadBytes);
    m_head.resize(std::min<uint32_t>(got, kHeadBytes));
    m_head.shrink_to_fit();
    m_innerStale = true;
}

IZrReader* CBufferedHeaderReader::GetWrappedReader() {
    return GetInnerReader();
}

IZrReader* CBufferedHeaderReader::GetInnerReader() {
    return m_inner;
}

bool CBufferedHeaderReader::SyncInner() {
    if (!m_innerStale) return true;
    if (!m_inner || m_inner->Seek(m_position, 0) != m_position) return false;
    m_innerStale = false;
    return true;
}

uint32_t CBufferedHeaderReader::Read(void* buffer, uint32_t count) {
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    const int64_t buffered = static_cast<int64_t>(m_head.size());
    if (m_position < buffered && count > 0) {
        const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, buffered - m_position));
        std::memcpy(out, m_head.data() + m_position, n);
        m_position += n;
        total = n;
        m_innerStale = true;
        if (n == count) return total;
    }
    if (count == 0 || !SyncInner()) return total;
    const uint32_t got = m_inner->Read(out + total, count - total);
    m_position += got;
    return total + got;
}

int64_t CBufferedHeaderReader::Write(const void* buffer, uint32_t count) {
    if (!SyncInner()) return 0;
    const int64_t written = m_inner->Write(buffer, count);
    if (written <= 0) return written;
    // Keep the head copy true to the stream when the write lands inside it.
    const int64_t buffered = static_cast<int64_t>(m_head.size());
    if (m_position < buffered) {
        const int64_t n = std::min<int64_t>(written, buffered - m_position);
        std::memcpy(m_head.data() + m_position, buffer, static_cast<size_t>(n));
    }
    m_position += written;
    return written;
}

int64_t CBufferedHeaderReader::GetPosition() {
    return m_position;
}

int64_t CBufferedHeaderReader::Seek(int64_t offset, uint32_t origin) {
    int64_t target = ResolveSeekTarget(m_position, offset, static_cast<int32_t>(origin));
    if (target < 0) target = 0;
    if (target != m_position) {
        m_position = target;
        m_innerStale = true;
    }
    return m_position;
}

uint64_t CBufferedHeaderReader::Truncate() {
    if (!SyncInner()) return 0;
    const uint64_t result = m_inner->Truncate();
    if (m_position < static_cast<int64_t>(m_head.size()))
        m_head.resize(static_cast<size_t>(m_position));
    return result;
}
