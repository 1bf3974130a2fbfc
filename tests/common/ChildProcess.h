#pragma once
// Fault set-ups that need a second process: a body run in a forked child as
// an unprivileged user (root, as in CI, ignores permission bits), and a
// child holding an fcntl write lock on a file until released.

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testchild {

// True when body, run in a child as nobody/nogroup (when started as root),
// returned true.
inline bool RunUnprivileged(const std::function<bool()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        const bool dropped =
            geteuid() != 0 || (setgroups(0, nullptr) == 0 && setresgid(65534, 65534, 65534) == 0 &&
                               setresuid(65534, 65534, 65534) == 0);
        _exit(dropped && body() ? 0 : 1);
    }
    int status = -1;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A child process holding an exclusive fcntl lock on the whole file from
// construction until destruction.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) : m_pid(fork()) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        if (m_pid == 0) {
            const int fd = open(path.c_str(), O_RDWR);
            if (fd >= 0 && fcntl(fd, F_SETLKW, &lock) == 0) pause();
            _exit(1);
        }
        // Until the child holds it (or gave up): F_GETLK reports its lock.
        const int fd = open(path.c_str(), O_RDONLY);
        for (int status; fd >= 0 && m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == 0;) {
            struct flock probe = lock;
            if (fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) break;
        }
        close(fd);
    }
    ~LockHolder() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    pid_t m_pid;
};

} // namespace testchild
