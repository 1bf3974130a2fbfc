// One subcommand of tonehall-host. A command declares its arguments on the
// CLI11 subcommand it is given, so that parsing, typing, usage errors and
// --help come from one place, and runs once parsing has filled them in.
//
// A new command is a class in its own file, registered there with one line:
//     TONEHALL_HOST_COMMAND(MyCommand, "name", "one-line summary for --help");
// The executable picks up every .cpp of host/, so no list elsewhere changes.
#ifndef TONEHALL_HOST_HOSTCOMMAND_H
#define TONEHALL_HOST_HOSTCOMMAND_H

#include "HostCommandRegistry.h"
#include "HostOptions.h"

namespace CLI {
class App;
}

class HostCommand {
public:
    virtual ~HostCommand() = default;
    // Adds options and positionals to `command`, bound to members.
    virtual void Define(CLI::App& command) = 0;
    // The process exit status: 0 done, 1 failed, 2 usage error.
    virtual int Run(const HostOptions& options) = 0;
};

#define TONEHALL_HOST_COMMAND(Class, name, summary)                                                \
    namespace {                                                                                    \
    const bool Class##Registered =                                                                 \
        HostCommandRegistry::Add(name, summary, []() -> std::unique_ptr<HostCommand> {             \
            return std::make_unique<Class>();                                                      \
        });                                                                                        \
    }

#endif
