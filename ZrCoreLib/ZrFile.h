#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

// The framework's file object over one POSIX descriptor, through which tag
// code reads and rewrites files. Construction only stores the settings; Open
// opens (or creates) the file. Owns the descriptor and closes it on
// destruction. Used by one thread at a time; none of its calls throws.
class ZrFile {
public:
    // Access mode bits.
    static constexpr uint32_t kAccessRead = 1;
    static constexpr uint32_t kAccessWrite = 2;
    // Share mode bit: other writers are allowed, so no write lock is taken.
    static constexpr uint32_t kShareWrite = 2;

    enum Disposition : uint32_t {
        kCreateAlways = 0,    // create, or truncate an existing file
        kCreateNew = 1,       // create; fails when the file exists
        kOpenAlways = 2,      // open, or create when missing
        kOpenExisting = 3,    // open; fails when missing
        kTruncateExisting = 4 // open and truncate; fails when missing
    };

    ZrFile(const ZrString& fileName, uint32_t access, uint32_t share, uint32_t disposition);
    ~ZrFile();
    ZrFile(const ZrFile&) = delete;
    ZrFile& operator=(const ZrFile&) = delete;

    // Closes a descriptor left open, then opens with close-on-exec and mode
    // 0644. Writing without kShareWrite takes an exclusive advisory lock on
    // the whole file without waiting; a lock held elsewhere makes Open fail
    // (the file stays closed). File systems without lock support are let
    // through unlocked rather than made read-only.
    bool Open();
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    // -1 when closed.
    int64_t GetPosition() const;
    // origin 0 start, 1 current, 2 end; the new position, -1 on failure.
    int64_t Seek(int64_t offset, int origin);
    // From the descriptor, or by name while closed; -1 on failure.
    int64_t GetLength() const;
    // Makes the file n bytes long and moves the position to n. Growth first
    // tries to reserve real blocks, so a full disk fails here rather than at
    // a later write into a sparse hole.
    bool SetLength(int64_t n);

    // One system call each (retried only when interrupted); done receives the
    // bytes transferred, which may be fewer than count. False on an error.
    bool Read(void* buffer, uint32_t count, uint32_t& done);
    bool Write(const void* buffer, uint32_t count, uint32_t& done);

    const ZrString& GetFileName() const { return m_fileName; }

private:
    ZrString m_fileName;
    uint32_t m_access;
    uint32_t m_share;
    uint32_t m_disposition;
    int m_fd = -1;
};
