#include "ZrCoreLib/ZrTempFile.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TempFolderUtf8() {
    const char* env = std::getenv("TMPDIR");
    struct stat st;
    if (env && *env && stat(env, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string dir(env);
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        return dir;
    }
    return "/tmp";
}

// mkstemps keeps the suffix, so the extension survives the unique name.
int CreateUnique(const ZrString& prefix, const ZrString& extension, std::string& name) {
    std::string suffix;
    if (!extension.IsEmpty()) suffix = "." + extension.ToUtf8();
    std::string pattern = TempFolderUtf8() + "/" + prefix.ToUtf8();
    // A "/" inside the prefix would point outside the temporary folder.
    for (size_t i = pattern.size() - prefix.ToUtf8().size(); i < pattern.size(); ++i)
        if (pattern[i] == '/') pattern[i] = '_';
    pattern += "XXXXXX" + suffix;
    std::string buffer = pattern;
    int fd = mkstemps(&buffer[0], int(suffix.size()));
    if (fd >= 0) name = buffer;
    return fd;
}

} // namespace

ZrString ZrTempFile::GetTempFolder() {
    const std::string dir = TempFolderUtf8();
    return ZrString::FromUtf8(dir.c_str(), int(dir.size()));
}

bool ZrTempFile::Create(const ZrString& prefix, const ZrString& extension, ZrString& path) {
    path.Empty();
    std::string name;
    const int fd = CreateUnique(prefix, extension, name);
    if (fd < 0) return false;
    close(fd);
    path = ZrString::FromUtf8(name.c_str(), int(name.size()));
    return true;
}

bool ZrTempFile::CreateWithData(const ZrString& prefix, const ZrString& extension,
                                const uint8_t* data, size_t size, ZrString& path) {
    path.Empty();
    std::string name;
    const int fd = CreateUnique(prefix, extension, name);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool ok = close(fd) == 0 && done == size;
    if (!ok) {
        unlink(name.c_str());
        return false;
    }
    path = ZrString::FromUtf8(name.c_str(), int(name.size()));
    return true;
}
