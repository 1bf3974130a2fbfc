// tonehall-host configure: opens the plug-in's configuration window, as the
// player's plug-in preferences do.
#include <CLI/CLI.hpp>

#include <memory>

#include "HostCommand.h"
#include "HostSession.h"

namespace {

class ConfigureCommand : public HostCommand {
public:
    void Define(CLI::App&) override {}
    int Run(const HostOptions& options) override;
};

int ConfigureCommand::Run(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input(session.Plugin().NewInput(&session.Provider()));
    if (!input) return 1;
    // The window stores the settings itself when it ends with OK; without a
    // display it says so on standard error and counts as cancelled.
    return input->DoCommand(INPUT_CMD_CONFIGURE) == 0 ? 0 : 1;
}

} // namespace

TONEHALL_HOST_COMMAND(ConfigureCommand, "configure",
                      "show the plug-in's configuration window (needs an X display); OK stores "
                      "the settings")
