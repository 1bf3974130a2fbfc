#include "config/CMP3Settings.h"

#include "ZrCoreLib/ZrSettingsKey.h"

CMP3Settings CMP3Settings::Read() {
    const ZrSettingsKey key(ZrSettingsKey::PluginKeyPath().c_str());
    CMP3Settings settings;
    settings.id3v1SaveMode = static_cast<uint32_t>(key.ReadInt(kID3v1SaveMode, 0));
    settings.id3v2SaveMode = static_cast<uint32_t>(key.ReadInt(kID3v2SaveMode, 0));
    settings.ignoreID3v2 = key.ReadInt(kID3v2Ignore, 0) != 0;
    return settings;
}

bool CMP3Settings::Write() const {
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath().c_str());
    bool ok = key.WriteInt(kID3v1SaveMode, static_cast<int>(id3v1SaveMode));
    ok = key.WriteInt(kID3v2SaveMode, static_cast<int>(id3v2SaveMode)) && ok;
    ok = key.WriteInt(kID3v2Ignore, ignoreID3v2 ? 1 : 0) && ok;
    return ok;
}
