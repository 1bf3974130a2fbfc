#include "ZrCoreLib/ZrPropertyMap.h"

int ZrPropertyMap::Find(const ZrString& name) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].first.EqualsNoCase(name.c_str())) return int(i);
    return -1;
}

void ZrPropertyMap::Set(const ZrString& name, const ZrString& value) {
    const int i = Find(name);
    if (i >= 0)
        m_items[size_t(i)].second = value;
    else
        m_items.emplace_back(name, value);
}

ZrString ZrPropertyMap::Get(const ZrString& name) const {
    const int i = Find(name);
    return i >= 0 ? m_items[size_t(i)].second : ZrString();
}

bool ZrPropertyMap::Lookup(const ZrString& name, ZrString& value) const {
    const int i = Find(name);
    if (i < 0) return false;
    value = m_items[size_t(i)].second;
    return true;
}

bool ZrPropertyMap::Remove(const ZrString& name) {
    const int i = Find(name);
    if (i < 0) return false;
    m_items.erase(m_items.begin() + i);
    return true;
}

void ZrPropertyMap::Merge(const ZrPropertyMap& other) {
    for (const auto& item : other.m_items)
        Set(item.first, item.second);
}
