// The host's reader factory, built on the sibling reader library that ships
// beside the plug-in.
#ifndef TONEHALL_HOST_HOSTREADERPROVIDER_H
#define TONEHALL_HOST_HOSTREADERPROVIDER_H

#include <atomic>
#include <string>

#include "ZrAudioPlugin.h"

class HostReaderProvider : public IZrReaderProvider {
public:
    // Loads libZrReader.so from `libraryDir`.
    explicit HostReaderProvider(const std::string& libraryDir);
    ~HostReaderProvider() override;
    HostReaderProvider(const HostReaderProvider&) = delete;
    HostReaderProvider& operator=(const HostReaderProvider&) = delete;

    IZrReader* CreateReader(const wchar_t* path, int mode, int flags) override;

    bool IsReady() const { return m_createLocal != nullptr; }
    const std::string& Error() const { return m_error; }
    int ReadersCreated() const { return m_created; }

private:
    using CreateFn = IZrReader* (*)(const wchar_t*);
    void* m_library = nullptr;
    CreateFn m_createLocal = nullptr;
    std::string m_error;
    std::atomic<int> m_created{0}; // scan creates readers on several threads
};

#endif
