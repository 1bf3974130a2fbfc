#include "ZrCoreLib/ZrBase64.h"

#include <gtest/gtest.h>

namespace {

std::string Enc(const std::string& s) {
    return ZrBase64::Encode(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

bool Dec(const std::string& text, std::string& out) {
    std::vector<uint8_t> bytes;
    const bool ok = ZrBase64::Decode(text, bytes);
    out.assign(bytes.begin(), bytes.end());
    return ok;
}

} // namespace

TEST(ZrBase64, Rfc4648Vectors) {
    const char* vectors[][2] = {{"", ""},
                                {"f", "Zg=="},
                                {"fo", "Zm8="},
                                {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="},
                                {"fooba", "Zm9vYmE="},
                                {"foobar", "Zm9vYmFy"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(Enc(v[0]), v[1]);
        std::string back;
        EXPECT_TRUE(Dec(v[1], back));
        EXPECT_EQ(back, v[0]);
    }
}

TEST(ZrBase64, AllByteValuesRoundTrip) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[size_t(i)] = uint8_t(i);
    const std::string text = ZrBase64::Encode(all);
    EXPECT_EQ(
        text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
        std::string::npos);
    std::vector<uint8_t> back;
    ASSERT_TRUE(ZrBase64::Decode(text, back));
    EXPECT_EQ(back, all);
}

TEST(ZrBase64, DecodingIsLenientOnlyAboutLayout) {
    std::string out;
    EXPECT_TRUE(Dec("Zm9v\r\nYmFy", out));
    EXPECT_EQ(out, "foobar");
    EXPECT_TRUE(Dec("Zm8", out)); // padding left out
    EXPECT_EQ(out, "fo");
    EXPECT_FALSE(Dec("Zm9v*", out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(Dec("Zm9vY", out)); // six bits make no byte
    EXPECT_FALSE(Dec("Zg==Zg", out));
    EXPECT_FALSE(Dec("Zm9v-_", out)); // URL-safe alphabet is not this one
}
