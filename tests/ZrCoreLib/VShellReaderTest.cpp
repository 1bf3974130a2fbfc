#include <gtest/gtest.h>

#include "ZrCoreLib/CMemoryReader.h"
#include "ZrCoreLib/VShellReader.h"

TEST(VShellReader, ForwardsToInnerReader) {
    CMemoryReader inner({1, 2, 3, 4, 5});
    VShellReader shell(&inner, false, 42);
    EXPECT_EQ(shell.GetReaderKind(), 42u);
    EXPECT_TRUE(shell.OpenRead());
    EXPECT_EQ(shell.GetSize(), 5);
    EXPECT_EQ(shell.Seek(-2, 2), 3);
    uint8_t out[4] = {};
    EXPECT_EQ(shell.Read(out, 4), 2u);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(inner.GetPosition(), 5);
    shell.SetProperties(L"Name|Value");
    EXPECT_EQ(inner.GetProperty(L"name"), ZrString(L"Value"));
}

TEST(VShellReader, OwnershipFollowsConstruction) {
    auto* owned = new CMemoryReader;
    { VShellReader shell(owned, true); } // deleting `owned` twice would fail under ASan
    CMemoryReader kept({9});
    { VShellReader shell(&kept, false); }
    EXPECT_EQ(kept.GetSize(), 1);
}
