#include "ZrCoreLib/ZrQSort.h"
#include "ZrCoreLib/ZrArray.h"
#include "ZrCoreLib/ZrString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct IntAscending : IZrQSortCompare<int> {
    int Compare(const int& a, const int& b) const override { return a < b ? -1 : a > b ? 1 : 0; }
};

struct Keyed {
    int key;
    int id;
};

struct ByKey : IZrQSortCompare<Keyed> {
    int Compare(const Keyed& a, const Keyed& b) const override { return a.key - b.key; }
};

struct StringNoCase : IZrQSortCompare<ZrString> {
    int Compare(const ZrString& a, const ZrString& b) const override { return a.CompareNoCase(b); }
};

} // namespace

// Random arrays of every size around the small-array cut-off and of few or
// many distinct values, and the inputs that defeat naive pivots: sorted,
// reversed, constant and organ-pipe.
TEST(ZrQSortOrder, MatchesStdSort) {
    std::mt19937 rng(2024);
    std::vector<std::vector<int>> inputs;
    for (int size : {0, 1, 2, 3, 11, 12, 13, 100, 1000, 5000})
        for (int range : {2, 50, 1000000}) {
            inputs.emplace_back(static_cast<size_t>(size));
            for (int& x : inputs.back())
                x = static_cast<int>(rng() % static_cast<unsigned>(range));
        }
    std::vector<int> up(3000);
    for (int i = 0; i < 3000; ++i)
        up[static_cast<size_t>(i)] = i;
    inputs.push_back(up);
    inputs.emplace_back(up.rbegin(), up.rend());
    inputs.emplace_back(3000, 7);
    std::reverse(up.begin() + 1500, up.end());
    inputs.push_back(up);
    for (std::vector<int>& v : inputs) {
        std::vector<int> expected = v;
        std::sort(expected.begin(), expected.end());
        ZrQSort<int>::Sort(v.data(), static_cast<int>(v.size()), IntAscending());
        ASSERT_EQ(v, expected) << "size " << v.size();
    }
}

TEST(ZrQSortOrder, EqualKeysKeepEveryElement) {
    std::mt19937 rng(7);
    std::vector<Keyed> v;
    for (int i = 0; i < 500; ++i)
        v.push_back({static_cast<int>(rng() % 5), i});
    ZrQSort<Keyed>::Sort(v.data(), static_cast<int>(v.size()), ByKey());
    std::vector<int> ids;
    for (size_t i = 0; i < v.size(); ++i) {
        if (i > 0) {
            EXPECT_LE(v[i - 1].key, v[i].key);
        }
        ids.push_back(v[i].id);
    }
    std::sort(ids.begin(), ids.end());
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(ids[static_cast<size_t>(i)], i);
}

TEST(ZrQSortOrder, SortsStringArrayInPlace) {
    ZrArray<ZrString> a;
    for (const wchar_t* s : {L"delta", L"Alpha", L"charlie", L"BRAVO", L"alpha"})
        a.Add(s);
    ZrQSort<ZrString>::Sort(a.GetData(), a.GetCount(), StringNoCase());
    EXPECT_TRUE(a[0].EqualsNoCase(L"alpha"));
    EXPECT_TRUE(a[1].EqualsNoCase(L"alpha"));
    EXPECT_EQ(a[2], L"BRAVO");
    EXPECT_EQ(a[3], L"charlie");
    EXPECT_EQ(a[4], L"delta");
}
