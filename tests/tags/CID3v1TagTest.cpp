#include "tags/CID3v1Tag.h"

#include "TagTestHelpers.h"
#include "ZrCoreLib/CMemoryReader.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

Bytes Record(const std::string& title, uint8_t byte125, uint8_t track, uint8_t genre) {
    Bytes r(128, 0);
    std::memcpy(r.data(), "TAG", 3);
    std::memcpy(r.data() + 3, title.data(), std::min<size_t>(title.size(), 30));
    r[125] = byte125;
    r[126] = track;
    r[127] = genre;
    return r;
}

} // namespace

TEST(ID3v1Read, FromTheEndOfAStream) {
    Bytes file(1000, 0x55);
    const Bytes record = Record("Title  ", 0, 7, 17);
    file.insert(file.end(), record.begin(), record.end());
    CMemoryReader reader(file);
    reader.Seek(10, 0);
    CID3v1Tag tag;
    EXPECT_TRUE(tag.Read(&reader));
    EXPECT_EQ(reader.GetPosition(), 10);
    EXPECT_EQ(Get(tag, L"Name"), "Title");
    EXPECT_EQ(Get(tag, L"track #"), "7");
    EXPECT_EQ(Get(tag, L"Genre"), "Rock");
    EXPECT_FALSE(tag.IsModified());

    CMemoryReader tooShort(record); // exactly 128 bytes: no room for audio
    EXPECT_FALSE(tag.Read(&tooShort));
    ZrPropertyMap map;
    EXPECT_FALSE(tag.GetField(L"Name", map));
    file[file.size() - 128] = 'X';
    CMemoryReader noTag(file);
    EXPECT_FALSE(tag.Read(&noTag));
    EXPECT_EQ(0, std::memcmp(tag.GetRecord(), "TAG\0\0", 5));
}

TEST(ID3v1Read, TrackByteRules) {
    CID3v1Tag tag;
    ASSERT_TRUE(tag.ReadRecord(Record("t", 'x', 32, 255).data(), 128));
    EXPECT_EQ(Get(tag, L"Track #"), ""); // space-padded ID3v1.0 comment
    EXPECT_EQ(Get(tag, L"Genre"), "");
    ASSERT_TRUE(tag.ReadRecord(Record("t", 'x', 9, 148).data(), 128));
    EXPECT_EQ(Get(tag, L"Track #"), "9");
    EXPECT_EQ(Get(tag, L"Genre"), "");
    ASSERT_TRUE(tag.ReadRecord(Record("t", 0, 0, 0).data(), 128));
    EXPECT_EQ(Get(tag, L"Track #"), "");
    EXPECT_EQ(Get(tag, L"Genre"), "Blues");
    EXPECT_EQ(Get(tag, L"Lyrics"), "");
}

TEST(ID3v1Write, FieldsIntoTheRecord) {
    CID3v1Tag tag;
    EXPECT_TRUE(tag.SetField(L"Name", L"12345678901234567890123456789012345"));
    EXPECT_TRUE(tag.SetField(L"Comment", L"abcdefghijklmnopqrstuvwxyzABC"));
    EXPECT_TRUE(tag.SetField(L"Track #", L"12"));
    EXPECT_TRUE(tag.SetField(L"genre", L"rock"));
    EXPECT_TRUE(tag.SetField(L"Artist", L"caf\u00e9 \u03a9"));
    EXPECT_FALSE(tag.SetField(L"Lyrics", L"x"));
    EXPECT_TRUE(tag.IsModified());
    const uint8_t* r = tag.GetRecord();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 3), 30),
              "123456789012345678901234567890");
    EXPECT_EQ(r[125], 'C'); // 29 comment characters fill byte 125
    EXPECT_EQ(r[126], 12);
    EXPECT_EQ(r[127], 17);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 33)), "caf\xE9 ?");
    ASSERT_TRUE(tag.ReadRecord(r, 128));
    EXPECT_EQ(Get(tag, L"Track #"), "12");
    // A long comment written after the track stops short of the track byte.
    tag.SetField(L"Comment", L"0123456789012345678901234567890123");
    EXPECT_EQ(Get(tag, L"Comment"), "01234567890123456789012345678");
    EXPECT_EQ(Get(tag, L"Track #"), "12");
    tag.SetField(L"Genre", L"Polka Rave");
    EXPECT_EQ(tag.GetRecord()[127], 255);
    tag.SetField(L"Name", L"short");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tag.GetRecord() + 3)), "short");
}
