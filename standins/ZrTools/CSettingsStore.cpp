#include "standins/ZrTools/CSettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ZrCoreLib/ZrString.h"

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    return ZrString::FromUtf8(a.c_str(), static_cast<int>(a.size()))
               .CompareNoCase(ZrString::FromUtf8(b.c_str(), static_cast<int>(b.size()))) == 0;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Index of the section line of `key`, or -1.
int FindSection(const std::vector<std::string>& lines, const std::string& key) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
            SameNoCase(line.substr(1, line.size() - 2), key))
            return static_cast<int>(i);
    }
    return -1;
}

// Index of the "name=" line inside the section starting at `section`, or -1;
// `end` receives the index where the section ends.
int FindValue(const std::vector<std::string>& lines, int section, const std::string& name,
              size_t& end) {
    end = lines.size();
    for (size_t i = static_cast<size_t>(section) + 1; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (!line.empty() && line.front() == '[') {
            end = i;
            break;
        }
        const size_t eq = line.find('=');
        if (eq != std::string::npos && SameNoCase(Trimmed(line.substr(0, eq)), name))
            return static_cast<int>(i);
    }
    return -1;
}

// A key or name that the line format cannot hold unambiguously.
bool Storable(const std::string& text, bool isName) {
    if (text.empty() || Trimmed(text) != text || text.find('\n') != std::string::npos ||
        text.find('\r') != std::string::npos)
        return false;
    return isName ? text.find('=') == std::string::npos && text.front() != '['
                  : text.find(']') == std::string::npos;
}

bool MakeDirectories(const std::string& dir) {
    if (dir.empty()) return true;
    std::string partial;
    std::stringstream parts(dir);
    std::string part;
    if (dir.front() == '/') partial = "/";
    while (std::getline(parts, part, '/')) {
        if (part.empty()) continue;
        partial += part;
        if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
        partial += '/';
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

std::string CSettingsStore::FilePath() {
    if (const char* path = std::getenv("TONEHALL_SETTINGS"); path && *path) return path;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/tonehall/settings.ini";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/tonehall/settings.ini";
}

bool CSettingsStore::ReadInt(const std::string& key, const std::string& name, int& value) {
    const std::vector<std::string> lines = ReadLines(FilePath());
    const int section = FindSection(lines, key);
    if (section < 0) return false;
    size_t end = 0;
    const int at = FindValue(lines, section, name, end);
    if (at < 0) return false;
    const std::string& line = lines[static_cast<size_t>(at)];
    const std::string text = Trimmed(line.substr(line.find('=') + 1));
    char* stop = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &stop, 10);
    if (text.empty() || *stop != '\0' || errno == ERANGE || parsed < INT32_MIN ||
        parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool CSettingsStore::WriteInt(const std::string& key, const std::string& name, int value) {
    if (!Storable(key, false) || !Storable(name, true)) return false;
    const std::string path = FilePath();
    if (!MakeDirectories(DirectoryOf(path))) return false;

    const std::string lockPath = path + ".lock";
    const int lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    int locked;
    do {
        locked = fcntl(lockFd, F_SETLKW, &lock);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        close(lockFd);
        return false;
    }

    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = name + "=" + std::to_string(value);
    int section = FindSection(lines, key);
    if (section < 0) {
        if (!lines.empty() && !Trimmed(lines.back()).empty()) lines.push_back(std::string());
        lines.push_back("[" + key + "]");
        lines.push_back(entry);
    } else {
        size_t end = 0;
        const int at = FindValue(lines, section, name, end);
        if (at >= 0)
            lines[static_cast<size_t>(at)] = entry;
        else
            lines.insert(lines.begin() + static_cast<long>(end), entry);
    }

    const std::string temp = path + ".tmp." + std::to_string(getpid());
    bool ok = false;
    if (FILE* out = std::fopen(temp.c_str(), "w")) {
        // Lines go out byte for byte: a NUL in someone else's line must not
        // cut it short.
        for (const std::string& line : lines) {
            std::fwrite(line.data(), 1, line.size(), out);
            std::fputc('\n', out);
        }
        ok = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
        ok = std::fclose(out) == 0 && ok;
        ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
        if (!ok) std::remove(temp.c_str());
    }
    close(lockFd); // releases the lock
    return ok;
}
