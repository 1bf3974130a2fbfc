// A loaded plug-in, reached only through dlopen and its four exports, as
// Tonehall reaches it.
#ifndef TONEHALL_HOST_PLUGINHANDLE_H
#define TONEHALL_HOST_PLUGINHANDLE_H

#include <string>

#include "ZrAudioPlugin.h"

class PluginHandle {
public:
    PluginHandle() = default;
    ~PluginHandle();
    PluginHandle(const PluginHandle&) = delete;
    PluginHandle& operator=(const PluginHandle&) = delete;

    // Loads the library and resolves the exports; false with Error() set.
    bool Load(const std::string& path);
    // Attach with our context; remembers to Detach on destruction.
    bool Attach();
    void Detach();

    IZrAudioInput* NewInput(IZrReaderProvider* provider) const;
    IZrAudioFileInfo* NewFileInfo(IZrReaderProvider* provider) const;

    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }
    // The directory that holds the plug-in (and its sibling libraries).
    std::string Directory() const;

    // libmp3input.so in the installed plug-in directory relative to this
    // executable, else in <dir of this executable>/../lib.
    static std::string DefaultPath();

private:
    void* m_handle = nullptr;
    std::string m_path;
    std::string m_error;
    int m_attached = 0;
    ZrAttachFn m_attach = nullptr;
    ZrDetachFn m_detach = nullptr;
    ZrGetInputSourceFn m_getInput = nullptr;
    ZrGetFileInfoFn m_getFileInfo = nullptr;
};

#endif
