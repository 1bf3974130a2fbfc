#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrReaderFactory.h"
#include "common/TestFiles.h"

namespace {

// Readers come from build/lib/libZrReader.so through the loader, as the
// plug-in gets them.
class ReaderLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ZrLibraryLoader::UnloadAll();
        ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(TONEHALL_LIB_DIR));
    }
    void TearDown() override {
        ZrLibraryLoader::UnloadAll();
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
    }

    static std::unique_ptr<IZrReader> Local(const std::string& path) {
        return std::unique_ptr<IZrReader>(
            ZrReaderFactory::CreateLocalReader(ZrString::FromUtf8(path.c_str())));
    }

    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(ReaderLibrary, LocalReaderWritesSeeksReadsAndTruncates) {
    const std::string path = m_dir / "a.bin";
    auto reader = Local(path);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->OpenRead()) << "the file does not exist yet";
    ASSERT_TRUE(reader->OpenWrite());
    EXPECT_TRUE(reader->IsLocal());
    EXPECT_FALSE(reader->IsLiveStream());

    const uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(reader->Write(bytes, 10), 10);
    EXPECT_EQ(reader->GetSize(), 10);
    EXPECT_EQ(reader->GetPosition(), 10);
    EXPECT_EQ(reader->Seek(-4, 2), 6);
    uint8_t out[8] = {};
    ASSERT_EQ(reader->Read(out, 8), 4u);
    EXPECT_EQ(out[0], 6);
    EXPECT_EQ(out[3], 9);
    EXPECT_EQ(reader->Seek(5, 0), 5);
    EXPECT_EQ(reader->Truncate(), 5u);
    EXPECT_EQ(reader->GetSize(), 5);
    reader.reset();

    // A second reader sees the file as left, and OpenWrite empties it.
    auto again = Local(path);
    ASSERT_TRUE(again->OpenRead());
    EXPECT_EQ(again->GetSize(), 5);
    EXPECT_EQ(again->Read(out, 8), 5u);
    ASSERT_TRUE(again->OpenWrite());
    EXPECT_EQ(again->GetSize(), 0);
}

TEST_F(ReaderLibrary, MemoryReaderCopiesWholeSourceAndKeepsItsPosition) {
    const std::string path = m_dir / "a.bin";
    std::vector<uint8_t> bytes(300000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i % 253);
    {
        auto writer = Local(path);
        ASSERT_TRUE(writer->OpenWrite());
        ASSERT_EQ(writer->Write(bytes.data(), static_cast<uint32_t>(bytes.size())),
                  static_cast<int64_t>(bytes.size()));
    }
    auto source = Local(path);
    ASSERT_TRUE(source->OpenRead());
    source->Seek(1234, 0);
    std::unique_ptr<IZrReader> memory(ZrReaderFactory::CreateFromMemoryReader(source.get()));
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(source->GetPosition(), 1234);
    source.reset(); // the copy does not depend on its source

    EXPECT_TRUE(memory->OpenRead());
    EXPECT_FALSE(memory->IsLocal());
    EXPECT_EQ(memory->GetPosition(), 0);
    ASSERT_EQ(memory->GetSize(), static_cast<int64_t>(bytes.size()));
    std::vector<uint8_t> copy(bytes.size() + 10);
    ASSERT_EQ(memory->Read(copy.data(), static_cast<uint32_t>(copy.size())), bytes.size());
    copy.resize(bytes.size());
    EXPECT_EQ(copy, bytes);
}
