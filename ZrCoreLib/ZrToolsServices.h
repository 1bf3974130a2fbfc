#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ZrCoreLib/ZrString.h"

class IZrReader;
class IZrSettingsKeyObject;
class IZrTools;

// The calls through which the system uses the tools library "libZrTools.so".
// Every call first makes sure the library is loaded (ZrLibraryLoader, kind
// Tools); when it cannot be loaded, or does not hand out the service, the
// call takes its fallback, so callers never check for the library.
//
// Process-wide state (the interface pointer and the host context) is guarded
// by the loader's mutex; the services run on the caller's thread.
class ZrToolsServices {
public:
    // The host context handed to the library's initialisation (IZrTools slot
    // 0). Set it before the first service call of an attach.
    static void SetHostContext(void* hostContext);

    // The tools interface, loading the library and initialising it on first
    // use; null when the library, its "GetZrToolsDLL" or the interface
    // version is missing. A library without the interface is unloaded again
    // and not retried until Shutdown.
    static IZrTools* GetTools();

    // Makes GetTools answer `tools` without loading the library (null: back
    // to the library). For tests that need a library whose services answer
    // null or fail.
    static void OverrideTools(IZrTools* tools);

    // Loads the product information. On failure `errorText` says why ("Failed
    // to load ZrTools", the library's own text, or "Unknown error loading
    // product information"). `modulePath` always receives the path of the
    // module that asked (the shared object holding this code), for the
    // start-up failure message.
    static bool LoadProductInfo(ZrString& errorText, ZrString& modulePath);

    // Order of two texts for sorting frames: the library's comparison with
    // options 0x201; without it, case-insensitive code-point order. Answers
    // -1, 0 or 1.
    static int CompareStrings(const wchar_t* a, const wchar_t* b);

    // Replaces `text` by its translation; unchanged without the facility.
    static void Translate(ZrString& text);
    static ZrString Translated(const wchar_t* text);

    // The library's in-memory copy of a file: owned by the library, never
    // deleted by the caller; null when the library gives none.
    static IZrReader* GetInMemoryFileReader(const wchar_t* path);

    // A settings key object for `path`, owned by the caller (Release it), or
    // null without a settings store. ZrSettingsKey wraps this.
    static IZrSettingsKeyObject* OpenSettingsKey(const wchar_t* path, int flag, int value);

    // Inflates a zlib block into `out`. False, with `out` left empty, when
    // there is no decompressor, the data are damaged or truncated, or the
    // output would exceed `maxOut` bytes; the output buffer grows with the
    // data, never allocated from `maxOut` up front.
    static bool Inflate(const uint8_t* in, size_t inSize, size_t maxOut, std::vector<uint8_t>& out);

    // Frees an object that the library handed out for the caller to free.
    static void Release(void* object);

    // Drops the interface and unloads the sibling libraries (their Detach
    // entries run); the next service call loads them again.
    static void Shutdown(void* hostContext);
};
