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

// Collects the log lines written while it lives, as "context: message".
class LogCapture {
public:
    LogCapture() { ZrLog::SetHook(&Hook, this); }
    ~LogCapture() { ZrLog::SetHook(nullptr, nullptr); }
    std::vector<std::string> lines;

private:
    static void Hook(const ZrString& context, const ZrString& message, void* user) {
        static_cast<LogCapture*>(user)->lines.push_back(context.ToUtf8() + ": " + message.ToUtf8());
    }
};

// A folder on /dev/shm, a tmpfs and so another device than /tmp's disk.
class ShmDir {
public:
    ShmDir() {
        char name[] = "/dev/shm/tonehall-test-XXXXXX";
        m_path = mkdtemp(name) ? name : "";
    }
    ~ShmDir() {
        if (!m_path.empty()) (void)std::system(("rm -rf '" + m_path + "'").c_str());
    }
    std::string operator/(const std::string& file) const { return m_path + "/" + file; }
    const std::string& Path() const { return m_path; }
    bool OtherDevice(const std::string& than) const {
        struct stat a {
        }, b{};
        return !m_path.empty() && stat(m_path.c_str(), &a) == 0 && stat(than.c_str(), &b) == 0 &&
               a.st_dev != b.st_dev;
    }

private:
    std::string m_path;
};

} // namespace

TEST(ZrFileSystem, MakeUniqueFilenameRenumbersTheNameBeforeTheExtension) {
    struct Case {
        std::vector<std::string> existing;
        std::string path, expected;
    } const cases[] = {
        {{}, "free.mp3", "free.mp3"},
        {{"a.mp3", "a (1).mp3"}, "a.mp3", "a (2).mp3"},
        {{"song(7).mp3"}, "song(7).mp3", "song(8).mp3"},
        {{"x (0).mp3"}, "x (0).mp3", "x (0) (1).mp3"},
        {{"x (12345).mp3"}, "x (12345).mp3", "x (12345) (1).mp3"},
        {{"y (9999).mp3"}, "y (9999).mp3", "y (10000).mp3"},
        {{"file.mp3.xxx"}, "file.mp3.xxx", "file.mp3 (1).xxx"},
        {{"noext", "noext (1)"}, "noext", "noext (2)"},
        {{"(3)"}, "(3)", "(4)"},
        {{".hidden"}, ".hidden", ".hidden (1)"},
    };
    for (const Case& c : cases) {
        testfiles::TempDir dir;
        for (const std::string& name : c.existing)
            testfiles::WriteFile(dir / name, std::string("x"));
        ZrString path = Wide(dir / c.path);
        ZrFileSystem::MakeUniqueFilename(path);
        EXPECT_EQ(path.ToUtf8(), dir / c.expected);
    }
}

TEST(ZrFileSystem, DeleteFileLogsOnlyAFileThatStays) {
    testfiles::TempDir dir;
    chmod(dir.Path().c_str(), 0755);
    const std::string kept = dir / "locked/kept.mp3";
    mkdir((dir / "locked").c_str(), 0755);
    testfiles::WriteFile(kept, std::string("x"));
    testfiles::WriteFile(dir / "gone.mp3", std::string("x"));
    LogCapture log;
    EXPECT_FALSE(ZrFileSystem::DeleteFile(L""));
    EXPECT_FALSE(ZrFileSystem::DeleteFile(Wide(dir / "missing.mp3")));
    EXPECT_TRUE(ZrFileSystem::DeleteFile(Wide(dir / "gone.mp3")));
    EXPECT_FALSE(Exists(dir / "gone.mp3"));
    EXPECT_TRUE(log.lines.empty());
    const int status = testchild::Run(
        [&] {
            LogCapture childLog;
            return !ZrFileSystem::DeleteFile(Wide(kept)) && childLog.lines.size() == 1 &&
                   childLog.lines[0] == "ZrFileSystem::DeleteFile: Error 13 deleting existing "
                                        "file: " +
                                            kept;
        },
        {true});
    EXPECT_TRUE(testchild::Succeeded(status));
    EXPECT_TRUE(Exists(kept));
}

