#include "ZrCoreLib/ZrFileSystem.h"

#include "ZrCoreLib/ZrLog.h"
#include "common/ChildProcess.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

ZrString Wide(const std::string& path) {
    return ZrString::FromUtf8(path.c_str());
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// The log lines written while it lives, as "context: message".
struct LogCapture {
    LogCapture() {
        ZrLog::SetHook(
            [](const ZrString& context, const ZrString& message, void* user) {
                static_cast<LogCapture*>(user)->lines.push_back(context.ToUtf8() + ": " +
                                                                message.ToUtf8());
            },
            this);
    }
    ~LogCapture() { ZrLog::SetHook(nullptr, nullptr); }
    std::vector<std::string> lines;
};

// Folders open to the unprivileged child: one under /tmp, one on /dev/shm,
// a tmpfs and so another device.
struct TwoDevices {
    TwoDevices() {
        char name[] = "/dev/shm/tonehall-test-XXXXXX";
        shm = mkdtemp(name) ? name : "";
        chmod(tmp.Path().c_str(), 0777);
        chmod(shm.c_str(), 0777);
        struct stat a {
        }, b{};
        apart = !shm.empty() && stat(shm.c_str(), &a) == 0 && stat(tmp.Path().c_str(), &b) == 0 &&
                a.st_dev != b.st_dev;
    }
    ~TwoDevices() { (void)std::system(("rm -rf '" + shm + "'").c_str()); }
    testfiles::TempDir tmp;
    std::string shm;
    bool apart = false;
};

} // namespace

TEST(ZrFileSystem, MakeUniqueFilenameRenumbersTheNameBeforeTheExtension) {
    const struct {
        std::vector<std::string> existing;
        std::string path, expected;
    } cases[] = {
        {{}, "free.mp3", "free.mp3"},
        {{"a.mp3", "a (1).mp3"}, "a.mp3", "a (2).mp3"},
        {{"song(7).mp3"}, "song(7).mp3", "song(8).mp3"},
        {{"x (0).mp3"}, "x (0).mp3", "x (0) (1).mp3"},
        {{"z (9999).mp3"}, "z (9999).mp3", "z (10000).mp3"},
        {{"file.mp3.xxx"}, "file.mp3.xxx", "file.mp3 (1).xxx"},
        {{".hidden"}, ".hidden", ".hidden (1)"},
    };
    for (const auto& c : cases) {
        testfiles::TempDir dir;
        for (const std::string& name : c.existing)
            testfiles::WriteFile(dir / name, std::string("x"));
        ZrString path = Wide(dir / c.path);
        ZrFileSystem::MakeUniqueFilename(path);
        EXPECT_EQ(path.ToUtf8(), dir / c.expected);
    }
}

TEST(ZrFileSystem, ShellMoveCarriesHostileNamesAndRunsNothing) {
    TwoDevices d;
    ASSERT_TRUE(d.apart) << "/dev/shm is needed as a second device";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(d.tmp.Path().c_str()), 0); // where an injected "touch pwned" would land
    for (const std::string name : {"it's.mp3", "a b  c.mp3", "$(touch pwned)", "`touch pwned`",
                                   "x; touch pwned", "l\ntouch pwned\n", "'\\''; touch pwned '"}) {
        const std::string there = d.shm + "/" + name, back = d.tmp / name;
        testfiles::WriteFile(there, name);
        EXPECT_TRUE(ZrFileSystem::MoveFile(Wide(there), Wide(back))) << name;
        EXPECT_FALSE(Exists(there)) << name;
        EXPECT_EQ(testfiles::ReadFile(back), std::vector<uint8_t>(name.begin(), name.end()));
    }
    testfiles::WriteFile("-n", std::string("a relative name that looks like an option"));
    EXPECT_TRUE(ZrFileSystem::MoveFile(L"-n", Wide(d.shm + "/dash")));
    EXPECT_FALSE(Exists("pwned"));
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_FALSE(ZrFileSystem::MoveFile(Wide(d.tmp.Path()), Wide(d.shm + "/dir"))); // a folder
}

// Run as an unprivileged user, so that permission bits bite even in CI.
TEST(ZrFileSystem, SafeReplaceFileKeepsTheOriginalOnEveryFailure) {
    TwoDevices d;
    ASSERT_TRUE(d.apart);
    enum Setup { Plain, TooSmall, NoOriginal, CrossDevice, ReadOnlyFolder, UnreadableOnShm };
    const struct {
        Setup setup;
        bool replaced;
        std::vector<std::string> log;
    } cases[] = {
        {Plain, true, {}},
        {TooSmall, false, {}},
        {NoOriginal, true, {}},
        {CrossDevice, true, {}},
        {ReadOnlyFolder,
         false,
         {"ZrFileSystem::SafeReplaceFile: Error renaming original file",
          "ZrFileSystem::DeleteFile: Error 13 deleting existing file: " + (d.tmp / "4/new")}},
        {UnreadableOnShm,
         false,
         {"ZrFileSystem::SafeReplaceFile: Error moving new file into place of original name"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        const std::string folder = d.tmp / std::to_string(c.setup), original = folder + "/song.mp3";
        mkdir(folder.c_str(), 0777);
        chmod(folder.c_str(), 0777);
        const bool onShm = c.setup == CrossDevice || c.setup == UnreadableOnShm;
        const std::string replacement =
            onShm ? d.shm + "/" + std::to_string(c.setup) : folder + "/new";
        if (c.setup != NoOriginal) testfiles::WriteFile(original, std::string("old"));
        testfiles::WriteFile(replacement, std::string(c.setup == TooSmall ? "" : "new"));
        chmod(replacement.c_str(), c.setup == UnreadableOnShm ? 0 : 0666);
        if (c.setup == ReadOnlyFolder) chmod(folder.c_str(), 0555);
        EXPECT_TRUE(testchild::RunUnprivileged([&] {
            LogCapture log;
            return ZrFileSystem::SafeReplaceFile(Wide(original), Wide(replacement), 1, true,
                                                 false) == c.replaced &&
                   log.lines == c.log;
        }));
        const std::string expected = c.replaced ? "new" : "old";
        EXPECT_EQ(testfiles::ReadFile(original),
                  std::vector<uint8_t>(expected.begin(), expected.end()));
        EXPECT_FALSE(Exists(folder + "/song (1).mp3"));            // no backup left
        EXPECT_EQ(Exists(replacement), c.setup == ReadOnlyFolder); // kept only where it must be
    }
}
