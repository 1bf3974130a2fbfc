#include "ZrCoreLib/ZrMap.h"
#include "ZrCoreLib/ZrOwnedPtrStringMap.h"
#include "ZrCoreLib/ZrStringMap.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace {

struct Owned {
    static int deleted;
    int v = 0;
    explicit Owned(int x) : v(x) {}
    ~Owned() { ++deleted; }
};
int Owned::deleted = 0;

} // namespace

TEST(ZrMapGrowth, SevenBucketsThenThirtyOneAtSeventeenthEntry) {
    ZrMap<int, int, int, int> m;
    EXPECT_EQ(m.GetBucketCount(), 0);
    m.SetAt(1, 1);
    EXPECT_EQ(m.GetBucketCount(), 7);
    for (int i = 2; i <= 16; ++i)
        m.SetAt(i, i);
    EXPECT_EQ(m.GetBucketCount(), 7);
    m.SetAt(5, 50); // replacing never rehashes
    EXPECT_EQ(m.GetBucketCount(), 7);
    m.SetAt(17, 17);
    EXPECT_EQ(m.GetBucketCount(), 31);
    for (int i = 18; i <= 64; ++i)
        m.SetAt(i, i);
    EXPECT_EQ(m.GetBucketCount(), 31);
    m.SetAt(65, 65);
    EXPECT_EQ(m.GetBucketCount(), 127);
    EXPECT_EQ(m.GetCount(), 65);
    for (int i = 1; i <= 65; ++i)
        EXPECT_EQ(*m.Find(i), i == 5 ? 50 : i);
}

TEST(ZrMapGrowth, ExplicitRehashSizes) {
    ZrMap<int, int, int, int> m;
    m.Rehash(7);
    EXPECT_EQ(m.GetBucketCount(), 7);
    m.Rehash(8);
    EXPECT_EQ(m.GetBucketCount(), 15);
    m.Rehash(100, true); // 120 entries -> 127
    EXPECT_EQ(m.GetBucketCount(), 127);
    m.Rehash(107, true); // 128 entries -> 255
    EXPECT_EQ(m.GetBucketCount(), 255);
}

TEST(ZrMapOperations, AgreesWithStdMapUnderRandomEdits) {
    std::mt19937 rng(12345);
    ZrMap<int, int, int, int> m;
    std::map<int, int> ref;
    for (int step = 0; step < 20000; ++step) {
        const int key = static_cast<int>(rng() % 500) - 250;
        const int op = static_cast<int>(rng() % 3);
        if (op == 0) {
            EXPECT_EQ(m.RemoveKey(key), ref.erase(key) == 1);
        } else {
            m.SetAt(key, step);
            ref[key] = step;
        }
    }
    ASSERT_EQ(m.GetCount(), static_cast<int>(ref.size()));
    std::map<int, int> seen;
    for (const auto& node : m)
        seen[node.key] = node.value;
    EXPECT_EQ(seen, ref);
    std::map<int, int> byPosition;
    for (auto pos = m.GetStartPosition(); pos != nullptr;) {
        int k = 0;
        int v = 0;
        m.GetNextAssoc(pos, k, v);
        byPosition[k] = v;
    }
    EXPECT_EQ(byPosition, ref);
}

TEST(ZrMapOperations, LookupFindAndDefaultInsert) {
    ZrMap<int, int, ZrString> m;
    ZrString out(L"untouched");
    EXPECT_FALSE(m.Lookup(3, out));
    EXPECT_EQ(out, L"untouched");
    EXPECT_EQ(m.Find(3), nullptr);
    m[3] += L"abc";
    EXPECT_TRUE(m.Lookup(3, out));
    EXPECT_EQ(out, L"abc");
    ZrMap<int, int, ZrString> copy(m);
    *m.Find(3) = L"changed";
    EXPECT_EQ(*copy.Find(3), L"abc");
    m.RemoveAll();
    EXPECT_EQ(m.GetBucketCount(), 0);
    EXPECT_FALSE(m.RemoveKey(3));
}

TEST(ZrStringMapKeys, CaseInsensitiveFindsAnyCase) {
    ZrStringMap<int> m(true);
    m.SetAt(L"VALUE", 1);
    int v = 0;
    EXPECT_TRUE(m.Lookup(L"value", v));
    EXPECT_EQ(v, 1);
    m[L"Value"] = 2;
    EXPECT_EQ(m.GetCount(), 1);
    EXPECT_EQ(m.begin()->key, L"VALUE");
    EXPECT_EQ(*m.Find(L"vAlUe"), 2);
    EXPECT_TRUE(m.RemoveKey(L"value"));
    EXPECT_TRUE(m.IsEmpty());

    ZrStringMapNoCase<ZrString> props;
    props.SetAt(L"READ_ONLY", L"1");
    EXPECT_NE(props.Find(L"read_only"), nullptr);
    ZrStringMapNoCase<ZrString> copy(props);
    EXPECT_NE(copy.Find(L"Read_Only"), nullptr);
}

TEST(ZrStringMapKeys, CaseSensitiveKeepsCasesApart) {
    ZrStringMap<int> m;
    m.SetAt(L"Key", 1);
    m.SetAt(L"key", 2);
    EXPECT_EQ(m.GetCount(), 2);
    EXPECT_EQ(*m.Find(L"Key"), 1);
    EXPECT_EQ(m.Find(L"KEY"), nullptr);
}

TEST(ZrStringMapKeys, ManyKeysSurviveRehashes) {
    ZrStringMap<int> m(true);
    for (int i = 0; i < 1000; ++i)
        m.SetAt(ZrString::Format(L"Key%d", i), i);
    EXPECT_EQ(m.GetBucketCount(), 511); // rehashed at entries 17, 65 and 257
    for (int i = 0; i < 1000; ++i) {
        const int* v = m.Find(ZrString::Format(L"KEY%d", i));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(*v, i);
    }
}

TEST(ZrOwnedPtrStringMapTest, DeletesReplacedRemovedAndRemaining) {
    Owned::deleted = 0;
    {
        ZrOwnedPtrStringMap<Owned> m(true);
        m.SetAt(L"a", new Owned(1));
        m.SetAt(L"A", new Owned(2));
        EXPECT_EQ(Owned::deleted, 1);
        EXPECT_EQ(m.Get(L"a")->v, 2);
        m.SetAt(L"b", new Owned(3));
        m.SetAt(L"c", new Owned(4));
        EXPECT_TRUE(m.RemoveKey(L"B"));
        EXPECT_EQ(Owned::deleted, 2);
        Owned* c = m.Detach(L"c");
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(m.GetCount(), 1);
        delete c;
        EXPECT_EQ(Owned::deleted, 3);
        m.SetAt(L"d", new Owned(5));
    }
    EXPECT_EQ(Owned::deleted, 5);
}
