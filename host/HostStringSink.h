// The host's text sink: what the plug-in writes its answers into.
#ifndef TONEHALL_HOST_HOSTSTRINGSINK_H
#define TONEHALL_HOST_HOSTSTRINGSINK_H

#include <string>

#include "ZrAudioPlugin.h"

class HostStringSink : public IZrDllString {
public:
    HostStringSink() = default;
    virtual ~HostStringSink() = default;

    const wchar_t* Get() override { return m_text.c_str(); }
    void Set(const wchar_t* text, int length) override;
    void Empty() override { m_text.clear(); }
    wchar_t* GetBuffer(int length, int flags) override;
    void ReleaseBuffer(int length) override;

    const std::wstring& Text() const { return m_text; }
    std::string Utf8() const;

private:
    std::wstring m_text;
};

#endif
