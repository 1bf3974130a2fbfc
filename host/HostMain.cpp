// tonehall-host: a stand-in for the media player that loads the MP3 input
// plug-in exactly as the player does, for people and for tests.
#include <cstdio>
#include <cstring>
#include <string>

#include "HostCommands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const HostOptions&);
    const char* usage;
    const char* summary;
};

const Command kCommands[] = {
    {"probe", RunProbe, "probe",
     "attach, create one input and one file-info object, print what they answer, detach"},
    {"demo", RunDemo, "demo [FILE]",
     "play the bundled sample MP3 (or FILE) through the plug-in and print its properties"},
    {"decode", RunDecode,
     "decode IN OUT.wav [--seek-ms N] [--format f64|f32|s16] [--max-seconds S]",
     "decode through the plug-in's Read into a WAV file (64-bit float by default)"},
    {"info", RunInfo, "info IN [--json]", "every GetInfo answer of the opened input, by id"},
    {"settings", RunSettings, "settings [--key KEY] [NAME [VALUE]]",
     "read (NAME=VALUE lines) or write the plug-in's settings; the default key is "
     "Plugins\\Input\\MP3"},
    {"configure", RunConfigure, "configure",
     "show the plug-in's configuration window (needs an X display)"},
};

void PrintHelp(FILE* out) {
    std::fprintf(out, "usage: tonehall-host [--plugin PATH] COMMAND [ARGS]\n\n"
                      "Loads the MP3 input plug-in (by default ../lib/libmp3input.so next to\n"
                      "this program) through its exports, as the player does.\n\ncommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n      %s\n", c.usage, c.summary);
    std::fprintf(out, "  help\n      this text (also --help)\n");
}

} // namespace

int main(int argc, char** argv) {
    HostOptions options;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            options.pluginPath = argv[++i];
        } else if (std::strncmp(argv[i], "--plugin=", 9) == 0) {
            options.pluginPath = argv[i] + 9;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
                   std::strcmp(argv[i], "help") == 0) {
            PrintHelp(stdout);
            return 0;
        } else {
            break;
        }
    }
    if (i >= argc) {
        PrintHelp(stderr);
        return 2;
    }
    const std::string name = argv[i++];
    for (; i < argc; ++i)
        options.args.push_back(argv[i]);
    for (const Command& c : kCommands) {
        if (name == c.name) return c.run(options);
    }
    std::fprintf(stderr, "tonehall-host: unknown command '%s' (see --help)\n", name.c_str());
    return 2;
}
