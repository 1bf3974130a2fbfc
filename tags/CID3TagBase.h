#pragma once

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"

#include <cstdint>

// Common base of the ID3 tag classes, through which the composite tag of a
// file asks each of its tags for a host field.
class CID3TagBase {
public:
    // Option bit of GetField: return the stored frame fields without the
    // conversions of the field mapping.
    static constexpr uint32_t kGetRaw = 1;

    virtual ~CID3TagBase() = default;
    // Clears out and fills it for the host field name (compared without
    // regard to case); false when the tag has no value for the field.
    virtual bool GetField(const ZrString& name, ZrPropertyMap& out, uint32_t options = 0) = 0;
};
