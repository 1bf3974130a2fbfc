// tonehall-host settings: reads and writes integer settings through the
// tools library's settings store, the same store the plug-in reads.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HostCommand.h"
#include "PluginHandle.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrString.h"

namespace {

// The values a plain `settings` lists for the plug-in's own key.
const char* const kPluginValues[] = {"ID3v1 Save Mode", "ID3v2 Save Mode", "ID3v2 Ignore"};

class SettingsCommand : public HostCommand {
public:
    void Define(CLI::App& command) override {
        command.add_option("--key", m_key, "settings key")->capture_default_str();
        command.add_option("NAME", m_name, "one value to read or write");
        m_valueOption = command.add_option("VALUE", m_value, "the integer to write");
    }
    int Run(const HostOptions& options) override;

private:
    std::string m_key = "Plugins\\Input\\MP3";
    std::string m_name;
    int m_value = 0;
    CLI::Option* m_valueOption = nullptr;
};

int SettingsCommand::Run(const HostOptions& options) {
    // The store lives in the tools library beside the plug-in.
    const std::string pluginPath =
        options.pluginPath.empty() ? PluginHandle::DefaultPath() : options.pluginPath;
    const std::string dir = pluginPath.substr(0, pluginPath.rfind('/'));
    setenv("TONEHALL_LIBRARY_DIR", dir.c_str(), 0);

    ZrSettingsKey settings(ZrString::FromUtf8(m_key.c_str()).c_str());
    if (m_valueOption->count() > 0) {
        if (!settings.WriteInt(ZrString::FromUtf8(m_name.c_str()).c_str(), m_value)) {
            std::fprintf(stderr, "tonehall-host: the settings store is not available\n");
            return 1;
        }
        std::printf("%s=%d\n", m_name.c_str(), m_value);
        return 0;
    }
    std::vector<std::string> names;
    if (!m_name.empty())
        names.push_back(m_name);
    else
        names.assign(std::begin(kPluginValues), std::end(kPluginValues));
    for (const std::string& name : names)
        std::printf("%s=%d\n", name.c_str(),
                    settings.ReadInt(ZrString::FromUtf8(name.c_str()).c_str(), 0));
    return 0;
}

} // namespace

TONEHALL_HOST_COMMAND(SettingsCommand, "settings",
                      "read (NAME=VALUE lines) or write the plug-in's settings")
