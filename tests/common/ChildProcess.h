#pragma once
// Fault set-ups that need a second process: a body run in a forked child as
// an unprivileged user (root, as in CI, ignores permission bits), and a
// child holding an fcntl write lock on a file until released.

#include <fcntl.h>
#include <functional>
#include <grp.h>
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
    explicit LockHolder(const std::string& path) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(release[1]); // so that the parent's close ends the wait below
            struct flock lock {};
            lock.l_type = F_WRLCK;
            const int fd = open(path.c_str(), O_RDWR);
            const char ok = fd >= 0 && fcntl(fd, F_SETLKW, &lock) == 0;
            char c;
            if (write(ready[1], &ok, 1) == 1) // then wait for the pipe to close
                while (read(release[0], &c, 1) > 0) {
                }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char ok = 0;
        m_locked = m_pid > 0 && read(ready[0], &ok, 1) == 1 && ok;
        close(ready[0]);
    }
    ~LockHolder() {
        close(m_release);
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