TEST(ZrFileSystem, ShellMoveCarriesHostileNamesAndRunsNothing) {
    testfiles::TempDir dir;
    ShmDir shm;
    ASSERT_TRUE(shm.OtherDevice(dir.Path())) << "/dev/shm is needed as a second device";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0); // where an injected "touch pwned" would land
    const std::string names[] = {
        "it's.mp3",       "a b  c.mp3",          "$(touch pwned).mp3",   "`touch pwned`.mp3",
        "x; touch pwned", "line\ntouch pwned\n", "'\\''; touch pwned '", "-f",
    };
    for (const std::string& name : names) {
        const std::string there = shm / name, back = dir / name;
        testfiles::WriteFile(there, name);
        EXPECT_TRUE(ZrFileSystem::MoveFile(Wide(there), Wide(back))) << name;
        EXPECT_FALSE(Exists(there)) << name;
        EXPECT_EQ(testfiles::ReadFile(back), std::vector<uint8_t>(name.begin(), name.end()));
        EXPECT_TRUE(ZrFileSystem::MoveFile(Wide(back), Wide(shm / ("again " + name)))) << name;
    }
    // A relative operand starting with "-" must not become an option of mv.
    testfiles::WriteFile(dir / "-n", std::string("dash"));
    EXPECT_TRUE(ZrFileSystem::MoveFile(L"-n", Wide(shm / "dash")));
    EXPECT_FALSE(Exists("pwned"));
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_FALSE(ZrFileSystem::MoveFile(Wide(dir.Path()), Wide(shm / "dir"))); // not a regular file
}

TEST(ZrFileSystem, SafeReplaceFileKeepsTheOriginalOnEveryFailure) {
    testfiles::TempDir dir;
    ShmDir shm;
    ASSERT_TRUE(shm.OtherDevice(dir.Path()));
    // Every folder open to the unprivileged child, except the one made read-only.
    chmod(dir.Path().c_str(), 0755);
    chmod(shm.Path().c_str(), 0777);
    const std::string spare = dir / "spare";
    mkdir(spare.c_str(), 0777);
    chmod(spare.c_str(), 0777);
    enum Setup { Plain, TooSmall, NoOriginal, CrossDevice, ReadOnlyDir, UnreadableOnShm };
    struct Case {
        Setup setup;
        bool replaced;
        const char* logLine; // the one expected, or null
    } const cases[] = {
        {Plain, true, nullptr},
        {TooSmall, false, nullptr},
        {NoOriginal, true, nullptr},
        {CrossDevice, true, nullptr},
        {ReadOnlyDir, false, "ZrFileSystem::SafeReplaceFile: Error renaming original file"},
        {UnreadableOnShm, false,
         "ZrFileSystem::SafeReplaceFile: Error moving new file into place of original name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "setup " << c.setup);
        const std::string folder = dir / std::to_string(c.setup);
        mkdir(folder.c_str(), 0777);
        chmod(folder.c_str(), 0777); // writable for the unprivileged child
        const std::string original = folder + "/song.mp3";
        const bool onShm = c.setup == CrossDevice || c.setup == UnreadableOnShm;
        const std::string replacement =
            onShm ? shm / std::to_string(c.setup) : spare + "/" + std::to_string(c.setup) + ".xxx";
        if (c.setup != NoOriginal) testfiles::WriteFile(original, std::string("old"));
        testfiles::WriteFile(replacement, std::string(c.setup == TooSmall ? "" : "new"));
        chmod(replacement.c_str(), c.setup == UnreadableOnShm ? 0 : 0666);
        if (c.setup == ReadOnlyDir) chmod(folder.c_str(), 0555);
        const int status = testchild::Run(
            [&] {
                LogCapture log;
                const bool replaced = ZrFileSystem::SafeReplaceFile(
                    Wide(original), Wide(replacement), 1, true, false);
                const bool logged = c.logLine ? log.lines == std::vector<std::string>{c.logLine}
                                              : log.lines.empty();
                return replaced == c.replaced && logged;
            },
            {true});
        EXPECT_TRUE(testchild::Succeeded(status));
        const std::string expected = c.replaced ? "new" : "old";
        EXPECT_EQ(testfiles::ReadFile(original),
                  std::vector<uint8_t>(expected.begin(), expected.end()));
        // Nothing else stays behind: no backup, and a refused replacement is deleted.
        EXPECT_FALSE(Exists(folder + "/song (1).mp3"));
        EXPECT_FALSE(Exists(replacement));
        chmod(folder.c_str(), 0777);
    }
}
