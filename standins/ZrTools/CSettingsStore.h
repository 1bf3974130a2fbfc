#pragma once

#include <string>

// The stand-in's settings store: integers by key path and value name in one
// text file shared by every process of the user.
//
// File: $TONEHALL_SETTINGS, else $XDG_CONFIG_HOME/tonehall/settings.ini,
// else ~/.config/tonehall/settings.ini. Format: "[key path]" section lines
// followed by "name=value" lines, UTF-8. Key paths and names match without
// regard to letter case. A write re-reads the file, changes one line and
// replaces the file by renaming a complete temporary copy over it, all under
// an fcntl lock on "<file>.lock", so concurrent writers from several
// processes do not lose each other's values and readers never see half a
// file. Reads take no lock and re-read the file each time, so a value written
// by another process is seen at once.
class CSettingsStore {
public:
    static std::string FilePath();
    // False when `defaultValue` was returned (no file, key, value or number).
    static bool ReadInt(const std::string& key, const std::string& name, int& value);
    static bool WriteInt(const std::string& key, const std::string& name, int value);
};
