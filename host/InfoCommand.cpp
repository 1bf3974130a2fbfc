// tonehall-host info: every GetInfo answer of an opened input.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostJson.h"
#include "HostSession.h"

namespace {

// Ids above the last one the interface defines are asked too, so an answer
// to an id nobody expects shows up.
constexpr int kLastInfoId = 40;

class InfoCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
        command.add_flag("--json", m_json, "one JSON object instead of lines");
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path;
    bool m_json = false;
};

int InfoCommand::Run(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input = session.OpenInput(m_path);
    if (!input) return 1;
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (int id = 0; id <= kLastInfoId; ++id) {
        std::string text;
        if (!HostSession::Info(input.get(), id, text)) continue;
        if (m_json)
            json[std::to_string(id)] = text;
        else
            std::printf("%d: %s\n", id, text.c_str());
    }
    if (m_json) std::printf("%s\n", DumpJson(json).c_str());
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(InfoCommand, "info", "every GetInfo answer of the opened input, by id")
