// tonehall-host probe: the smallest full round trip through the plug-in.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "HostCommand.h"
#include "HostSession.h"
#include "HostStringSink.h"

namespace {

class ProbeCommand : public HostCommand {
public:
    void Define(CLI::App&) override {}
    int Run(const HostOptions& options) override;
};

int ProbeCommand::Run(const HostOptions& options) {
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

} // namespace

TONEHALL_HOST_COMMAND(ProbeCommand, "probe",
                      "attach, create one input and one file-info object, print what they "
                      "answer, detach")
