// The subcommands of tonehall-host. Each returns the process exit status.
#ifndef TONEHALL_HOST_HOSTCOMMANDS_H
#define TONEHALL_HOST_HOSTCOMMANDS_H

#include <string>
#include <vector>

struct HostOptions {
    std::string pluginPath;        // empty: next to the executable, ../lib
    std::vector<std::string> args; // after the subcommand
};

int RunProbe(const HostOptions& options);
int RunSettings(const HostOptions& options);
int RunDecode(const HostOptions& options);
int RunInfo(const HostOptions& options);
int RunDemo(const HostOptions& options);
int RunConfigure(const HostOptions& options);

#endif
