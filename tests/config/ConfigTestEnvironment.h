#pragma once
// The dialogs read and write the tools library's settings store: every test of
// this folder uses the stand-in from the build and a settings file of its own.

#include <cstdlib>
#include <string>

#include "ZrCoreLib/ZrSettingsKey.h"
#include "common/TestFiles.h"

namespace configtest {

inline const std::string& SettingsFile() {
    static testfiles::TempDir* dir = new testfiles::TempDir; // outlives every test
    static const std::string file = [] {
        setenv("TONEHALL_LIBRARY_DIR", TONEHALL_LIB_DIR, 1);
        setenv("TONEHALL_SETTINGS", (*dir / "settings.ini").c_str(), 1);
        return *dir / "settings.ini";
    }();
    return file;
}

// Replaces the stored settings; an empty text leaves none.
inline void StoreSettings(const std::string& text) {
    testfiles::WriteFile(SettingsFile(), text);
}
inline std::string StoredSettings() {
    const auto bytes = testfiles::ReadFile(SettingsFile());
    return std::string(bytes.begin(), bytes.end());
}

// "ID3v1 Save Mode", "ID3v2 Save Mode", "ID3v2 Ignore" as three digits.
inline std::string StoredModes() {
    SettingsFile();
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
    std::string s;
    for (const wchar_t* name : {L"ID3v1 Save Mode", L"ID3v2 Save Mode", L"ID3v2 Ignore"})
        s += std::to_string(key.ReadInt(name, -1));
    return s;
}

inline std::string Section(int v1, int v2, int ignore) {
    return "[Plugins\\Input\\MP3]\nID3v1 Save Mode=" + std::to_string(v1) +
           "\nID3v2 Save Mode=" + std::to_string(v2) + "\nID3v2 Ignore=" + std::to_string(ignore) +
           "\n";
}

} // namespace configtest
