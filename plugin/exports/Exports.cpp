// The plug-in's four exports, the only symbols the library makes visible
// (see exports.map).
#include "fileinfo/MpegFileInfo.h"
#include "include/ZrAudioPlugin.h"
#include "input/CQLMP3InputSource.h"
#include "plugin/ZrDllApp.h"

namespace {
// Constructed by static initialisation, before the host can call an export;
// registers itself as the library's application object.
ZrDllApp g_theApp;
} // namespace

#define ZR_EXPORT extern "C" __attribute__((visibility("default")))

ZR_EXPORT int Attach(void* hostContext) {
    ZrApp* app = ZrApp::GetApp();
    if (!app) return 0;
    return app->OnAttachDetach(hostContext, ZrApp::kReasonAttach, nullptr) ? 1 : 0;
}

ZR_EXPORT int Detach() {
    ZrApp* app = ZrApp::GetApp();
    if (!app) return 0;
    app->OnAttachDetach(nullptr, ZrApp::kReasonDetach, nullptr);
    return 1;
}

ZR_EXPORT IZrAudioInput* GetInputSource(IZrReaderProvider* provider) {
    return new CQLMP3InputSource(provider);
}

ZR_EXPORT int GetFileInfo(IZrReaderProvider* provider, IZrAudioFileInfo** out) {
    IZrAudioFileInfo* info = new MpegFileInfo(provider);
    if (out)
        *out = info;
    else
        delete info;
    return 1;
}
