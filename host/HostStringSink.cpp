#include "HostStringSink.h"

#include <cwchar>

#include "ZrCoreLib/ZrString.h"

void HostStringSink::Set(const wchar_t* text, int length) {
    if (!text) {
        m_text.clear();
        return;
    }
    if (length < 0)
        m_text.assign(text);
    else
        m_text.assign(text, static_cast<size_t>(length));
}

wchar_t* HostStringSink::GetBuffer(int length, int) {
    if (length < 0) length = 0;
    if (m_text.size() < static_cast<size_t>(length)) m_text.resize(static_cast<size_t>(length));
    return &m_text[0];
}

void HostStringSink::ReleaseBuffer(int length) {
    if (length < 0) length = static_cast<int>(std::wcslen(m_text.c_str()));
    if (static_cast<size_t>(length) < m_text.size()) m_text.resize(static_cast<size_t>(length));
}

std::string HostStringSink::Utf8() const {
    return ZrString(m_text.c_str(), static_cast<int>(m_text.size())).ToUtf8();
}
