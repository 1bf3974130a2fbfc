#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ZrCoreLib/VShellReader.h"

// Keeps the first 64 KiB of a slow (remote, seekable) stream in memory, so
// that the stream analysis and the tag readers, which jump around near the
// start of a file, do not turn every small seek into a network request.
// Seeks only move a logical position; the inner reader is repositioned
// lazily, when a read has to go past the buffered head. Owns the inner
// reader and the head buffer.
class CBufferedHeaderReader : public VShellReader {
public:
    // Bytes of the stream's head kept in memory.
    static constexpr uint32_t kHeadBytes = 65536;

    // Reads the head at once; buffer offset k holds stream byte k.
    explicit CBufferedHeaderReader(IZrReader* inner);

    // Slot 34: the reader this one wraps (through slot 35).
    virtual IZrReader* GetWrappedReader();
    // Slot 35: the inner reader, still owned by this one.
    virtual IZrReader* GetInnerReader();

    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t Write(const void* buffer, uint32_t count) override;
    int64_t GetPosition() override;
    int64_t Seek(int64_t offset, uint32_t origin) override;
    uint64_t Truncate() override;

    // Diagnostics for tests: bytes held in the head buffer.
    size_t GetBufferedBytes() const { return m_head.size(); }

private:
    // Repositions the inner reader when a buffer hit or a seek has left it
    // behind the logical position; false when that seek fails.
    bool SyncInner();

    std::vector<uint8_t> m_head;
    int64_t m_position = 0;
    bool m_innerStale = true;
};
