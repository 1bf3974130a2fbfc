#include "ZrCoreLib/ZrSettingsKey.h"

#include "ZrCoreLib/IZrSettingsKeyObject.h"
#include "ZrCoreLib/ZrToolsServices.h"

ZrString ZrSettingsKey::PluginKeyPath() {
    return ZrString(kPluginsInputKey) + kPluginKeySuffix;
}

ZrSettingsKey::ZrSettingsKey(const wchar_t* path, bool flag1, bool flag2) {
    Open(path, flag1, flag2);
}

ZrSettingsKey::~ZrSettingsKey() {
    Close();
}

bool ZrSettingsKey::Open(const wchar_t* path, bool flag1, bool flag2) {
    Close();
    if (!path) return false;
    m_key = ZrToolsServices::OpenSettingsKey(path, flag1 ? 1 : 0, flag2 ? 1 : 0);
    return m_key != nullptr;
}

void ZrSettingsKey::Close() {
    if (m_key) {
        m_key->Release();
        m_key = nullptr;
    }
}

int ZrSettingsKey::ReadInt(const wchar_t* name, int defaultValue) const {
    return m_key && name ? m_key->ReadInt(name, defaultValue) : defaultValue;
}

bool ZrSettingsKey::WriteInt(const wchar_t* name, int value) {
    return m_key && name ? m_key->WriteInt(name, value) : false;
}
