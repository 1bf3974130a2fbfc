#include "HostReaderProvider.h"

#include <dlfcn.h>

#include "HostReader.h"

HostReaderProvider::HostReaderProvider(const std::string& libraryDir) {
    const std::string path = libraryDir + "/libZrReader.so";
    // Kept mapped after dlclose, like the plug-in: strings the library made
    // live in its own string manager for the life of the process.
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_library) {
        const char* e = dlerror();
        m_error = e ? e : "cannot load " + path;
        return;
    }
    m_createLocal = reinterpret_cast<CreateFn>(dlsym(m_library, "CreateLocalReaderDLL"));
    if (!m_createLocal) m_error = path + " has no CreateLocalReaderDLL";
}

HostReaderProvider::~HostReaderProvider() {
    if (m_library) dlclose(m_library);
}

IZrReader* HostReaderProvider::CreateReader(const wchar_t* path, int, int) {
    if (!m_createLocal || !path) return nullptr;
    IZrReader* reader = m_createLocal(path);
    if (!reader) return nullptr;
    ++m_created;
    return new HostReader(reader, *this);
}

void HostReaderProvider::NoteFailure(const std::string& why) {
    std::lock_guard<std::mutex> lock(m_failureMutex);
    m_failures[std::this_thread::get_id()] = why;
}

std::string HostReaderProvider::TakeFailure() {
    std::lock_guard<std::mutex> lock(m_failureMutex);
    const auto it = m_failures.find(std::this_thread::get_id());
    if (it == m_failures.end()) return std::string();
    std::string why = std::move(it->second);
    m_failures.erase(it);
    return why;
}
