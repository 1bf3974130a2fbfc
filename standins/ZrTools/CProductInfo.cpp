#include "standins/ZrTools/CProductInfo.h"

#include <cstdlib>

#include "ZrCoreLib/ZrString.h"
#include "include/ZrAudioPlugin.h"

bool CProductInfo::Load(IZrDllString* errorText) {
    const char* failure = std::getenv("ZRTOOLS_FAIL_PRODUCT_INFO");
    if (!failure) return true;
    if (errorText) {
        const ZrString text = ZrString::FromUtf8(failure);
        if (text.IsEmpty())
            errorText->Empty();
        else
            errorText->Set(text.c_str(), text.GetLength());
    }
    return false;
}
