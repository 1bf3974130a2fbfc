#pragma once
// The plug-in as a host reaches it: build/lib/libmp3input.so through dlopen,
// its exports and the virtual slots of include/ZrAudioPlugin.h, with readers
// from the stand-in reader library and a plain text sink. For tests that
// must hold the binary contract rather than the C++ classes behind it.

#include "include/ZrAudioPlugin.h"

#include <dlfcn.h>

#include <memory>
#include <string>

namespace testplugin {

// A sink that keeps what the plug-in wrote; "<untouched>" until it writes.
class TextSink : public IZrDllString {
public:
    const wchar_t* Get() override { return m_text.c_str(); }
    void Set(const wchar_t* text, int length) override {
        m_text = length < 0 ? std::wstring(text) : std::wstring(text, size_t(length));
    }
    void Empty() override { m_text.clear(); }
    wchar_t* GetBuffer(int length, int) override {
        m_text.resize(size_t(length));
        return &m_text[0];
    }
    void ReleaseBuffer(int length) override {
        m_text.resize(length < 0 ? m_text.find(L'\0') : size_t(length));
    }
    std::string Utf8() const; // defined below
    std::wstring m_text = L"<untouched>";
};

inline std::string TextSink::Utf8() const {
    std::string out;
    for (wchar_t c : m_text) {
        const uint32_t u = uint32_t(c);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// Readers from libZrReader.so beside the plug-in.
class ReaderProvider : public IZrReaderProvider {
public:
    using CreateFn = IZrReader* (*)(const wchar_t*);
    explicit ReaderProvider(CreateFn create) : m_create(create) {}
    IZrReader* CreateReader(const wchar_t* path, int, int) override { return m_create(path); }

private:
    CreateFn m_create;
};

// Loaded, attached and kept for the whole test process, as a player keeps
// its plug-ins.
class Plugin {
public:
    static Plugin& Get() {
        static Plugin plugin;
        return plugin;
    }
    bool Ready() const { return m_getFileInfo != nullptr && m_provider != nullptr; }
    std::unique_ptr<IZrAudioFileInfo> NewFileInfo(IZrReaderProvider* provider = nullptr) const {
        IZrAudioFileInfo* info = nullptr;
        m_getFileInfo(provider ? provider : m_provider.get(), &info);
        return std::unique_ptr<IZrAudioFileInfo>(info);
    }
    std::unique_ptr<IZrAudioInput> NewInput() const {
        return std::unique_ptr<IZrAudioInput>(m_getInput(m_provider.get()));
    }
    ReaderProvider::CreateFn CreateLocalReader() const { return m_createLocal; }

private:
    Plugin() {
        const std::string dir = TONEHALL_LIB_DIR;
        void* plugin = dlopen((dir + "/libmp3input.so").c_str(), RTLD_NOW | RTLD_NODELETE);
        void* reader = dlopen((dir + "/libZrReader.so").c_str(), RTLD_NOW | RTLD_NODELETE);
        if (!plugin || !reader) return;
        auto attach = reinterpret_cast<ZrAttachFn>(dlsym(plugin, ZR_EXPORT_ATTACH));
        m_createLocal =
            reinterpret_cast<ReaderProvider::CreateFn>(dlsym(reader, "CreateLocalReaderDLL"));
        if (!attach || !m_createLocal || attach(nullptr) != 1) return;
        m_getInput =
            reinterpret_cast<ZrGetInputSourceFn>(dlsym(plugin, ZR_EXPORT_GET_INPUT_SOURCE));
        m_getFileInfo = reinterpret_cast<ZrGetFileInfoFn>(dlsym(plugin, ZR_EXPORT_GET_FILE_INFO));
        m_provider = std::make_unique<ReaderProvider>(m_createLocal);
    }
    ZrGetInputSourceFn m_getInput = nullptr;
    ZrGetFileInfoFn m_getFileInfo = nullptr;
    ReaderProvider::CreateFn m_createLocal = nullptr;
    std::unique_ptr<ReaderProvider> m_provider;
};

} // namespace testplugin
