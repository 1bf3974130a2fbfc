#include "PluginHandle.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>

// The host's build sets this from the install layout; other programs that
// compile this file (tests) get the default layout.
#ifndef TONEHALL_INSTALLED_PLUGIN_DIR
#define TONEHALL_INSTALLED_PLUGIN_DIR "../lib/tonehall"
#endif

namespace {
// The context the host hands to Attach; the plug-in treats it as opaque.
int g_hostContext = 0;

std::string DirName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
} // namespace

PluginHandle::~PluginHandle() {
    while (m_attached > 0)
        Detach();
    if (m_handle) dlclose(m_handle);
}

std::string PluginHandle::DefaultPath() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = ".";
    if (n > 0) {
        exe[n] = 0;
        dir = DirName(exe);
    }
    // An installed host has the plug-in directory at a fixed path from its
    // own; one in the build tree has the plug-in in ../lib. The first that
    // holds the plug-in wins; without either, the build-tree path names what
    // is missing.
    std::string path;
    for (const char* relative : {TONEHALL_INSTALLED_PLUGIN_DIR, "../lib"}) {
        std::string lib = dir + "/" + relative;
        char resolved[PATH_MAX];
        if (realpath(lib.c_str(), resolved)) lib = resolved;
        path = lib + "/libmp3input.so";
        if (access(path.c_str(), F_OK) == 0) break;
    }
    return path;
}

std::string PluginHandle::Directory() const {
    return DirName(m_path);
}

bool PluginHandle::Load(const std::string& path) {
    m_path = path;
    // Kept mapped after dlclose, as the player keeps it: the framework inside
    // holds process-wide state (string manager, library loader) that is
    // built once and never torn down.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle) {
        const char* e = dlerror();
        m_error = e ? e : "cannot load " + path;
        return false;
    }
    m_attach = reinterpret_cast<ZrAttachFn>(dlsym(m_handle, ZR_EXPORT_ATTACH));
    m_detach = reinterpret_cast<ZrDetachFn>(dlsym(m_handle, ZR_EXPORT_DETACH));
    m_getInput = reinterpret_cast<ZrGetInputSourceFn>(dlsym(m_handle, ZR_EXPORT_GET_INPUT_SOURCE));
    m_getFileInfo = reinterpret_cast<ZrGetFileInfoFn>(dlsym(m_handle, ZR_EXPORT_GET_FILE_INFO));
    if (!m_attach || !m_detach || !m_getInput || !m_getFileInfo) {
        m_error = path + " does not export Attach, Detach, GetInputSource and GetFileInfo";
        return false;
    }
    return true;
}

bool PluginHandle::Attach() {
    // Detach is owed even when Attach fails: the plug-in counted the call.
    ++m_attached;
    if (m_attach(&g_hostContext) != 1) {
        m_error = "the plug-in failed to start";
        return false;
    }
    return true;
}

void PluginHandle::Detach() {
    if (m_attached > 0) {
        --m_attached;
        m_detach();
    }
}

IZrAudioInput* PluginHandle::NewInput(IZrReaderProvider* provider) const {
    return m_getInput(provider);
}

IZrAudioFileInfo* PluginHandle::NewFileInfo(IZrReaderProvider* provider) const {
    IZrAudioFileInfo* info = nullptr;
    m_getFileInfo(provider, &info);
    return info;
}
