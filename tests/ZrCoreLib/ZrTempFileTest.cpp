#include "ZrCoreLib/ZrTempFile.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

TEST(ZrTempFile, NewUniqueFilesWithPrefixAndExtension) {
    ZrString a, b;
    ASSERT_TRUE(ZrTempFile::Create(L"MP3 Image", L"png", a));
    ASSERT_TRUE(ZrTempFile::Create(L"MP3 Image", L"png", b));
    EXPECT_NE(a, b);
    for (const ZrString& p : {a, b}) {
        EXPECT_TRUE(p.StartsWith((ZrTempFile::GetTempFolder() + L"/MP3 Image").c_str()));
        EXPECT_TRUE(p.EndsWithNoCase(L".png"));
        std::remove(p.ToUtf8().c_str());
    }
}

TEST(ZrTempFile, DataIsWritten) {
    const uint8_t data[] = {1, 0, 2, 0xFF};
    ZrString path;
    ASSERT_TRUE(ZrTempFile::CreateWithData(L"t/x", L"", data, sizeof(data), path));
    EXPECT_EQ(path.Find(L"t/x"), -1); // a slash in the prefix cannot leave the folder
    std::ifstream in(path.ToUtf8(), std::ios::binary);
    const std::string got(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(got, std::string("\x01\x00\x02\xFF", 4));
    std::remove(path.ToUtf8().c_str());
}
