// tonehall-host probe: the smallest full round trip through the plug-in.
#include <cstdio>

#include "HostCommands.h"
#include "HostSession.h"
#include "HostStringSink.h"

int RunProbe(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::printf("plug-in: %s\n", session.Plugin().Path().c_str());

    IZrAudioInput* input = session.Plugin().NewInput(&session.Provider());
    std::string name;
    const bool named = input && HostSession::Info(input, INFO_PLUGIN_NAME, name);
    std::printf("input name (info 2): %s\n", named ? name.c_str() : "<none>");
    delete input;

    IZrAudioFileInfo* info = session.Plugin().NewFileInfo(&session.Provider());
    std::printf("file info capability (command 3): %d\n",
                info ? info->DoCommand(FILEINFO_CMD_CAPABILITY, 0) : -1);
    delete info;
    return 0;
}
