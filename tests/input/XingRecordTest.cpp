#include "input/XingRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(XingRecordTag, XingIsPreferredToAnEarlierInfo) {
    const std::string head = "..Info....Xing..";
    EXPECT_EQ(XingRecord::FindTag(reinterpret_cast<const uint8_t*>(head.data()), 16), 10);
    EXPECT_EQ(XingRecord::FindTag(reinterpret_cast<const uint8_t*>(head.data()), 13), 2);
    EXPECT_EQ(XingRecord::FindTag(reinterpret_cast<const uint8_t*>(head.data()), 5), -1);
}

TEST(XingRecordFields, FrameCountNeedsItsFlagAndA31BitValue) {
    uint8_t bytes[XingRecord::kSize] = {'X', 'i', 'n', 'g', 0, 0, 0, 1, 0, 0, 0x01, 0x00};
    XingRecord record;
    record.Assign(bytes);
    EXPECT_EQ(record.GetFrameCount(), 256);
    bytes[8] = 0x80; // 2^31 + 256: not a count of 32-bit positions
    record.Assign(bytes);
    EXPECT_EQ(record.GetFrameCount(), -1);
    bytes[7] = 0x06; // byte count and table only
    bytes[8] = 0;
    record.Assign(bytes);
    EXPECT_EQ(record.GetFrameCount(), -1);
}
