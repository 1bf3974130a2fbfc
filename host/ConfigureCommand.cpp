// tonehall-host configure: opens the plug-in's configuration window, as the
// player's plug-in preferences do.
#include <cstdio>
#include <memory>

#include "HostCommands.h"
#include "HostSession.h"

int RunConfigure(const HostOptions& options) {
    if (!options.args.empty()) {
        std::fprintf(stderr, "usage: tonehall-host configure\n");
        return 2;
    }
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input(session.Plugin().NewInput(&session.Provider()));
    if (!input) return 1;
    // The window stores the settings itself when it ends with OK.
    return input->DoCommand(INPUT_CMD_CONFIGURE) == 0 ? 0 : 1;
}
