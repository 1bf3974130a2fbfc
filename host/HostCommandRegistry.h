// The commands tonehall-host knows, filled in by static registration from
// each command's own file (see HostCommand.h).
#ifndef TONEHALL_HOST_HOSTCOMMANDREGISTRY_H
#define TONEHALL_HOST_HOSTCOMMANDREGISTRY_H

#include <memory>
#include <string>
#include <vector>

class HostCommand;

class HostCommandRegistry {
public:
    using Factory = std::unique_ptr<HostCommand> (*)();
    struct Entry {
        std::string name;
        std::string summary;
        Factory make;
    };

    // Always true, so that registration can initialise a constant.
    static bool Add(const char* name, const char* summary, Factory make);
    // Sorted by name: static initialisation order across files is unspecified,
    // and --help should not depend on the link order.
    static std::vector<Entry> Sorted();

private:
    static std::vector<Entry>& Entries();
};

#endif
