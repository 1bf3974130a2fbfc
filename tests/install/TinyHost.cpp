// The smallest host of the plug-in, built by the install test against the
// installed interface header alone: loads the plug-in and the reader library
// from the directory given (pkg-config's plugindir), plays one file through
// the exports and the virtual slots, and prints the sample frames delivered.
#include <ZrAudioPlugin.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

class Text : public IZrDllString {
public:
    const wchar_t* Get() override { return m_text.c_str(); }
    void Set(const wchar_t* text, int length) override {
        m_text = length < 0 ? std::wstring(text) : std::wstring(text, size_t(length));
    }
    void Empty() override { m_text.clear(); }
    wchar_t* GetBuffer(int length, int) override {
        m_text.resize(size_t(length) + 1);
        return &m_text[0];
    }
    void ReleaseBuffer(int length) override {
        m_text.resize(length < 0 ? std::wcslen(m_text.c_str()) : size_t(length));
    }
    std::wstring m_text;
};

// Readers come from the reader library that ships beside the plug-in.
using CreateReaderFn = IZrReader* (*)(const wchar_t* path);

struct Provider : IZrReaderProvider {
    explicit Provider(CreateReaderFn f) : create(f) {}
    IZrReader* CreateReader(const wchar_t* path, int, int) override { return create(path); }
    CreateReaderFn create;
};

int g_context;

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLUGINDIR FILE\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    void* plugin = dlopen((dir + "/libmp3input.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    void* readers =
        plugin ? dlopen((dir + "/libZrReader.so").c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!readers) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto attach = reinterpret_cast<ZrAttachFn>(dlsym(plugin, ZR_EXPORT_ATTACH));
    auto detach = reinterpret_cast<ZrDetachFn>(dlsym(plugin, ZR_EXPORT_DETACH));
    auto getInput = reinterpret_cast<ZrGetInputSourceFn>(dlsym(plugin, ZR_EXPORT_GET_INPUT_SOURCE));
    auto create = reinterpret_cast<CreateReaderFn>(dlsym(readers, "CreateLocalReaderDLL"));
    if (!attach || !detach || !getInput || !create || attach(&g_context) != 1) return 1;

    Provider provider(create);
    IZrAudioInput* input = getInput(&provider);
    const std::wstring path(argv[2], argv[2] + std::strlen(argv[2]));
    Text channels;
    if (input->Open(path.c_str()) != 0 || input->GetInfo(INFO_CHANNELS, &channels) != 0) return 1;
    std::vector<char> buffer(65536);
    long long bytes = 0;
    int got;
    while ((got = input->Read(buffer.data(), int(buffer.size()))) > 0)
        bytes += got;
    if (got < 0) return 1; // a local file never makes the host wait
    delete input;
    detach();
    std::printf("%lld\n", bytes / 8 / std::max(1L, std::wcstol(channels.Get(), nullptr, 10)));
    return 0;
}
