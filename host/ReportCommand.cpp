// tonehall-host report: the plug-in's information report, byte for byte
// (its lines end in CR LF).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "HostCommand.h"
#include "HostSession.h"

namespace {

class ReportCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
    }
    int Run(const HostOptions& options) override {
        HostSession session;
        if (!session.Start(options.pluginPath)) return 1;
        std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(m_path);
        if (!info) return 1;
        const std::string report = HostSession::Report(info.get());
        std::fwrite(report.data(), 1, report.size(), stdout);
        return 0;
    }

private:
    std::string m_path;
};

} // namespace

TONEHALL_HOST_COMMAND(ReportCommand, "report", "the plug-in's information report of a file")
