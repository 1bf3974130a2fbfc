#include "DirectoryWalker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

DirectoryWalker::DirectoryWalker(NameFilter wanted, FileFn onFile, ErrorFn onError)
    : m_wanted(std::move(wanted)), m_onFile(std::move(onFile)), m_onError(std::move(onError)) {}

bool DirectoryWalker::Walk(const std::string& root) {
    struct stat st {};
    if (stat(root.c_str(), &st) != 0) {
        m_onError(root, std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        m_onError(root, std::strerror(ENOTDIR));
        return false;
    }
    m_entered.clear();
    m_entered.insert({st.st_dev, st.st_ino});
    return Enter(root);
}

bool DirectoryWalker::Enter(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        closedir(d);
    } else {
        m_onError(dir, std::strerror(errno));
        return false;
    }
    std::sort(names.begin(), names.end());
    const std::string prefix = dir.back() == '/' ? dir : dir + "/";
    for (const std::string& name : names) {
        const std::string path = prefix + name;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) {
            // A dangling link or a name that vanished: news only when it
            // looked like a file the user asked for.
            if (m_wanted(name)) m_onError(path, std::strerror(errno));
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (m_entered.insert({st.st_dev, st.st_ino}).second) Enter(path);
        } else if (S_ISREG(st.st_mode) && m_wanted(name)) {
            m_onFile(path);
        }
    }
    return true;
}
