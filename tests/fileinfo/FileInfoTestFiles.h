#pragma once
// MP3 files for the file-info tests, put together from the small encoded
// streams in tests/data (audio only, their own tags taken off) and tags
// built byte by byte, so every test states the tags it reads.

#include "common/PluginLoader.h"
#include "common/TestFiles.h"
#include "common/TestTools.h"
#include "tags/TagTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace fileinfotest {

// MPEG-1 CBR stereo 44.1 kHz (LAME Info frame), MPEG-2 VBR mono 22.05 kHz
// (Xing frame) and MPEG-2.5 CBR mono 8 kHz (Info frame).
inline Bytes Audio(const std::string& name) {
    static const std::string kData = TONEHALL_TEST_DATA;
    Bytes file = testfiles::ReadFile(kData + (name == "mpeg25"  ? "/fileinfo/m25-cbr-8k.mp3"
                                              : name == "mpeg2" ? "/input/vbr-mono-22k-id3.mp3"
                                                                : "/input/cbr128-stereo-44k.mp3"));
    if (file.size() > 10 && std::memcmp(file.data(), "ID3", 3) == 0)
        file.erase(file.begin(),
                   file.begin() + 10 + (file[6] << 21 | file[7] << 14 | file[8] << 7 | file[9]));
    return file;
}

// A 128-byte ID3v1.1 record.
inline Bytes ID3v1(const std::string& title, const std::string& artist, const std::string& album,
                   const std::string& year, const std::string& comment, int track, int genre) {
    Bytes r(128, 0);
    std::memcpy(r.data(), "TAG", 3);
    auto put = [&r](size_t at, const std::string& s, size_t n) {
        std::memcpy(r.data() + at, s.data(), std::min(s.size(), n));
    };
    put(3, title, 30);
    put(33, artist, 30);
    put(63, album, 30);
    put(93, year, 4);
    put(97, comment, 28);
    r[126] = uint8_t(track);
    r[127] = uint8_t(genre);
    return r;
}

inline std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// The settings store is a file of the test process's own; set once, before
// the plug-in first reads a setting.
inline const std::string& SettingsFile() {
    static const std::string path = [] {
        char name[] = "/tmp/fileinfo-settings-XXXXXX";
        const std::string dir = mkdtemp(name) ? name : "/tmp";
        setenv("TONEHALL_SETTINGS", (dir + "/settings.ini").c_str(), 1);
        return dir + "/settings.ini";
    }();
    return path;
}

// Writes the plug-in's settings from another process, as the host does.
inline void WriteSettings(int id3v1Mode, int id3v2Mode, int ignore) {
    const std::pair<const char*, int> values[] = {
        {"ID3v1 Save Mode", id3v1Mode}, {"ID3v2 Save Mode", id3v2Mode}, {"ID3v2 Ignore", ignore}};
    for (const auto& v : values)
        testtools::Run("TONEHALL_SETTINGS='" + SettingsFile() + "' " + TONEHALL_BIN_DIR +
                       "/tonehall-host settings '" + v.first + "' " + std::to_string(v.second) +
                       " >/dev/null");
}

inline void RemoveSettings() {
    std::remove(SettingsFile().c_str());
}

// A file-info object of the loaded plug-in, opened on path.
inline std::unique_ptr<IZrAudioFileInfo> OpenInfo(const std::string& path,
                                                  IZrReaderProvider* provider = nullptr) {
    SettingsFile();
    auto info = testplugin::Plugin::Get().NewFileInfo(provider);
    EXPECT_EQ(info->Open(Wide(path).c_str()), 1) << path;
    return info;
}

// GetField's text, or "<false>" when it answers false.
inline std::string Field(IZrAudioFileInfo& info, const std::wstring& name) {
    testplugin::TextSink sink;
    if (!info.GetField(name.c_str(), &sink)) {
        EXPECT_EQ(sink.m_text, L"<untouched>") << "a false answer wrote to the sink";
        return "<false>";
    }
    return sink.Utf8();
}

} // namespace fileinfotest
