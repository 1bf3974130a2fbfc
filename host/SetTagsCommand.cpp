// tonehall-host set: changes tag fields of an MP3 file through the plug-in's
// file-info object, which writes them by the save modes when it is closed.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "HostSession.h"
#include "ZrCoreLib/ZrString.h"

namespace {

class SetTagsCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("IN", m_path, "MP3 file")->required();
        command
            .add_option("FIELD=VALUE", m_assignments,
                        "host field and its new value; FIELD= clears the field, "
                        "\"Image File\"=PATH embeds a picture")
            ->required()
            ->check(CLI::Validator(
                [](std::string& text) {
                    return text.find('=') == std::string::npos ? "expected FIELD=VALUE"
                                                               : std::string();
                },
                "FIELD=VALUE"));
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_path;
    std::vector<std::string> m_assignments;
};

int SetTagsCommand::Run(const HostOptions& options) {
    HostSession session;
    if (!session.Start(options.pluginPath)) return 1;
    std::unique_ptr<IZrAudioFileInfo> info = session.OpenFileInfo(m_path);
    if (!info) return 1;
    bool refused = false;
    for (const std::string& assignment : m_assignments) {
        const size_t equals = assignment.find('=');
        const std::string field = assignment.substr(0, equals);
        const std::string value = assignment.substr(equals + 1);
        // Only a new picture can be refused (its tag would not be saved).
        if (!info->SetField(ZrString::FromUtf8(field.c_str()).c_str(),
                            ZrString::FromUtf8(value.c_str()).c_str()) &&
            !value.empty()) {
            std::fprintf(stderr,
                         "tonehall-host: %s: not taken (the ID3v2 save mode keeps it out)\n",
                         field.c_str());
            refused = true;
        }
    }
    // Close commits; the object's destructor would too, but unheard.
    if (info->Close() != 1) {
        std::fprintf(stderr,
                     "tonehall-host: %s: the tags could not be written (file locked, read-only, "
                     "or its folder not writable)\n",
                     m_path.c_str());
        return 1;
    }
    return refused ? 1 : 0;
}

} // namespace

TONEHALL_HOST_COMMAND(SetTagsCommand, "set",
                      "change tag fields (FIELD=VALUE...) and save them by the save modes")
