#include "standins/ZrTools/CSettingsKeyObject.h"

#include "ZrCoreLib/ZrString.h"
#include "standins/ZrTools/CSettingsStore.h"

void CSettingsKeyObject::Release() {
    delete this;
}

int CSettingsKeyObject::ReadInt(const wchar_t* name, int defaultValue) {
    int value = defaultValue;
    if (name && CSettingsStore::ReadInt(m_key, ZrString(name).ToUtf8(), value)) return value;
    return defaultValue;
}

bool CSettingsKeyObject::WriteInt(const wchar_t* name, int value) {
    return name && CSettingsStore::WriteInt(m_key, ZrString(name).ToUtf8(), value);
}
