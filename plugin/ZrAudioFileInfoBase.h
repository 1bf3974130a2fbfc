// Defaults for a file-info object: every query fails politely until a
// derived class answers it.
#ifndef TONEHALL_PLUGIN_ZRAUDIOFILEINFOBASE_H
#define TONEHALL_PLUGIN_ZRAUDIOFILEINFOBASE_H

#include "include/ZrAudioPlugin.h"

class ZrAudioFileInfoBase : public IZrAudioFileInfo {
public:
    explicit ZrAudioFileInfoBase(IZrReaderProvider* provider) : m_provider(provider) {}
    ~ZrAudioFileInfoBase() override = default;

    bool GetField(const wchar_t*, IZrDllString*) override { return false; }
    bool SetField(const wchar_t*, const wchar_t*) override { return false; }
    int GetReport(IZrDllString*) override { return 0; }
    int Open(const wchar_t*) override { return 0; }
    int Close() override { return 0; }
    int DoCommand(int, intptr_t) override { return -1; }

protected:
    IZrReaderProvider* m_provider; // not owned
};

#endif
