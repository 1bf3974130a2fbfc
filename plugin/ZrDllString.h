// The framework's string sink: forwards each IZrDllString slot to a ZrString
// that the caller owns. Lets plug-in code and a host written against this
// framework hand a ZrString wherever the interface wants a sink.
#ifndef TONEHALL_PLUGIN_ZRDLLSTRING_H
#define TONEHALL_PLUGIN_ZRDLLSTRING_H

#include "ZrCoreLib/ZrString.h"
#include "include/ZrAudioPlugin.h"

class ZrDllString : public IZrDllString {
public:
    explicit ZrDllString(ZrString* target) : m_target(target) {}
    virtual ~ZrDllString() = default;

    const wchar_t* Get() override { return m_target->c_str(); }
    void Set(const wchar_t* text, int length) override;
    void Empty() override { m_target->Empty(); }
    wchar_t* GetBuffer(int length, int flags) override;
    void ReleaseBuffer(int length) override { m_target->ReleaseBuffer(length); }

    // Answers a sink with text: the plug-in's one way of writing to it.
    static void SetText(IZrDllString* sink, const ZrString& text);

private:
    ZrString* m_target;
};

#endif
