#pragma once

#include "ZrCoreLib/IZrStringServices.h"

// The stand-in's text comparison. Option 0x001 ignores letter case; option
// 0x200 compares runs of decimal digits by value, so "Track 9" sorts before
// "Track 10". The mode argument is accepted and not used.
class CStringServices final : public IZrStringServices {
public:
    int Compare(const wchar_t* a, const wchar_t* b, uint32_t options, int mode) override;
};
