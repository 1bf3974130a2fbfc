#include <gtest/gtest.h>

#include <string>

#include "RunCommand.h"

namespace {

TEST(PluginExports, OnlyTheFourFunctionsAreVisible) {
    const CommandResult r =
        RunCommand("nm -D --defined-only '" + PluginLibrary() + "' | awk '{print $2, $3}' | sort");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "T Attach\nT Detach\nT GetFileInfo\nT GetInputSource\n");
}

TEST(HostProbe, AttachesAndAnswers) {
    const CommandResult r = RunCommand(HostBinary() + " probe");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("input name (info 2): MP3 input plug-in"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("file info capability (command 3): "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(HostProbe, HelpListsEveryCommandAndEachHasItsOwn) {
    const CommandResult r = RunCommand(HostBinary() + " --help");
    EXPECT_EQ(r.status, 0);
    for (const std::string command :
         {"probe", "demo", "decode", "info", "report", "get", "scan", "settings"}) {
        EXPECT_NE(r.out.find("  " + command), std::string::npos) << command;
        const CommandResult own = RunCommand(HostBinary() + " " + command + " --help");
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_NE(own.out.find("Usage: tonehall-host " + command), std::string::npos) << own.out;
    }
}

TEST(HostStartUp, FailingProductInformationWritesOneLineToStandardError) {
    const CommandResult r =
        RunCommand("ZRTOOLS_FAIL_PRODUCT_INFO='disk on fire' " + HostBinary() + " probe");
    EXPECT_NE(r.status, 0);
    const std::string module = PluginLibrary();
    const std::string expected = "The following module has failed to load:\r\n" + module +
                                 "\r\n\r\nIt has reported the following error:\r\n\r\ndisk on "
                                 "fire\r\n\r\nPlease reinstall the latest version of the "
                                 "program.\ntonehall-host: the plug-in failed to start\n";
    EXPECT_EQ(r.err, expected);
}

TEST(HostStartUp, MissingToolsLibraryFailsAttach) {
    // The plug-in alone in a directory: its sibling libraries are missing.
    char dir[] = "/tmp/tonehall-lonely-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string lonely = std::string(dir) + "/libmp3input.so";
    ASSERT_EQ(RunCommand("cp '" + PluginLibrary() + "' '" + lonely + "'").status, 0);
    const CommandResult r = RunCommand(HostBinary() + " --plugin '" + lonely + "' probe");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("It has reported the following error:\r\n\r\nFailed to load ZrTools\r\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("ERROR in ZrLoadLibrary"), std::string::npos) << r.out;
    RunCommand(std::string("rm -rf '") + dir + "'");
}

TEST(HostSettings, ValuesPersistAcrossProcesses) {
    char dir[] = "/tmp/tonehall-settings-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string env = std::string("TONEHALL_SETTINGS='") + dir + "/settings' ";
    CommandResult r = RunCommand(env + HostBinary() + " settings");
    EXPECT_EQ(r.out, "ID3v1 Save Mode=0\nID3v2 Save Mode=0\nID3v2 Ignore=0\n") << r.err;
    EXPECT_EQ(RunCommand(env + HostBinary() + " settings 'ID3v2 Save Mode' 3").status, 0);
    r = RunCommand(env + HostBinary() +
                   " settings --key 'Playback Engine' 'Play Files From Memory' 1");
    EXPECT_EQ(r.status, 0) << r.err;
    r = RunCommand(env + HostBinary() + " settings");
    EXPECT_EQ(r.out, "ID3v1 Save Mode=0\nID3v2 Save Mode=3\nID3v2 Ignore=0\n");
    r = RunCommand(env + HostBinary() +
                   " settings --key 'Playback Engine' 'Play Files From Memory'");
    EXPECT_EQ(r.out, "Play Files From Memory=1\n");
    RunCommand(std::string("rm -rf '") + dir + "'");
}

} // namespace
