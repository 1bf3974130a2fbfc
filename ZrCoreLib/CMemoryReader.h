#pragma once

#include <cstdint>
#include <vector>

#include "ZrCoreLib/VBaseReader.h"

// A reader over a byte block that it owns: used for streams played from
// memory. Readable from construction; writes overwrite and extend the block.
// Not local, not live.
class CMemoryReader : public VBaseReader {
public:
    CMemoryReader() : VBaseReader(kZrReaderKindMemory) {}
    explicit CMemoryReader(std::vector<uint8_t> bytes);

    // Fills a new memory reader with everything `source` holds from byte 0
    // (reading until it ends when its size is unknown), leaving `source` at
    // the position it had. Null when `source` cannot be rewound or holds more
    // than maxBytes.
    static CMemoryReader* CopyOf(IZrReader* source, uint64_t maxBytes);

    bool OpenRead() override { return true; }
    bool OpenWrite() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t Write(const void* buffer, uint32_t count) override;
    int64_t GetSize() override { return static_cast<int64_t>(m_bytes.size()); }
    int64_t GetPosition() override { return m_position; }
    int64_t Seek(int64_t offset, uint32_t origin) override;
    uint64_t Truncate() override;

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int64_t m_position = 0;
};
