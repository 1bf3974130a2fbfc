// Entry points of the stand-in tools library. Everything else in the library
// is hidden; the framework's loader finds these by name.
#include "ZrCoreLib/IZrTools.h"
#include "standins/ZrTools/CZrTools.h"

#define ZR_TOOLS_EXPORT extern "C" __attribute__((visibility("default")))

ZR_TOOLS_EXPORT IZrTools* GetZrToolsDLL(int version) {
    return version == kZrToolsVersion ? &CZrTools::Instance() : nullptr;
}

ZR_TOOLS_EXPORT int Attach(void*) {
    return 1;
}

// The loader's unload: the in-memory readers go, as the contract promises
// they live only as long as the library stays loaded.
ZR_TOOLS_EXPORT int Detach() {
    CZrTools::Instance().Reset();
    return 1;
}
