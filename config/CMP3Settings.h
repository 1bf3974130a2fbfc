#pragma once

#include <cstdint>

// The plug-in's three settings, under "Plugins\Input" joined with "\MP3" in
// the host's settings store. Nothing is cached: each file-info object reads
// them once when it is created, so a change reaches only objects created
// afterwards. Without a settings store every value reads as 0.
struct CMP3Settings {
    static constexpr const wchar_t* kID3v1SaveMode = L"ID3v1 Save Mode";
    static constexpr const wchar_t* kID3v2SaveMode = L"ID3v2 Save Mode";
    static constexpr const wchar_t* kID3v2Ignore = L"ID3v2 Ignore";

    uint32_t id3v1SaveMode = 0; // a TagSaveMode
    uint32_t id3v2SaveMode = 0; // a TagSaveMode; also gates new pictures
    bool ignoreID3v2 = false;   // analysis leaves ID3v2 tags unread

    // The stored values, 0 for each one absent.
    static CMP3Settings Read();
    // Writes the three values in the order above, "ID3v2 Ignore" as 1 or 0.
    // False when the store is unavailable (nothing is stored then).
    bool Write() const;
};
