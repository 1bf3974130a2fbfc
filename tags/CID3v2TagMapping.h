#pragma once

#include "ZrCoreLib/ZrNumberArray.h"
#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "ZrCoreLib/ZrOwnedPtrStringMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3v2Field.h"

// The field mapping of one ID3v2 tag: the built-in entries in table order,
// plus two entries for each host field outside the table once it is used,
// and an index from host field name (without regard to case) to its entries.
// Entries are never removed while the mapping lives.
class CID3v2TagMapping {
public:
    CID3v2TagMapping();
    CID3v2TagMapping(const CID3v2TagMapping&) = delete;
    CID3v2TagMapping& operator=(const CID3v2TagMapping&) = delete;

    // The next entry for the field at a position not below cursor that
    // accepts the mask; cursor moves behind it. With create, a field without
    // any entry (other than "Year") first gets a TXXX entry and a read-only
    // legacy COMM entry.
    CID3v2Field* Next(const ZrString& name, int& cursor, bool create, uint32_t mask);
    // First entry with the frame ID, the description (without regard to
    // case) and a flag of mask (CID3v2Field::kAnyFlag: any); -1 when none.
    int IndexOf(const char* frameId, const ZrString& description, uint32_t mask) const;
    const CID3v2Field* Get(int index) const;
    int GetCount() const { return m_entries.GetCount(); }

private:
    void Add(CID3v2Field* entry);

    ZrOwnedPtrArray<CID3v2Field, false> m_entries;
    // Host field name (without regard to case) to its entries' positions in
    // m_entries, ascending.
    ZrOwnedPtrStringMap<ZrNumberArray<int>> m_index{true};
};
