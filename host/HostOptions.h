// What the user chose before naming a command; every command sees it.
#ifndef TONEHALL_HOST_HOSTOPTIONS_H
#define TONEHALL_HOST_HOSTOPTIONS_H

#include <string>

struct HostOptions {
    std::string pluginPath; // empty: ../lib/libmp3input.so next to the executable
};

#endif
