// tonehall-host probe: the smallest full round trip through the plug-in.
#include <cstdio>

#include "HostCommands.h"
#include "HostReaderProvider.h"
#include "HostStringSink.h"
#include "PluginHandle.h"

int RunProbe(const HostOptions& options) {
    PluginHandle plugin;
    const std::string path =
        options.pluginPath.empty() ? PluginHandle::DefaultPath() : options.pluginPath;
    if (!plugin.Load(path)) {
        std::fprintf(stderr, "tonehall-host: %s\n", plugin.Error().c_str());
        return 1;
    }
    if (!plugin.Attach()) {
        std::fprintf(stderr, "tonehall-host: %s\n", plugin.Error().c_str());
        return 1;
    }
    std::printf("plug-in: %s\n", plugin.Path().c_str());
    HostReaderProvider provider(plugin.Directory());

    IZrAudioInput* input = plugin.NewInput(&provider);
    HostStringSink name;
    const int nameResult = input ? input->GetInfo(2, &name) : -1;
    std::printf("input name (info 2): %s\n", nameResult == 0 ? name.Utf8().c_str() : "<none>");
    delete input;

    IZrAudioFileInfo* info = plugin.NewFileInfo(&provider);
    std::printf("file info capability (command 3): %d\n", info ? info->DoCommand(3, 0) : -1);
    delete info;

    plugin.Detach();
    return 0;
}
