#pragma once
// Fault set-ups that need a second process: a body run in a forked child
// (optionally as an unprivileged user, or under a file-size limit that makes
// a write fail, or kills the child, midway), and a child holding an fcntl
// write lock on a file until released.

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testchild {

struct Limits {
    // Drop to nobody/nogroup when running as root: root ignores permission
    // bits, which is what the permission faults test.
    bool unprivileged = false;
    // RLIMIT_FSIZE in bytes: writes beyond it fail with EFBIG...
    rlim_t maxFileSize = RLIM_INFINITY;
    // ...or, when the signal is left at its default, kill the child there.
    bool dieAtLimit = false;
};

// Runs body in a child; the child's wait status (WIFEXITED with status 0
// when body returned true).
inline int Run(const std::function<bool()>& body, const Limits& limits = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (limits.unprivileged && geteuid() == 0) {
            const gid_t nogroup = 65534;
            if (setgroups(0, nullptr) != 0 || setresgid(nogroup, nogroup, nogroup) != 0 ||
                setresuid(65534, 65534, 65534) != 0)
                _exit(90);
        }
        if (limits.maxFileSize != RLIM_INFINITY) {
            if (!limits.dieAtLimit) signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{limits.maxFileSize, limits.maxFileSize};
            if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(91);
        }
        _exit(body() ? 0 : 1);
    }
    int status = -1;
    if (pid > 0) waitpid(pid, &status, 0);
    return status;
}

inline bool Succeeded(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A helper process holding an exclusive fcntl lock on the whole file from
// construction until destruction.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            const int fd = open(path.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char ok = (fd >= 0 && fcntl(fd, F_SETLKW, &lock) == 0) ? 1 : 0;
            if (write(ready[1], &ok, 1) != 1) _exit(1);
            char c;
            while (read(release[0], &c, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char ok = 0;
        m_locked = m_pid > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
        close(ready[0]);
    }
    ~LockHolder() {
        if (m_release >= 0) close(m_release); // the child's read ends, it exits
        if (m_pid > 0) waitpid(m_pid, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool Locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_locked = false;
};

} // namespace testchild
