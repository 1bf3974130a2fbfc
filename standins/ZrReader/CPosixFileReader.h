#pragma once

#include <string>

#include "ZrCoreLib/VBaseReader.h"

// A reader over one local file through a POSIX descriptor. Created closed;
// OpenRead opens the file read-only, OpenWrite creates or truncates it for
// reading and writing. Owns the descriptor.
class CPosixFileReader : public VBaseReader {
public:
    explicit CPosixFileReader(const std::string& path);
    ~CPosixFileReader() override;

    bool OpenWrite() override;
    bool OpenRead() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t Write(const void* buffer, uint32_t count) override;
    int64_t GetSize() override;
    int64_t GetPosition() override;
    int64_t Seek(int64_t offset, uint32_t origin) override;
    // Cuts the file at the current position; the new length, or 0 on failure.
    uint64_t Truncate() override;
    bool IsLiveStream() override { return false; }
    bool IsLocal() override { return true; }

private:
    bool OpenWith(int flags);

    std::string m_path;
    int m_fd = -1;
};
