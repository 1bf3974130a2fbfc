// The host's reader factory, built on the sibling reader library that ships
// beside the plug-in.
#ifndef TONEHALL_HOST_HOSTREADERPROVIDER_H
#define TONEHALL_HOST_HOSTREADERPROVIDER_H

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "ZrAudioPlugin.h"

class HostReaderProvider : public IZrReaderProvider {
public:
    // Loads libZrReader.so from `libraryDir`.
    explicit HostReaderProvider(const std::string& libraryDir);
    ~HostReaderProvider() override;
    HostReaderProvider(const HostReaderProvider&) = delete;
    HostReaderProvider& operator=(const HostReaderProvider&) = delete;

    // The library's reader wrapped in a HostReader, which reports failures.
    IZrReader* CreateReader(const wchar_t* path, int mode, int flags) override;

    bool IsReady() const { return m_createLocal != nullptr; }
    const std::string& Error() const { return m_error; }
    int ReadersCreated() const { return m_created; }

    // Why a reader made here last failed, one record per thread (scan opens
    // files on several at once): noted by the readers, taken (and cleared)
    // by whoever reports on the open or the read that failed.
    void NoteFailure(const std::string& why);
    std::string TakeFailure();

private:
    using CreateFn = IZrReader* (*)(const wchar_t*);
    void* m_library = nullptr;
    CreateFn m_createLocal = nullptr;
    std::string m_error;
    std::atomic<int> m_created{0}; // scan creates readers on several threads
    std::mutex m_failureMutex;
    std::map<std::thread::id, std::string> m_failures;
};

#endif
