// Lists the files under a folder for `scan`: depth first, names sorted
// byte-wise so that repeated runs agree. Symbolic links are followed, but
// each folder (by device and inode) is entered once, so a link back up the
// tree ends there instead of looping. A folder or entry that cannot be read
// is reported and the walk goes on.
#ifndef TONEHALL_HOST_DIRECTORYWALKER_H
#define TONEHALL_HOST_DIRECTORYWALKER_H

#include <sys/types.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

class DirectoryWalker {
public:
    // `wanted` picks files by name; `onError` gets a path and the system's
    // reason for each folder that could not be listed and each wanted name
    // that could not be looked at.
    using NameFilter = std::function<bool(const std::string& name)>;
    using FileFn = std::function<void(const std::string& path)>;
    using ErrorFn = std::function<void(const std::string& path, const std::string& reason)>;

    DirectoryWalker(NameFilter wanted, FileFn onFile, ErrorFn onError);

    // `root` must be a folder; false (after onError) when it cannot be
    // listed at all.
    bool Walk(const std::string& root);

private:
    // False when `dir` could not be listed.
    bool Enter(const std::string& dir);

    NameFilter m_wanted;
    FileFn m_onFile;
    ErrorFn m_onError;
    std::set<std::pair<dev_t, ino_t>> m_entered;
};

#endif
