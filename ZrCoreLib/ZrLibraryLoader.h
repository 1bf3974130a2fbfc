#pragma once

#include <cstdint>
#include <mutex>

#include "ZrCoreLib/ZrString.h"

// The sibling libraries that the framework knows by kind; the number is the
// kind code and indexes the file-name table.
enum class ZrLibraryKind : int {
    Tools = 0,      // "libZrTools.so"
    Image = 1,      // "libZrImage.so"
    Reader = 2,     // "libZrReader.so"
    Disc = 3,       // "libZrDisc.so"
    Player = 4,     // "libZrPlayer.so"
    WMFactory = 5,  // "libZrWMFactory.so"
    Television = 6, // "libZrTelevision.so"
};

// Finds, loads and unloads the maker's sibling libraries, one instance of
// each per process. All state is process-wide and guarded by one recursive
// mutex (a library's Attach may come back into the loader).
//
// Where a bare library name is looked up: the directory set with
// SetLibraryDirectory, else the environment variable TONEHALL_LIBRARY_DIR,
// else the directory of the shared object that holds this code (the
// plug-in's own directory once linked into it).
//
// A load that failed is not retried for the same path until UnloadAll, so a
// missing library prints its error once rather than on every service call.
class ZrLibraryLoader {
public:
    static constexpr int kKindCount = 7;

    // Loads the library of `kind` from `directory` (null or empty: the
    // default directory above) unless it is loaded already.
    static bool EnsureLibraryLoaded(ZrLibraryKind kind, const wchar_t* directory = nullptr);
    // Address of an exported symbol; null when the library is not loaded or
    // does not export it.
    static void* FindLibraryFunction(ZrLibraryKind kind, const char* name);
    // Calls the library's "ZrReaderUninitialize" (reader library) and
    // "Detach" when exported, then closes it. Nothing when not loaded.
    static void UnloadLibrary(ZrLibraryKind kind);
    // Unloads every library and forgets failed loads.
    static void UnloadAll();
    static bool IsLoaded(ZrLibraryKind kind);
    // Counts the successful loads of a kind, so that a caller holding
    // pointers into a library can tell that it was unloaded and loaded again.
    static uint32_t GetLoadGeneration(ZrLibraryKind kind);

    // Opens a shared object by path with lazy binding and no unloading of
    // its code on close (objects it handed out may outlive the handle), then
    // calls its "Attach" and, for the reader library, "ZrReaderInitialize"
    // and "ZrDiscInitialize" with the framework context. On failure prints
    // the error line to standard output, logs under "ZrLoadLibrary" and
    // answers null.
    static void* ZrLoadLibrary(const ZrString& path, ZrLibraryKind kind);

    static const wchar_t* GetLibraryFileName(ZrLibraryKind kind);
    // The directory searched when none is given, without a trailing "/".
    static ZrString GetLibraryDirectory();
    // Overrides the default directory; null or empty restores it.
    static void SetLibraryDirectory(const wchar_t* directory);
    // Full path of the shared object (or program) that holds this code.
    static ZrString GetModulePath();
    // The value handed to the sibling libraries' initialisation entries.
    static void* GetFrameworkContext();

    static std::recursive_mutex& GetMutex();
};
