#include "ZrCoreLib/CMemoryReader.h"

#include <algorithm>
#include <cstring>

CMemoryReader::CMemoryReader(std::vector<uint8_t> bytes)
    : VBaseReader(kZrReaderKindMemory), m_bytes(std::move(bytes)) {}

CMemoryReader* CMemoryReader::CopyOf(IZrReader* source, uint64_t maxBytes) {
    if (!source) return nullptr;
    const int64_t oldPosition = source->GetPosition();
    if (source->Seek(0, 0) != 0) return nullptr;
    // Chunked reading: the source's size may be unknown or wrong, so it only
    // sizes the first allocation, within the cap.
    constexpr uint32_t kChunk = 1 << 20;
    const int64_t size = source->GetSize();
    std::vector<uint8_t> bytes;
    if (size > 0)
        bytes.reserve(
            static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(size), maxBytes)));
    bool tooBig = false;
    for (;;) {
        const size_t used = bytes.size();
        bytes.resize(used + kChunk);
        const uint32_t got = source->Read(bytes.data() + used, kChunk);
        bytes.resize(used + got);
        if (bytes.size() > maxBytes) {
            tooBig = true;
            break;
        }
        if (got < kChunk) break;
    }
    source->Seek(oldPosition < 0 ? 0 : oldPosition, 0);
    if (tooBig) return nullptr;
    bytes.shrink_to_fit();
    return new CMemoryReader(std::move(bytes));
}

bool CMemoryReader::OpenWrite() {
    m_bytes.clear();
    m_position = 0;
    return true;
}

uint32_t CMemoryReader::Read(void* buffer, uint32_t count) {
    const int64_t size = GetSize();
    if (m_position >= size || count == 0) return 0;
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, size - m_position));
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

int64_t CMemoryReader::Write(const void* buffer, uint32_t count) {
    // A block this large is a caller's mistake (a stray seek), not data.
    constexpr uint64_t kMaxEnd = uint64_t(1) << 32;
    if (count == 0 || static_cast<uint64_t>(m_position) + count > kMaxEnd) return 0;
    const size_t end = static_cast<size_t>(m_position) + count;
    if (end > m_bytes.size()) m_bytes.resize(end);
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = static_cast<int64_t>(end);
    return count;
}

int64_t CMemoryReader::Seek(int64_t offset, uint32_t origin) {
    m_position = ResolveSeekTarget(m_position, offset, static_cast<int32_t>(origin));
    return m_position;
}

uint64_t CMemoryReader::Truncate() {
    if (static_cast<size_t>(m_position) < m_bytes.size())
        m_bytes.resize(static_cast<size_t>(m_position));
    return static_cast<uint64_t>(m_position);
}
