// The plug-in's four exports. Placeholder until the application object lands.
extern "C" {
__attribute__((visibility("default"))) int Attach(void*) { return 0; }
__attribute__((visibility("default"))) int Detach() { return 0; }
__attribute__((visibility("default"))) void* GetInputSource(void*) { return nullptr; }
__attribute__((visibility("default"))) int GetFileInfo(void*, void** out) {
    *out = nullptr;
    return 1;
}
}
