// A loaded and attached plug-in with the host's reader provider: what every
// subcommand that talks to the plug-in starts from.
#ifndef TONEHALL_HOST_HOSTSESSION_H
#define TONEHALL_HOST_HOSTSESSION_H

#include <memory>
#include <string>

#include "HostReaderProvider.h"
#include "PluginHandle.h"

class HostSession {
public:
    // Loads and attaches; on failure prints one line to standard error.
    bool Start(const std::string& pluginPath);

    PluginHandle& Plugin() { return m_plugin; }
    HostReaderProvider& Provider() { return *m_provider; }

    // A new input opened on `path` (UTF-8); null after printing why to
    // standard error.
    std::unique_ptr<IZrAudioInput> OpenInput(const std::string& path);

    // A new file-info object opened on `path` (UTF-8); null after printing
    // why to standard error.
    std::unique_ptr<IZrAudioFileInfo> OpenFileInfo(const std::string& path);

    // The answer to GetInfo(id), or false when the input does not know it.
    static bool Info(IZrAudioInput* input, int id, std::string& text);

private:
    PluginHandle m_plugin;
    std::unique_ptr<HostReaderProvider> m_provider;
};

#endif
