#include "standins/ZrReader/CPosixFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CPosixFileReader::CPosixFileReader(const std::string& path)
    : VBaseReader(kZrReaderKindFile), m_path(path) {}

CPosixFileReader::~CPosixFileReader() {
    if (m_fd >= 0) close(m_fd);
}

bool CPosixFileReader::OpenWith(int flags) {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (m_path.empty()) return false;
    do {
        m_fd = open(m_path.c_str(), flags | O_CLOEXEC, 0644);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

bool CPosixFileReader::OpenWrite() {
    return OpenWith(O_RDWR | O_CREAT | O_TRUNC);
}

bool CPosixFileReader::OpenRead() {
    // Read-write when allowed, so that tag saving can write through the same
    // reader; read-only files still open for reading.
    return OpenWith(O_RDWR) || OpenWith(O_RDONLY);
}

uint32_t CPosixFileReader::Read(void* buffer, uint32_t count) {
    if (m_fd < 0) return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    while (total < count) {
        const ssize_t n = read(m_fd, out + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<uint32_t>(n);
    }
    return total;
}

int64_t CPosixFileReader::Write(const void* buffer, uint32_t count) {
    if (m_fd < 0) return 0;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    uint32_t total = 0;
    while (total < count) {
        const ssize_t n = write(m_fd, in + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<uint32_t>(n);
    }
    return total;
}

int64_t CPosixFileReader::GetSize() {
    struct stat st {};
    if (m_fd >= 0 ? fstat(m_fd, &st) != 0 : stat(m_path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int64_t CPosixFileReader::GetPosition() {
    return m_fd < 0 ? 0 : static_cast<int64_t>(lseek(m_fd, 0, SEEK_CUR));
}

int64_t CPosixFileReader::Seek(int64_t offset, uint32_t origin) {
    if (m_fd < 0) return -1;
    const int64_t target = ResolveSeekTarget(GetPosition(), offset, static_cast<int32_t>(origin));
    return static_cast<int64_t>(lseek(m_fd, static_cast<off_t>(target), SEEK_SET));
}

uint64_t CPosixFileReader::Truncate() {
    if (m_fd < 0) return 0;
    const off_t position = lseek(m_fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(m_fd, position) != 0) return 0;
    return static_cast<uint64_t>(position);
}
