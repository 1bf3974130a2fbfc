#include "tags/CID3v2TagMapping.h"

#include "tags/tables/ID3v2FieldTable.h"

namespace {

const wchar_t kLegacyPrefix[] = L"Quillon Audio: ";

} // namespace

CID3v2TagMapping::CID3v2TagMapping() {
    for (const ID3v2FieldRow& row : kID3v2FieldTable)
        Add(new CID3v2Field(row.frameId, row.hostName, row.description,
                            row.flags | CID3v2Field::BuiltIn, row.pictureType));
    for (auto& entry : m_entries)
        if (CID3v2Field::IsListField(entry->GetHostName())) entry->AddFlags(CID3v2Field::ListValue);
}

void CID3v2TagMapping::Add(CID3v2Field* entry) {
    const int position = m_entries.Add(entry);
    ZrNumberArray<int>** positions = m_index.Find(entry->GetHostName().c_str());
    if (positions) {
        (*positions)->Add(position);
    } else {
        ZrNumberArray<int>* list = new ZrNumberArray<int>;
        list->Add(position);
        m_index.SetAt(entry->GetHostName().c_str(), list);
    }
}

const CID3v2Field* CID3v2TagMapping::Get(int index) const {
    if (index < 0 || index >= m_entries.GetCount()) return nullptr;
    return m_entries[index];
}

CID3v2Field* CID3v2TagMapping::Next(const ZrString& name, int& cursor, bool create, uint32_t mask) {
    ZrNumberArray<int>** found = m_index.Find(name.c_str());
    if (create && cursor == 0 && !found && !name.EqualsNoCase(L"Year")) {
        // Every field the table does not know lives in a TXXX frame named
        // after it; older versions kept it in a comment with the legacy prefix.
        Add(new CID3v2Field("TXXX", name, name, CID3v2Field::WriteV23 | CID3v2Field::WriteV24));
        Add(new CID3v2Field("COMM", name, ZrString(kLegacyPrefix) + name, 0));
        found = m_index.Find(name.c_str());
    }
    if (!found) return nullptr;
    const ZrNumberArray<int>& positions = **found;
    for (int k = 0; k < positions.GetCount(); ++k) {
        const int pos = positions[k];
        if (pos < cursor) continue;
        CID3v2Field* entry = m_entries[pos];
        if (entry->Accepts(mask)) {
            cursor = pos + 1;
            return entry;
        }
    }
    return nullptr;
}

int CID3v2TagMapping::IndexOf(const char* frameId, const ZrString& description,
                              uint32_t mask) const {
    for (int i = 0; i < m_entries.GetCount(); ++i) {
        const CID3v2Field& e = *m_entries[i];
        if (e.HasFrameId(frameId) && e.GetDescription().EqualsNoCase(description.c_str()) &&
            e.Accepts(mask))
            return i;
    }
    return -1;
}
