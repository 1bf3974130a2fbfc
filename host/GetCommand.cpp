// tonehall-host get: tag fields and properties of a file by their host names,
// as the media library asks for them.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostFieldNames.h"
#include "HostJson.h"
#include "HostSession.h"

namespace {

class GetCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
        CLI::Option* fields =
            command.add_option("FIELD", m_fields, "host field names (\"Name\", \"Track #\", ...)");
        command.add_flag("--all", m_all, "every field that has a value, with its name")
            ->excludes(fields);
        command.add_flag("--json", m_json, "one JSON object of the fields that have a value");
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path;
    std::vector<std::string> m_fields;
    bool m_all = false;
    bool m_json = false;
};

int GetCommand::Run(const HostOptions& options) {
    if (m_fields.empty() && !m_all) {
        std::fprintf(stderr, "tonehall-host get: name at least one FIELD, or --all\n");
        return 2;
    }
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(m_path);
    if (!info) return 1;
    std::vector<std::string> names = m_fields;
    if (m_all) {
        names.assign(std::begin(hostfields::kTechnical), std::end(hostfields::kTechnical));
        names.insert(names.end(), std::begin(hostfields::kMapped), std::end(hostfields::kMapped));
        names.insert(names.end(), std::begin(hostfields::kDerived), std::end(hostfields::kDerived));
    }
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const std::string& name : names) {
        std::string text;
        const bool found = HostSession::Field(info.get(), name, text);
        if (m_json) {
            if (found) json[name] = text;
        } else if (m_all) {
            if (found) std::printf("%s: %s\n", name.c_str(), text.c_str());
        } else {
            // One line per field asked, so that lines match names by position.
            std::printf("%s\n", found ? text.c_str() : "");
        }
    }
    if (m_json) std::printf("%s\n", DumpJson(json).c_str());
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(GetCommand, "get",
                      "fields of a file by host name, one value a line (--all: every field "
                      "that has a value)")
