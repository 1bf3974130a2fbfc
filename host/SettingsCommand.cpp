// tonehall-host settings: reads and writes integer settings through the
// tools library's settings store, the same store the plug-in reads.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HostCommands.h"
#include "PluginHandle.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrString.h"

namespace {
// The values a plain `settings` lists for the plug-in's own key.
const char* const kPluginValues[] = {"ID3v1 Save Mode", "ID3v2 Save Mode", "ID3v2 Ignore"};
} // namespace

int RunSettings(const HostOptions& options) {
    std::string key = "Plugins\\Input\\MP3";
    std::vector<std::string> rest;
    for (size_t i = 0; i < options.args.size(); ++i) {
        if (options.args[i] == "--key" && i + 1 < options.args.size())
            key = options.args[++i];
        else
            rest.push_back(options.args[i]);
    }
    if (rest.size() > 2) {
        std::fprintf(stderr, "usage: tonehall-host settings [--key KEY] [NAME [VALUE]]\n");
        return 2;
    }
    // The store lives in the tools library beside the plug-in.
    const std::string pluginPath =
        options.pluginPath.empty() ? PluginHandle::DefaultPath() : options.pluginPath;
    const std::string dir = pluginPath.substr(0, pluginPath.rfind('/'));
    setenv("TONEHALL_LIBRARY_DIR", dir.c_str(), 0);

    ZrSettingsKey settings(ZrString::FromUtf8(key.c_str()).c_str());
    if (rest.size() == 2) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(rest[1].c_str(), &end, 10);
        if (errno != 0 || end == rest[1].c_str() || *end != 0 || value < INT32_MIN ||
            value > INT32_MAX) {
            std::fprintf(stderr, "tonehall-host: '%s' is not an integer\n", rest[1].c_str());
            return 2;
        }
        if (!settings.WriteInt(ZrString::FromUtf8(rest[0].c_str()).c_str(),
                               static_cast<int>(value))) {
            std::fprintf(stderr, "tonehall-host: the settings store is not available\n");
            return 1;
        }
        std::printf("%s=%ld\n", rest[0].c_str(), value);
        return 0;
    }
    std::vector<std::string> names;
    if (rest.size() == 1)
        names.push_back(rest[0]);
    else
        names.assign(std::begin(kPluginValues), std::end(kPluginValues));
    for (const std::string& name : names)
        std::printf("%s=%d\n", name.c_str(),
                    settings.ReadInt(ZrString::FromUtf8(name.c_str()).c_str(), 0));
    return 0;
}
