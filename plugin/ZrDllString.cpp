#include "plugin/ZrDllString.h"

void ZrDllString::Set(const wchar_t* text, int length) {
    if (!text) {
        m_target->Empty();
        return;
    }
    *m_target = ZrString(text, length < 0 ? -1 : length);
}

wchar_t* ZrDllString::GetBuffer(int length, int) {
    return m_target->GetBuffer(length);
}

void ZrDllString::SetText(IZrDllString* sink, const ZrString& text) {
    if (sink) sink->Set(text.c_str(), text.GetLength());
}
