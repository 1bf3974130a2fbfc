#include "ZrCoreLib/ZrFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int CreationFlags(uint32_t disposition) {
    switch (disposition) {
    case ZrFile::kCreateAlways:
        return O_CREAT | O_TRUNC;
    case ZrFile::kCreateNew:
        return O_CREAT | O_EXCL;
    case ZrFile::kOpenAlways:
        return O_CREAT;
    case ZrFile::kTruncateExisting:
        return O_TRUNC;
    default:
        return 0;
    }
}

int AccessFlags(uint32_t access) {
    const bool read = access & ZrFile::kAccessRead;
    const bool write = access & ZrFile::kAccessWrite;
    if (read && write) return O_RDWR;
    return write ? O_WRONLY : O_RDONLY;
}

// An exclusive lock over the whole file, refused at once when another
// process holds any lock on it.
bool LockForWriting(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    int rc;
    do {
        rc = fcntl(fd, F_SETLK, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || errno == ENOLCK || errno == EOPNOTSUPP;
}

} // namespace

ZrFile::ZrFile(const ZrString& fileName, uint32_t access, uint32_t share, uint32_t disposition)
    : m_fileName(fileName), m_access(access), m_share(share), m_disposition(disposition) {}

ZrFile::~ZrFile() {
    Close();
}

bool ZrFile::Open() {
    Close();
    if (m_fileName.IsEmpty()) return false;
    const std::string path = m_fileName.ToUtf8();
    const int flags = AccessFlags(m_access) | CreationFlags(m_disposition) | O_CLOEXEC;
    int fd;
    do {
        fd = open(path.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    if ((m_access & kAccessWrite) && !(m_share & kShareWrite) && !LockForWriting(fd)) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool ZrFile::Close() {
    if (m_fd < 0) return true;
    // close() releases the descriptor even when it reports an error; a retry
    // could close a descriptor another thread just received.
    const bool ok = close(m_fd) == 0;
    m_fd = -1;
    return ok;
}

int64_t ZrFile::GetPosition() const {
    if (m_fd < 0) return -1;
    return int64_t(lseek(m_fd, 0, SEEK_CUR));
}

int64_t ZrFile::Seek(int64_t offset, int origin) {
    if (m_fd < 0) return -1;
    const int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    return int64_t(lseek(m_fd, off_t(offset), whence));
}

int64_t ZrFile::GetLength() const {
    struct stat st {};
    const int rc = m_fd >= 0 ? fstat(m_fd, &st) : stat(m_fileName.ToUtf8().c_str(), &st);
    return rc == 0 ? int64_t(st.st_size) : -1;
}

bool ZrFile::SetLength(int64_t n) {
    if (m_fd < 0 || n < 0) return false;
    const int64_t length = GetLength();
    bool done = false;
    // Some file systems cannot allocate (EOPNOTSUPP); ftruncate still extends.
    if (length >= 0 && n > length) done = fallocate(m_fd, 0, 0, off_t(n)) == 0;
    if (!done && ftruncate(m_fd, off_t(n)) != 0) return false;
    return Seek(n, 0) == n;
}

bool ZrFile::Read(void* buffer, uint32_t count, uint32_t& done) {
    done = 0;
    if (m_fd < 0) return false;
    ssize_t n;
    do {
        n = read(m_fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return false;
    done = uint32_t(n);
    return true;
}

bool ZrFile::Write(const void* buffer, uint32_t count, uint32_t& done) {
    done = 0;
    if (m_fd < 0) return false;
    ssize_t n;
    do {
        n = write(m_fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return false;
    done = uint32_t(n);
    return true;
}
