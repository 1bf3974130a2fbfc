#include "ZrCoreLib/ZrLibraryLoader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <new>

#include "ZrCoreLib/ZrLog.h"

namespace {

const wchar_t* const kFileNames[ZrLibraryLoader::kKindCount] = {
    L"libZrTools.so",  L"libZrImage.so",     L"libZrReader.so",     L"libZrDisc.so",
    L"libZrPlayer.so", L"libZrWMFactory.so", L"libZrTelevision.so",
};

struct LibrarySlot {
    void* handle = nullptr;
    uint32_t generation = 0;
    // Path of the last failed attempt; empty when none is remembered.
    ZrString failedPath;
};

struct LoaderState {
    std::recursive_mutex mutex;
    LibrarySlot slots[ZrLibraryLoader::kKindCount];
    ZrString directoryOverride;
};

LoaderState& State() {
    // Constructed on first use in static storage and never destroyed:
    // libraries may be unloaded from other objects' destructors late in
    // process exit, and the state must not be a heap object that outlives
    // the mapping of this code.
    alignas(LoaderState) static unsigned char storage[sizeof(LoaderState)];
    static LoaderState* const state = new (storage) LoaderState;
    return *state;
}

int Index(ZrLibraryKind kind) {
    const int i = static_cast<int>(kind);
    return i >= 0 && i < ZrLibraryLoader::kKindCount ? i : -1;
}

// Signatures of the optional entries of a sibling library.
using AttachFn = int (*)(void* context);
using DetachFn = int (*)();
using InitializeFn = void (*)(void* context);
using UninitializeFn = void (*)();

int g_frameworkContext;

ZrString DirectoryOf(const ZrString& path) {
    const int slash = path.ReverseFind(L'/');
    return slash <= 0 ? ZrString(slash == 0 ? L"/" : L".") : path.Left(slash);
}

} // namespace

std::recursive_mutex& ZrLibraryLoader::GetMutex() {
    return State().mutex;
}

void* ZrLibraryLoader::GetFrameworkContext() {
    return &g_frameworkContext;
}

const wchar_t* ZrLibraryLoader::GetLibraryFileName(ZrLibraryKind kind) {
    const int i = Index(kind);
    return i < 0 ? L"" : kFileNames[i];
}

ZrString ZrLibraryLoader::GetModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZrLibraryLoader::GetModulePath), &info) == 0 ||
        !info.dli_fname)
        return ZrString();
    return ZrString::FromUtf8(info.dli_fname);
}

ZrString ZrLibraryLoader::GetLibraryDirectory() {
    {
        std::lock_guard<std::recursive_mutex> lock(GetMutex());
        if (!State().directoryOverride.IsEmpty()) return State().directoryOverride;
    }
    const char* env = std::getenv("TONEHALL_LIBRARY_DIR");
    if (env && *env) return ZrString::FromUtf8(env);
    return DirectoryOf(GetModulePath());
}

void ZrLibraryLoader::SetLibraryDirectory(const wchar_t* directory) {
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    State().directoryOverride = ZrString(directory);
}

void* ZrLibraryLoader::ZrLoadLibrary(const ZrString& path, ZrLibraryKind kind) {
    if (path.IsEmpty()) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    const std::string file = path.ToUtf8();
    errno = 0;
    void* handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_NODELETE);
    if (!handle) {
        const int error = errno;
        const char* text = dlerror();
        std::printf("\n\nERROR in ZrLoadLibrary: error=%s, file=%s\n\n", text ? text : "",
                    file.c_str());
        std::fflush(stdout);
        ZrLog::Format(L"ZrLoadLibrary", L"Loading %s failed, error: %d", path, error);
        return nullptr;
    }
    void* context = GetFrameworkContext();
    if (auto attach = reinterpret_cast<AttachFn>(dlsym(handle, "Attach"))) attach(context);
    if (kind == ZrLibraryKind::Reader) {
        if (auto init = reinterpret_cast<InitializeFn>(dlsym(handle, "ZrReaderInitialize")))
            init(context);
        if (auto init = reinterpret_cast<InitializeFn>(dlsym(handle, "ZrDiscInitialize")))
            init(context);
    }
    return handle;
}

bool ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind kind, const wchar_t* directory) {
    const int i = Index(kind);
    if (i < 0) return false;
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    LibrarySlot& slot = State().slots[i];
    if (slot.handle) return true;
    ZrString path = directory && *directory ? ZrString(directory) : GetLibraryDirectory();
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'/') path += L'/';
    path += kFileNames[i];
    if (!slot.failedPath.IsEmpty() && slot.failedPath == path) return false;
    void* handle = ZrLoadLibrary(path, kind);
    if (!handle) {
        slot.failedPath = path;
        return false;
    }
    slot.handle = handle;
    slot.failedPath.Empty();
    ++slot.generation;
    return true;
}

void* ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind kind, const char* name) {
    const int i = Index(kind);
    if (i < 0 || !name) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    void* handle = State().slots[i].handle;
    return handle ? dlsym(handle, name) : nullptr;
}

void ZrLibraryLoader::UnloadLibrary(ZrLibraryKind kind) {
    const int i = Index(kind);
    if (i < 0) return;
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    LibrarySlot& slot = State().slots[i];
    void* handle = slot.handle;
    if (!handle) return;
    // Cleared first so that a library calling back into the loader from its
    // Detach sees itself as gone.
    slot.handle = nullptr;
    if (kind == ZrLibraryKind::Reader) {
        if (auto uninit = reinterpret_cast<UninitializeFn>(dlsym(handle, "ZrReaderUninitialize")))
            uninit();
    }
    if (auto detach = reinterpret_cast<DetachFn>(dlsym(handle, "Detach"))) detach();
    dlclose(handle);
}

void ZrLibraryLoader::UnloadAll() {
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    for (int i = 0; i < kKindCount; ++i) {
        UnloadLibrary(static_cast<ZrLibraryKind>(i));
        State().slots[i].failedPath.Empty();
    }
}

bool ZrLibraryLoader::IsLoaded(ZrLibraryKind kind) {
    const int i = Index(kind);
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    return i >= 0 && State().slots[i].handle != nullptr;
}

uint32_t ZrLibraryLoader::GetLoadGeneration(ZrLibraryKind kind) {
    const int i = Index(kind);
    std::lock_guard<std::recursive_mutex> lock(GetMutex());
    return i < 0 ? 0 : State().slots[i].generation;
}
