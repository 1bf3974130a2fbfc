#include "standins/ZrTools/CLanguageServices.h"

bool CLanguageServices::Translate(IZrDllString* text) {
    return text != nullptr;
}
