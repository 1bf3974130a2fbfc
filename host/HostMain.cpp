// tonehall-host: a stand-in for the media player that loads the MP3 input
// plug-in exactly as the player does, for people and for tests.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostCommandRegistry.h"

namespace {
// Usage errors exit with 2, as the shell's own builtins do; CLI11's own
// codes (100 and up) would tell a script nothing more.
constexpr int kUsageError = 2;
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Loads the MP3 input plug-in (by default from " TONEHALL_INSTALLED_PLUGIN_DIR
                 " beside this program\nwhen installed, else ../lib) through its exports, as the "
                 "player does.",
                 "tonehall-host"};
    app.require_subcommand(1);
    app.fallthrough();
    HostOptions options;
    app.add_option("--plugin", options.pluginPath, "the plug-in library to load");

    struct Bound {
        CLI::App* sub;
        std::unique_ptr<HostCommand> command;
    };
    std::vector<Bound> bound;
    for (const HostCommandRegistry::Entry& entry : HostCommandRegistry::Sorted()) {
        Bound b{app.add_subcommand(entry.name, entry.summary), entry.make()};
        b.command->Define(*b.sub);
        bound.push_back(std::move(b));
    }

    // "tonehall-host help" has always meant --help.
    std::vector<char*> args(argv, argv + argc);
    char helpFlag[] = "--help";
    if (argc == 2 && std::strcmp(argv[1], "help") == 0) args[1] = helpFlag;
    // CLI11 would only say that a command is required.
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string arg = args[i];
        if (arg == "--plugin") {
            ++i;
            continue;
        }
        if (arg.empty() || arg[0] == '-') continue;
        const bool known = std::any_of(bound.begin(), bound.end(),
                                       [&](const Bound& b) { return b.sub->get_name() == arg; });
        if (!known) {
            std::fprintf(stderr, "tonehall-host: unknown command '%s' (see --help)\n", arg.c_str());
            return kUsageError;
        }
        break;
    }
    try {
        app.parse(static_cast<int>(args.size()), args.data());
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : kUsageError;
    }
    for (Bound& b : bound) {
        if (b.sub->parsed()) return b.command->Run(options);
    }
    return kUsageError;
}
