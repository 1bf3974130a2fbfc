// Runs a shell command and captures its standard output, standard error and
// exit status separately, for tests that drive programs as a user would.
#ifndef TONEHALL_TESTS_HOST_RUNCOMMAND_H
#define TONEHALL_TESTS_HOST_RUNCOMMAND_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string SlurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline CommandResult RunCommand(const std::string& command) {
    char outName[] = "/tmp/tonehall-out-XXXXXX";
    char errName[] = "/tmp/tonehall-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    close(outFd);
    close(errFd);
    CommandResult r;
    const int raw = std::system(("(" + command + ") >" + outName + " 2>" + errName).c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = SlurpFile(outName);
    r.err = SlurpFile(errName);
    unlink(outName);
    unlink(errName);
    return r;
}

inline std::string HostBinary() {
    return std::string(TONEHALL_BIN_DIR) + "/tonehall-host";
}
inline std::string PluginLibrary() {
    return std::string(TONEHALL_LIB_DIR) + "/libmp3input.so";
}

#endif
