#include "HostReaderProvider.h"

#include <dlfcn.h>

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
    if (reader) ++m_created;
    return reader;
}
