#pragma once

#include "ZrCoreLib/ZrString.h"

#include <utility>
#include <vector>

// A small map from names to text values, names compared without regard to
// case. The tag code fills one per field access ("Value", "Value Original",
// "Description", "Text Encoding", "Language ID", "Mime Type", "Picture
// Type"); it holds a handful of entries, so a list in insertion order beats
// hashing and keeps the order stable for reports.
class ZrPropertyMap {
public:
    void Clear() { m_items.clear(); }
    int GetCount() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }

    // Replaces the value of an existing name, else appends.
    void Set(const ZrString& name, const ZrString& value);
    // The value, or the empty string when the name is absent.
    ZrString Get(const ZrString& name) const;
    bool Lookup(const ZrString& name, ZrString& value) const;
    bool Contains(const ZrString& name) const { return Find(name) >= 0; }
    bool Remove(const ZrString& name);

    const ZrString& GetNameAt(int i) const { return m_items[size_t(i)].first; }
    const ZrString& GetValueAt(int i) const { return m_items[size_t(i)].second; }

    // Sets every entry of other into this map.
    void Merge(const ZrPropertyMap& other);

private:
    int Find(const ZrString& name) const;

    std::vector<std::pair<ZrString, ZrString>> m_items;
};
