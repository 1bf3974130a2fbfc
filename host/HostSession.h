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

    // A new input opened on `path` (UTF-8); null after printing
    // "tonehall-host: PATH: reason" to standard error.
    std::unique_ptr<IZrAudioInput> OpenInput(const std::string& path);
    // A new file-info object, not yet open.
    std::unique_ptr<IZrAudioFileInfo> NewFileInfo();
    // A new file-info object opened on `path`; null after printing why, as
    // OpenInput does.
    std::unique_ptr<IZrAudioFileInfo> OpenFileInfo(const std::string& path);

    // Opens `path` on `info`; false with the reason a user can act on.
    bool Open(IZrAudioFileInfo* info, const std::string& path, std::string& why);
    // Why the plug-in could not open `path`, in the user's terms: for a file
    // the system's reason when it cannot be read at all (or that it is
    // empty, or not a regular file); else the plug-in's own reason when it
    // gave one; else the reader's (an HTTP status, a network failure);
    // else that it is not MPEG audio.
    static std::string WhyNotOpened(const std::string& path, const std::string& pluginReason,
                                    const std::string& readerReason);
    // Why the stream being read ended, when it did not simply end: a read
    // that failed (a stalled or broken connection). Empty otherwise.
    std::string StreamFailure() { return m_provider->TakeFailure(); }

    // The answer to GetInfo(id), or false when the input does not know it.
    static bool Info(IZrAudioInput* input, int id, std::string& text);
    // A field's text (UTF-8), or false when the file has no value for it.
    static bool Field(IZrAudioFileInfo* info, const std::string& name, std::string& text);
    // The plug-in's report, unchanged apart from the UTF-8 encoding.
    static std::string Report(IZrAudioFileInfo* info);

private:
    PluginHandle m_plugin;
    std::unique_ptr<HostReaderProvider> m_provider;
};

#endif
