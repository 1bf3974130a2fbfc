// Entry points of the stand-in reader library. Everything else in the
// library is hidden; the framework's loader finds these by name.
#include <cstdint>

#include "ZrCoreLib/CMemoryReader.h"
#include "standins/ZrReader/CHttpReader.h"
#include "standins/ZrReader/CPosixFileReader.h"

namespace {

// Streams are copied into memory for playback; a file beyond this is not an
// audio file anyone plays from memory, and copying it would only exhaust RAM.
constexpr uint64_t kMaxMemoryCopyBytes = uint64_t(1) << 30;

} // namespace

#define ZR_READER_EXPORT extern "C" __attribute__((visibility("default")))

// The host's provider asks this one factory for every path, so "http://"
// and "https://" URLs are answered here with a network reader.
ZR_READER_EXPORT IZrReader* CreateLocalReaderDLL(const wchar_t* path) {
    if (!path || !*path) return nullptr;
    if (CHttpReader::IsHttpUrl(path)) return new CHttpReader(ZrString(path).ToUtf8());
    return new CPosixFileReader(ZrString(path).ToUtf8());
}

// A network reader for an "http://" or "https://" URL; null for anything
// else.
ZR_READER_EXPORT IZrReader* CreateHttpReaderDLL(const wchar_t* url) {
    if (!CHttpReader::IsHttpUrl(url)) return nullptr;
    return new CHttpReader(ZrString(url).ToUtf8());
}

ZR_READER_EXPORT IZrReader* CreateFromMemoryReaderDLL(IZrReader* source) {
    return CMemoryReader::CopyOf(source, kMaxMemoryCopyBytes);
}

// The loader calls these around the library's life; the stand-in keeps no
// state between readers.
ZR_READER_EXPORT void ZrReaderInitialize(void*) {}
ZR_READER_EXPORT void ZrReaderUninitialize() {}
