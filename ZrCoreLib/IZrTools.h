#pragma once

#include <cstdint>

class IZrDecompressor;
class IZrLanguageServices;
class IZrProductInfo;
class IZrReader;
class IZrSettingsKeyObject;
class IZrStringServices;

// The tools library's interface, as "GetZrToolsDLL" of "libZrTools.so"
// answers it for kZrToolsVersion. One instance per process, owned by the
// tools library and valid until that library is unloaded. The slot order is
// a binary contract with the library; the slots named ReservedN have no
// meaning to this system and are never called by it.
class IZrTools {
public:
    // Slot 0: called once right after GetZrToolsDLL, with the framework's
    // context value and the host context of Attach.
    virtual int Initialize(void* frameworkContext, void* hostContext) = 0;
    virtual void* Reserved1() { return nullptr; }
    virtual void* Reserved2() { return nullptr; }
    virtual void* Reserved3() { return nullptr; }
    // Slot 4: finishes loading the product information after a successful
    // IZrProductInfo::Load.
    virtual void FinishProductInfo(intptr_t value) = 0;
    // Slot 5: the string services (create: 1), or null.
    virtual IZrStringServices* GetStringServices(int create) = 0;
    virtual void* Reserved6() { return nullptr; }
    // Slot 7: the translation facility (create: 1), or null.
    virtual IZrLanguageServices* GetLanguageServices(int create) = 0;
    virtual void* Reserved8() { return nullptr; }
    // Slot 9: the product information; with create 0 only when it exists
    // already, with 1 made when needed.
    virtual IZrProductInfo* GetProductInfo(int create) = 0;
    virtual void* Reserved10() { return nullptr; }
    virtual void* Reserved11() { return nullptr; }
    virtual void* Reserved12() { return nullptr; }
    virtual void* Reserved13() { return nullptr; }
    virtual void* Reserved14() { return nullptr; }
    virtual void* Reserved15() { return nullptr; }
    virtual void* Reserved16() { return nullptr; }
    virtual void* Reserved17() { return nullptr; }
    virtual void* Reserved18() { return nullptr; }
    virtual void* Reserved19() { return nullptr; }
    virtual void* Reserved20() { return nullptr; }
    virtual void* Reserved21() { return nullptr; }
    virtual void* Reserved22() { return nullptr; }
    // Slot 23: a reader holding the whole file at `path`, positioned at 0,
    // or null. The tools library keeps it (until it is unloaded); callers
    // never delete it.
    virtual IZrReader* GetInMemoryFileReader(const wchar_t* path) = 0;
    virtual void* Reserved24() { return nullptr; }
    // Slot 25: a new key object of the settings store for a key path such as
    // "Plugins\\Input\\MP3", owned by the caller (IZrSettingsKeyObject::
    // Release), or null when the store is unavailable.
    virtual IZrSettingsKeyObject* OpenSettingsKey(const wchar_t* path, int flag, int value) = 0;
    virtual void* Reserved26() { return nullptr; }
    virtual void* Reserved27() { return nullptr; }
    virtual void* Reserved28() { return nullptr; }
    virtual void* Reserved29() { return nullptr; }
    // Slot 30: the decompressor, or null.
    virtual IZrDecompressor* GetDecompressor() = 0;
    virtual void* Reserved31() { return nullptr; }
    virtual void* Reserved32() { return nullptr; }
    virtual void* Reserved33() { return nullptr; }
    virtual void* Reserved34() { return nullptr; }
    virtual void* Reserved35() { return nullptr; }
    virtual void* Reserved36() { return nullptr; }
    virtual void* Reserved37() { return nullptr; }
    virtual void* Reserved38() { return nullptr; }
    virtual void* Reserved39() { return nullptr; }
    // Slot 40: frees an object (a text or a block) that the tools library
    // handed out for the caller to free.
    virtual void Release(void* object) = 0;

protected:
    ~IZrTools() = default;
};

// The interface version this system asks for.
constexpr int kZrToolsVersion = 200048;

extern "C" {
// "GetZrToolsDLL": the tools interface for `version`, or null when the
// library does not speak that version.
typedef IZrTools* (*ZrGetZrToolsFn)(int version);
}
