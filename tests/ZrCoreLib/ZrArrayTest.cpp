#include "ZrCoreLib/ZrArray.h"
#include "ZrCoreLib/ZrNumberArray.h"
#include "ZrCoreLib/ZrOwnedPtrArray.h"
#include "ZrCoreLib/ZrString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <vector>

namespace {

// Counts live instances so tests can see every construction matched by a
// destruction.
struct Tracked {
    static int live;
    int v;
    Tracked(int x = 0) : v(x) { ++live; }
    Tracked(const Tracked& o) : v(o.v) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
    bool operator==(const Tracked& o) const { return v == o.v; }
};
int Tracked::live = 0;

struct Owned {
    static int deleted;
    ~Owned() { ++deleted; }
};
int Owned::deleted = 0;

std::vector<int> Values(const ZrArray<int, int>& a) {
    return std::vector<int>(a.begin(), a.end());
}

} // namespace

TEST(ZrArrayGrowth, AutomaticStepsAreFourThenSixtyFour) {
    ZrNumberArray<int> a;
    std::vector<int> capacities;
    for (int i = 0; i < 5; ++i) {
        a.Add(i);
        capacities.push_back(a.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 4, 4, 4, 64}));
    a.SetSize(65);
    EXPECT_EQ(a.GetCapacity(), 256);
    a.SetSize(65537);
    EXPECT_EQ(a.GetCapacity(), 65537 + 65536);
    a.SetSize(3);
    EXPECT_EQ(a.GetCapacity(), 65537 + 65536); // never shrinks
}

TEST(ZrArrayGrowth, FixedStepGrowsToNextMultipleAboveCount) {
    ZrArray<uint64_t, uint64_t> a;
    a.SetGrowBy(10);
    for (int i = 0; i < 10; ++i)
        a.Add(i);
    EXPECT_EQ(a.GetCapacity(), 10);
    a.Add(10);
    EXPECT_EQ(a.GetCapacity(), 20);
    a.SetSize(20);
    EXPECT_EQ(a.GetCapacity(), 20);
    a.SetSize(21, true);
    EXPECT_EQ(a.GetCapacity(), 21);
}

TEST(ZrArrayGrowth, SetSizeKeepsZeroesOrDrops) {
    ZrNumberArray<int> a;
    a.Add(7);
    a.Add(8);
    a.SetSize(100);
    EXPECT_EQ(a[0], 7);
    EXPECT_EQ(a[1], 8);
    EXPECT_EQ(a[99], 0);
    a.SetSize(1000, false, false);
    EXPECT_EQ(a.GetCount(), 1000);
    EXPECT_EQ(a[0], 0);
    a.SetSize(2, false, true);
    a.SetSize(5, false, true, true);
    EXPECT_EQ(a[4], 0);
}

TEST(ZrArrayEditing, InsertRemoveAndFind) {
    ZrArray<int, int> a;
    for (int i = 0; i < 5; ++i)
        a.Add(i);
    a.InsertAt(2, 9, 2);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 1, 9, 9, 2, 3, 4}));
    a.RemoveAt(1, 3);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 2, 3, 4}));
    a.RemoveAt(3, 100);
    a.RemoveAt(-1);
    a.RemoveAt(10);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 2, 3}));
    a.InsertAt(5, 7);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 2, 3, 0, 0, 7}));
    EXPECT_EQ(a.Find(7), 5);
    EXPECT_EQ(a.Find(42), -1);
    a.RemoveAll();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetCapacity(), 0);
}

TEST(ZrArrayEditing, AddingOwnElementSurvivesReallocation) {
    ZrArray<ZrString> a;
    a.Add(ZrString(L"first"));
    for (int i = 0; i < 100; ++i)
        a.Add(a[0]);
    a.InsertAt(0, a[50]);
    a.Append(a);
    EXPECT_EQ(a.GetCount(), 204);
    for (const ZrString& s : a)
        EXPECT_EQ(s, L"first");
}

TEST(ZrArrayElements, NonPlainElementsAreConstructedAndDestroyedOnce) {
    Tracked::live = 0;
    {
        ZrArray<Tracked> a;
        for (int i = 0; i < 70; ++i)
            a.Add(Tracked(i));
        a.InsertAt(3, Tracked(-1), 5);
        a.RemoveAt(0, 10);
        a.SetSize(200);
        a.SetSize(20);
        EXPECT_EQ(Tracked::live, 20);
        ZrArray<Tracked> b(a);
        EXPECT_EQ(Tracked::live, 40);
        EXPECT_EQ(b[0].v, 5);
        ZrArray<Tracked> c(std::move(b));
        EXPECT_EQ(Tracked::live, 40);
        EXPECT_EQ(c[19].v, 24);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(ZrArrayElements, PlainRecordsStartFromTheirInitialisers) {
    struct Entry {
        int offset = -1;
        int size = 0;
    };
    static_assert(std::is_trivially_copyable_v<Entry>);
    ZrArray<Entry> a;
    a.SetSize(3);
    EXPECT_EQ(a[2].offset, -1);
    a.InsertAt(5, Entry{7, 1});
    EXPECT_EQ(a[4].offset, -1);
    EXPECT_EQ(a[5].offset, 7);
}

TEST(ZrNumberArrayTest, FindLastNotAbove) {
    ZrNumberArray<uint64_t> a;
    for (uint64_t v : {10u, 20u, 30u})
        a.Add(v);
    EXPECT_EQ(a.FindLastNotAbove(5), -1);
    EXPECT_EQ(a.FindLastNotAbove(10), 0);
    EXPECT_EQ(a.FindLastNotAbove(29), 1);
    EXPECT_EQ(a.FindLastNotAbove(1000), 2);
}

TEST(ZrOwnedPtrArrayTest, DeletesOnEveryRemovalPath) {
    Owned::deleted = 0;
    {
        ZrOwnedPtrArray<Owned> a;
        for (int i = 0; i < 10; ++i)
            a.Add(new Owned);
        a.RemoveAt(0);
        EXPECT_EQ(Owned::deleted, 1);
        a.SetAt(0, new Owned);
        EXPECT_EQ(Owned::deleted, 2);
        a.SetSize(5);
        EXPECT_EQ(Owned::deleted, 6);
        Owned* kept = a.Detach(0);
        EXPECT_EQ(a.GetCount(), 4);
        delete kept;
        EXPECT_EQ(Owned::deleted, 7);
        a.RemoveAll();
        EXPECT_EQ(Owned::deleted, 11);
        a.Add(new Owned);
        a.Add(new Owned);
    }
    EXPECT_EQ(Owned::deleted, 13);
}
