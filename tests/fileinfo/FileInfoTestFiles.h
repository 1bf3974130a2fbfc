#pragma once
// The file-info object as the host program reaches it (its PluginHandle,
// reader provider and text sink: dlopen, the exports and the virtual slots
// only), the test files of tests/data/fileinfo, and the settings store of
// this test process.

#include "HostReaderProvider.h"
#include "HostStringSink.h"
#include "PluginHandle.h"
#include "common/TestFiles.h"
#include "common/TestTools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace fileinfotest {

const std::string kData = std::string(TONEHALL_TEST_DATA) + "/fileinfo/";

struct Host {
    PluginHandle plugin;
    std::unique_ptr<HostReaderProvider> provider;
    Host() {
        if (plugin.Load(PluginHandle::DefaultPath()) && plugin.Attach())
            provider = std::make_unique<HostReaderProvider>(plugin.Directory());
    }
};

inline Host& TheHost() {
    static Host host;
    return host;
}

// The settings file of this process, written by another one (the host's
// settings command) as a user's configuration would be.
inline std::string SettingsFile() {
    static const testfiles::TempDir dir;
    setenv("TONEHALL_SETTINGS", (dir / "settings.ini").c_str(), 1);
    return dir / "settings.ini";
}

inline void WriteSettings(int id3v2Mode, int ignore) {
    for (const auto& [name, value] :
         {std::pair("'ID3v2 Save Mode' ", id3v2Mode), std::pair("'ID3v2 Ignore' ", ignore)})
        testtools::Run("TONEHALL_SETTINGS='" + SettingsFile() +
                       "' " TONEHALL_BIN_DIR "/tonehall-host settings " + name +
                       std::to_string(value) + " >/dev/null");
}

inline std::wstring Wide(const std::string& s) {
    return ZrString::FromUtf8(s.c_str()).c_str();
}

inline std::unique_ptr<IZrAudioFileInfo> OpenInfo(const std::string& path,
                                                  IZrReaderProvider* provider = nullptr) {
    SettingsFile();
    std::unique_ptr<IZrAudioFileInfo> info(
        TheHost().plugin.NewFileInfo(provider ? provider : TheHost().provider.get()));
    EXPECT_EQ(info->Open(Wide(path).c_str()), 1) << path;
    return info;
}

// GetField's text, or "<false>" (and the sink untouched) when it answers false.
inline std::string Field(IZrAudioFileInfo& info, const std::wstring& name) {
    HostStringSink sink;
    sink.Set(L"<untouched>", -1);
    const bool found = info.GetField(name.c_str(), &sink);
    EXPECT_TRUE(found || sink.Text() == L"<untouched>") << "a false answer wrote to the sink";
    return found ? sink.Utf8() : "<false>";
}

} // namespace fileinfotest
