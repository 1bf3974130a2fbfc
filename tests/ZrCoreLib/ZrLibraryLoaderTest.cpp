#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "ZrCoreLib/CMemoryReader.h"
#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrLog.h"
#include "ZrCoreLib/ZrReaderFactory.h"
#include "common/TestFiles.h"

namespace {

using LogLines = std::vector<std::pair<std::string, std::string>>;

void CollectLog(const ZrString& context, const ZrString& message, void* user) {
    static_cast<LogLines*>(user)->emplace_back(context.ToUtf8(), message.ToUtf8());
}

// Every test starts with no library loaded, the log collected and the
// library directory pointing at an empty temporary directory.
class LibraryLoader : public ::testing::Test {
protected:
    void SetUp() override {
        ZrLibraryLoader::UnloadAll();
        setenv("TONEHALL_LIBRARY_DIR", m_emptyDir.Path().c_str(), 1);
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
        ZrLog::SetHook(CollectLog, &m_log);
    }
    void TearDown() override {
        ZrLog::SetHook(nullptr, nullptr);
        ZrLibraryLoader::UnloadAll();
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
        unsetenv("TONEHALL_LIBRARY_DIR");
    }

    testfiles::TempDir m_emptyDir;
    LogLines m_log;
};

} // namespace

TEST_F(LibraryLoader, MissingReaderLibraryPrintsLogsAndGivesNullReaders) {
    testing::internal::CaptureStdout();
    IZrReader* local = ZrReaderFactory::CreateLocalReader(L"/etc/hostname");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(local, nullptr);

    const std::string file = m_emptyDir / "libZrReader.so";
    const std::string prefix = "\n\nERROR in ZrLoadLibrary: error=";
    ASSERT_EQ(out.compare(0, prefix.size(), prefix), 0) << out;
    EXPECT_NE(out.find(", file=" + file + "\n\n"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n");

    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0].first, "ZrLoadLibrary");
    EXPECT_EQ(m_log[0].second.rfind("Loading " + file + " failed, error: ", 0), 0u)
        << m_log[0].second;

    // The memory factory takes the same road; a failed load is not retried,
    // so nothing more is printed.
    testing::internal::CaptureStdout();
    CMemoryReader source({1, 2, 3});
    EXPECT_EQ(ZrReaderFactory::CreateFromMemoryReader(&source), nullptr);
    EXPECT_EQ(ZrReaderFactory::CreateLocalReader(L"/etc/hostname"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(m_log.size(), 1u);
}

TEST_F(LibraryLoader, LoadsFromDirectoryAndUnloads) {
    ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(TONEHALL_LIB_DIR));
    ASSERT_TRUE(ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind::Reader));
    const uint32_t generation = ZrLibraryLoader::GetLoadGeneration(ZrLibraryKind::Reader);
    EXPECT_NE(ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Reader, "CreateLocalReaderDLL"),
              nullptr);
    EXPECT_EQ(ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Reader, "NoSuchExport"), nullptr);
    ZrLibraryLoader::UnloadLibrary(ZrLibraryKind::Reader);
    EXPECT_FALSE(ZrLibraryLoader::IsLoaded(ZrLibraryKind::Reader));
    EXPECT_EQ(ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Reader, "CreateLocalReaderDLL"),
              nullptr);
    ASSERT_TRUE(ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind::Reader));
    EXPECT_EQ(ZrLibraryLoader::GetLoadGeneration(ZrLibraryKind::Reader), generation + 1);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(LibraryLoader, ExplicitDirectoryWinsOverTheDefault) {
    // A directory given to the call wins over the default one.
    std::string dir = TONEHALL_LIB_DIR;
    ASSERT_TRUE(ZrLibraryLoader::EnsureLibraryLoaded(ZrLibraryKind::Tools,
                                                     ZrString::FromUtf8(dir.c_str())));
    EXPECT_NE(ZrLibraryLoader::FindLibraryFunction(ZrLibraryKind::Tools, "GetZrToolsDLL"), nullptr);
}
