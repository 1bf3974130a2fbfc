#include "ZrCoreLib/ZrReaderFactory.h"

#include "ZrCoreLib/ZrLibraryLoader.h"

namespace {

void* ResolveReaderFunction(const char* name) {
    std::lock_guard<std::recursive_mutex> lock(ZrLibraryLoader::GetMutex());
    if (!ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind::Reader, L"")) return nullptr;
    return ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Reader, name);
}

} // namespace

IZrReader* ZrReaderFactory::CreateLocalReader(const wchar_t* path) {
    auto create =
        reinterpret_cast<ZrCreateLocalReaderFn>(ResolveReaderFunction("CreateLocalReaderDLL"));
    return create ? create(path ? path : L"") : nullptr;
}

IZrReader* ZrReaderFactory::CreateFromMemoryReader(IZrReader* source) {
    if (!source) return nullptr;
    auto create = reinterpret_cast<ZrCreateFromMemoryReaderFn>(
        ResolveReaderFunction("CreateFromMemoryReaderDLL"));
    return create ? create(source) : nullptr;
}
