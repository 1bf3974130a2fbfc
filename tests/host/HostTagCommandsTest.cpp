// tonehall-host set and remove-tags on copies of the sample, which has an
// ID3v2 tag and an ID3v1 record: exit status, messages, and the file after.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "RunCommand.h"
#include "common/ChildProcess.h"
#include "common/TestFiles.h"

namespace {

bool Holds(const std::string& file, const std::string& text) {
    return file.find(text) != std::string::npos;
}

TEST(HostTagCommands, SetAndRemoveTagsSayWhatHappened) {
    testfiles::TempDir dir;
    const std::string song = dir / "song.mp3", png = dir / "cover.png";
    testfiles::WriteFile(png, std::string("\x89PNG\r\n\x1a\nembedded picture"));
    const std::string host = "TONEHALL_SETTINGS='" + (dir / "s.ini") + "' " + HostBinary();
    struct Case {
        std::string args;
        int v2Mode;
        bool locked;
        int status;
        std::string out, err, fileHolds;
    } const cases[] = {
        {"set SONG Name=Hello 'Image File=" + png + "'", 0, false, 0, "", "", "embedded picture"},
        {"set SONG 'Image File=" + png + "'", 2, false, 1, "", "Image File: not taken", ""},
        {"set SONG Name", 0, false, 2, "", "expected FIELD=VALUE", ""},
        {"set SONG Name=Locked", 2, true, 1, "", "could not be written", ""},
        {"remove-tags SONG id3v1", 0, true, 1, "id3v1: still present\n", "not every tag", "TAG"},
        {"remove-tags SONG id3v1", 0, false, 0, "id3v1: removed\n", "", ""},
        {"remove-tags SONG all", 0, false, 0, "id3v2: removed\nid3v1: removed\nape: none\n", "",
         ""},
        {"remove-tags SONG ape", 0, false, 2, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        testfiles::WriteFile(
            song, testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/../../samples/demo.mp3"));
        RunCommand(host + " settings 'ID3v2 Save Mode' " + std::to_string(c.v2Mode));
        std::unique_ptr<testchild::LockHolder> holder;
        if (c.locked) holder = std::make_unique<testchild::LockHolder>(song);
        std::string args = c.args;
        args.replace(args.find("SONG"), 4, "'" + song + "'");
        const CommandResult r = RunCommand(host + " " + args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(Holds(r.err, c.err)) << r.err;
        const std::string after = SlurpFile(song);
        EXPECT_TRUE(Holds(after, c.fileHolds));
        // The record stays unless a removal of it succeeded.
        const bool recordLeft = after.compare(after.size() - 128, 3, "TAG") == 0;
        EXPECT_EQ(recordLeft, c.status != 0 || c.args.rfind("set", 0) == 0);
    }
}

} // namespace
