#include "HostSession.h"

#include <cstdio>

#include "HostStringSink.h"
#include "ZrCoreLib/ZrString.h"

bool HostSession::Start(const std::string& pluginPath) {
    const std::string path = pluginPath.empty() ? PluginHandle::DefaultPath() : pluginPath;
    if (!m_plugin.Load(path) || !m_plugin.Attach()) {
        std::fprintf(stderr, "tonehall-host: %s\n", m_plugin.Error().c_str());
        return false;
    }
    m_provider = std::make_unique<HostReaderProvider>(m_plugin.Directory());
    return true;
}

bool HostSession::Info(IZrAudioInput* input, int id, std::string& text) {
    HostStringSink sink;
    if (input->GetInfo(id, &sink) != 0) return false;
    text = sink.Utf8();
    return true;
}

std::unique_ptr<IZrAudioFileInfo> HostSession::OpenFileInfo(const std::string& path) {
    std::unique_ptr<IZrAudioFileInfo> info(m_plugin.NewFileInfo(m_provider.get()));
    if (info && info->Open(ZrString::FromUtf8(path.c_str()).c_str()) == 1) return info;
    std::fprintf(stderr, "tonehall-host: %s: not an MPEG audio file, or it cannot be read\n",
                 path.c_str());
    return nullptr;
}

std::unique_ptr<IZrAudioInput> HostSession::OpenInput(const std::string& path) {
    std::unique_ptr<IZrAudioInput> input(m_plugin.NewInput(m_provider.get()));
    if (input->Open(ZrString::FromUtf8(path.c_str()).c_str()) == 0) return input;
    std::string why;
    if (!Info(input.get(), INFO_LAST_ERROR, why))
        why = "not a playable MPEG audio stream, or it cannot be read";
    std::fprintf(stderr, "tonehall-host: %s: %s\n", path.c_str(), why.c_str());
    return nullptr;
}
