#include "standins/ZrTools/CZrTools.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "ZrCoreLib/ZrString.h"
#include "standins/ZrTools/CSettingsKeyObject.h"

namespace {

bool KeptInMemory(const std::string& path) {
    const char* list = std::getenv("ZRTOOLS_MEMORY_FILES");
    if (!list || !*list || path.empty()) return false;
    if (std::strcmp(list, "*") == 0) return path.find("://") == std::string::npos;
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ':')) {
        if (item == path) return true;
    }
    return false;
}

// The whole regular file at `path`, or false.
bool ReadWholeFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<uint64_t>(st.st_size) <= maxBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        // A file that shrank meanwhile is copied as far as it went.
        bytes.resize(done);
    }
    close(fd);
    return ok;
}

} // namespace

CZrTools& CZrTools::Instance() {
    // Lives as long as the library's code: the in-memory readers it keeps go
    // with it when the library is finally unloaded.
    static CZrTools instance;
    return instance;
}

int CZrTools::Initialize(void*, void*) {
    return 1;
}

void CZrTools::FinishProductInfo(intptr_t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_productInfo.MarkFinished();
}

IZrStringServices* CZrTools::GetStringServices(int) {
    return &m_strings;
}

IZrLanguageServices* CZrTools::GetLanguageServices(int) {
    return &m_language;
}

IZrProductInfo* CZrTools::GetProductInfo(int create) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (create) m_productInfoCreated = true;
    return m_productInfoCreated ? &m_productInfo : nullptr;
}

IZrReader* CZrTools::GetInMemoryFileReader(const wchar_t* path) {
    if (!path) return nullptr;
    const std::string file = ZrString(path).ToUtf8();
    if (!KeptInMemory(file)) return nullptr;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file, kMaxMemoryFileBytes, bytes)) return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_memoryReaders.push_back(std::make_unique<CMemoryReader>(std::move(bytes)));
    return m_memoryReaders.back().get();
}

IZrSettingsKeyObject* CZrTools::OpenSettingsKey(const wchar_t* path, int, int) {
    if (!path || !*path) return nullptr;
    return new CSettingsKeyObject(ZrString(path).ToUtf8());
}

IZrDecompressor* CZrTools::GetDecompressor() {
    return &m_decompressor;
}

void CZrTools::Release(void*) {}

void CZrTools::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_memoryReaders.clear();
    m_productInfo.Reset();
    m_productInfoCreated = false;
}
