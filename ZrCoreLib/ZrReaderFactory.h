#pragma once

#include "ZrCoreLib/IZrReader.h"

// Readers made by the sibling reader library "libZrReader.so". Each call
// returns a new reader owned by the caller, or null when the library or its
// factory function is missing or the factory refuses.
class ZrReaderFactory {
public:
    // "CreateLocalReaderDLL": a file reader on `path`, not yet opened (call
    // OpenRead or OpenWrite).
    static IZrReader* CreateLocalReader(const wchar_t* path);
    // "CreateFromMemoryReaderDLL": a memory reader holding a copy of all of
    // `source`'s bytes, positioned at 0. `source` stays the caller's (also
    // when a copy is returned) and is left at the position it had.
    static IZrReader* CreateFromMemoryReader(IZrReader* source);
};

// Signatures of the reader library's factory entries.
extern "C" {
typedef IZrReader* (*ZrCreateLocalReaderFn)(const wchar_t* path);
typedef IZrReader* (*ZrCreateFromMemoryReaderFn)(IZrReader* source);
}
