// A reader of the reader library as the host hands it to the plug-in: it
// forwards everything and notes why the reader last failed, so that the host
// can tell the user what the plug-in's result codes cannot carry (an HTTP
// status, a network failure, a stalled stream).
#ifndef TONEHALL_HOST_HOSTREADER_H
#define TONEHALL_HOST_HOSTREADER_H

#include <string>

#include "ZrCoreLib/VShellReader.h"

class HostReaderProvider;

class HostReader : public VShellReader {
public:
    // Owns `inner`; failures go to `provider`, which outlives every reader.
    HostReader(IZrReader* inner, HostReaderProvider& provider);

    // The plug-in sees the library's reader, kind included.
    uint32_t GetReaderKind() override;
    bool OpenRead() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t Seek(int64_t offset, uint32_t origin) override;

private:
    // Passes the reader's "LastError" on, when it gives one.
    void NoteFailure();

    HostReaderProvider& m_provider;
};

#endif
