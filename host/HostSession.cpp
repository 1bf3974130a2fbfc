#include "HostSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

std::string HostSession::WhyNotOpened(const std::string& path, const std::string& pluginReason,
                                      const std::string& readerReason) {
    const std::string otherwise = !pluginReason.empty()   ? pluginReason
                                  : !readerReason.empty() ? readerReason
                                                          : "not an MPEG audio stream";
    if (path.find("://") != std::string::npos) return otherwise;
    // Non-blocking, so that a FIFO does not hold the answer up.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    int error = 0;
    if (fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (S_ISREG(st.st_mode)) {
        char byte;
        if (read(fd, &byte, 1) < 0) error = errno;
    }
    close(fd);
    if (error != 0) return std::strerror(error);
    if (S_ISFIFO(st.st_mode)) return "a FIFO, not a regular file";
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (st.st_size == 0) return "empty file";
    // The plug-in's strings hold UTF-8 up to U+FFFF and take other bytes as
    // Latin-1, so such a name reaches the reader as a different name.
    if (ZrString::FromUtf8(path.c_str()).ToUtf8() != path)
        return "the plug-in cannot pass this file name on (UTF-8 up to U+FFFF only)";
    return otherwise;
}

bool HostSession::Info(IZrAudioInput* input, int id, std::string& text) {
    HostStringSink sink;
    if (input->GetInfo(id, &sink) != 0) return false;
    text = sink.Utf8();
    return true;
}

bool HostSession::Field(IZrAudioFileInfo* info, const std::string& name, std::string& text) {
    HostStringSink sink;
    if (!info->GetField(ZrString::FromUtf8(name.c_str()).c_str(), &sink)) return false;
    text = sink.Utf8();
    return true;
}

std::string HostSession::Report(IZrAudioFileInfo* info) {
    HostStringSink sink;
    info->GetReport(&sink);
    return sink.Utf8();
}

std::unique_ptr<IZrAudioInput> HostSession::OpenInput(const std::string& path) {
    std::unique_ptr<IZrAudioInput> input(m_plugin.NewInput(m_provider.get()));
    m_provider->TakeFailure();
    if (input->Open(ZrString::FromUtf8(path.c_str()).c_str()) == 0) {
        // What the analysis overcame is not the stream's failure.
        m_provider->TakeFailure();
        return input;
    }
    std::string reason;
    Info(input.get(), INFO_LAST_ERROR, reason);
    std::fprintf(stderr, "tonehall-host: %s: %s\n", path.c_str(),
                 WhyNotOpened(path, reason, m_provider->TakeFailure()).c_str());
    return nullptr;
}

std::unique_ptr<IZrAudioFileInfo> HostSession::NewFileInfo() {
    return std::unique_ptr<IZrAudioFileInfo>(m_plugin.NewFileInfo(m_provider.get()));
}

bool HostSession::Open(IZrAudioFileInfo* info, const std::string& path, std::string& why) {
    m_provider->TakeFailure();
    if (info->Open(ZrString::FromUtf8(path.c_str()).c_str()) == 1) return true;
    why = WhyNotOpened(path, "", m_provider->TakeFailure());
    return false;
}

std::unique_ptr<IZrAudioFileInfo> HostSession::OpenFileInfo(const std::string& path) {
    std::unique_ptr<IZrAudioFileInfo> info = NewFileInfo();
    std::string why = "the plug-in gave no file-info object";
    if (info && Open(info.get(), path, why)) return info;
    std::fprintf(stderr, "tonehall-host: %s: %s\n", path.c_str(), why.c_str());
    return nullptr;
}
