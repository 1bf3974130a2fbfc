#include "HostSession.h"

#include <cstdio>

#include "HostStringSink.h"

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
