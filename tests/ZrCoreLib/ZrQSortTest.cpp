#include "ZrCoreLib/ZrQSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct IntAscending : IZrQSortCompare<int> {
    int Compare(const int& a, const int& b) const override { return a < b ? -1 : a > b ? 1 : 0; }
};

} // namespace

// Random arrays of every size around the small-array cut-off and of few
// distinct values (no element may be lost among equal keys) or many, and the
// inputs that defeat naive pivots: sorted, reversed, constant and organ-pipe.
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
