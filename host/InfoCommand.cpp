// tonehall-host info: what a user wants to know about a file, by name: the
// file-info object's technical properties and the input's own answers.
// With --ids, every GetInfo answer of the input under its number, for
// people writing hosts.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "HostCommand.h"
#include "HostFieldNames.h"
#include "HostJson.h"
#include "HostSession.h"

namespace {

// Ids above the last one the interface defines are asked too, so an answer
// to an id nobody expects shows up.
constexpr int kLastInfoId = 40;

// The input's answers that say something about the file beyond what the
// file-info object tells.
struct NamedInfo {
    int id;
    const char* name;
};
constexpr NamedInfo kInputInfo[] = {{INFO_TOTAL_SAMPLES, "Total Samples"},
                                    {INFO_ENCODER, "Encoder"},
                                    {INFO_ENCODER_DELAY, "Encoder Delay"},
                                    {INFO_ENCODER_PADDING, "Encoder Padding"},
                                    {INFO_FROM_MEMORY, "Plays From Memory"}};

class InfoCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
        command.add_flag("--json", m_json, "one JSON object instead of lines");
        command.add_flag("--ids", m_ids, "every GetInfo answer of the input, by numeric id");
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path;
    bool m_json = false;
    bool m_ids = false;
};

int InfoCommand::Run(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioInput> input = session.OpenInput(m_path);
    if (!input) return 1;
    std::vector<std::pair<std::string, std::string>> answers;
    std::string text;
    if (m_ids) {
        for (int id = 0; id <= kLastInfoId; ++id) {
            if (HostSession::Info(input.get(), id, text))
                answers.emplace_back(std::to_string(id), text);
        }
    } else {
        std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(m_path);
        if (!info) return 1;
        for (const char* name : hostfields::kTechnical) {
            if (HostSession::Field(info.get(), name, text)) answers.emplace_back(name, text);
        }
        for (const NamedInfo& n : kInputInfo) {
            if (HostSession::Info(input.get(), n.id, text)) answers.emplace_back(n.name, text);
        }
    }
    if (m_json) {
        nlohmann::ordered_json json = nlohmann::ordered_json::object();
        for (const auto& a : answers)
            json[a.first] = a.second;
        std::printf("%s\n", DumpJson(json).c_str());
    } else {
        for (const auto& a : answers)
            std::printf("%s: %s\n", a.first.c_str(), a.second.c_str());
    }
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(InfoCommand, "info",
                      "technical properties of a file by name (--ids: every GetInfo answer "
                      "of the input by id)")
