#pragma once

#include "ZrCoreLib/IZrLanguageServices.h"

// The stand-in's translation facility: it has no translation tables, so
// every text stays as written.
class CLanguageServices final : public IZrLanguageServices {
public:
    bool Translate(IZrDllString* text) override;
};
