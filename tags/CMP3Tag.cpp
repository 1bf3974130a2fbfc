#include "tags/CMP3Tag.h"

CMP3Tag::CMP3Tag() = default;

CMP3Tag::~CMP3Tag() = default;

void CMP3Tag::Reset() {
    m_id3v1.Reset();
    m_id3v2.Reset();
}

bool CMP3Tag::GetField(const ZrString& name, ZrPropertyMap& out) {
    out.Clear();
    if (m_id3v2.GetField(name, out)) return true;
    // Neither tag's misses may leave half an answer behind: the host reads
    // "Value" and would otherwise see an empty value from the other tag.
    if (!m_id3v1.GetField(name, out)) out.Clear();
    return true;
}

bool CMP3Tag::SetField(const ZrString& name, const ZrString& value) {
    m_id3v2.SetField(name, value);
    m_id3v1.SetField(name, value);
    return true;
}
