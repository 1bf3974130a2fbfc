#pragma once

#include "ZrCoreLib/ZrString.h"

class IZrSettingsKeyObject;

// A scoped handle of one key of the tools library's settings store: opened,
// used and destroyed within one function. Owns the key object and gives it
// back when destroyed. Without a settings store the handle stays empty,
// reads answer their defaults and writes store nothing; that is not an
// error.
class ZrSettingsKey {
public:
    // Key of the plug-in's own settings: kPluginsInputKey joined with
    // kPluginKeySuffix.
    static constexpr const wchar_t* kPluginsInputKey = L"Plugins\\Input";
    static constexpr const wchar_t* kPluginKeySuffix = L"\\MP3";
    // Key of the host's playback settings ("Play Files From Memory").
    static constexpr const wchar_t* kPlaybackEngineKey = L"Playback Engine";

    // "Plugins\Input\MP3".
    static ZrString PluginKeyPath();

    ZrSettingsKey() = default;
    explicit ZrSettingsKey(const wchar_t* path, bool flag1 = false, bool flag2 = false);
    ~ZrSettingsKey();

    ZrSettingsKey(const ZrSettingsKey&) = delete;
    ZrSettingsKey& operator=(const ZrSettingsKey&) = delete;

    // Closes what is open, then asks the store for the key of `path`; true
    // when the handle holds a key object.
    bool Open(const wchar_t* path, bool flag1 = false, bool flag2 = false);
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    // The stored integer, or `defaultValue` when the handle is empty or the
    // value is absent.
    int ReadInt(const wchar_t* name, int defaultValue) const;
    // False, with nothing stored, when the handle is empty.
    bool WriteInt(const wchar_t* name, int value);

private:
    IZrSettingsKeyObject* m_key = nullptr;
};
