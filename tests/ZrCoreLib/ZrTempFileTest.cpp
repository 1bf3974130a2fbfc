#include "ZrCoreLib/ZrTempFile.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

TEST(ZrTempFile, NewUniqueFilesInTheFolderWithTheirData) {
    const uint8_t data[] = {1, 0, 2, 0xFF};
    ZrString a, b;
    ASSERT_TRUE(ZrTempFile::CreateWithData(L"MP3 Image", L"png", data, sizeof(data), a));
    ASSERT_TRUE(ZrTempFile::CreateWithData(L"t/x", L"", data, sizeof(data), b));
    EXPECT_TRUE(a.StartsWith((ZrTempFile::GetTempFolder() + L"/MP3 Image").c_str()));
    EXPECT_TRUE(a.EndsWithNoCase(L".png"));
    EXPECT_EQ(b.Find(L"t/x"), -1); // a slash in the prefix cannot leave the folder
    ZrString again;
    ASSERT_TRUE(ZrTempFile::Create(L"MP3 Image", L"png", again));
    EXPECT_NE(again, a);
    std::remove(again.ToUtf8().c_str());
    for (const ZrString& p : {a, b}) {
        std::ifstream in(p.ToUtf8(), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
                  std::string("\x01\x00\x02\xFF", 4));
        std::remove(p.ToUtf8().c_str());
    }
}
