#include <gtest/gtest.h>

#include "ZrCoreLib/VBaseReader.h"

namespace {

class SizedReader : public VBaseReader {
public:
    explicit SizedReader(int64_t size) : m_size(size) {}
    int64_t GetSize() override { return m_size; }

private:
    int64_t m_size;
};

class RecordingObserver : public IZrReaderObserver {
public:
    void OnReaderEvent(IZrReader*, int) override {}
    void OnReaderDestroyed(IZrReader* reader) override { destroyed = reader; }
    IZrReader* destroyed = nullptr;
};

} // namespace

// "name|value|name|value...": names ignore case, later values win, a
// trailing name gets an empty value, and empty items set nothing.
TEST(VBaseReaderProperties, SetPropertiesPairsItems) {
    VBaseReader reader;
    reader.SetProperties(L"A|1|B");
    EXPECT_EQ(reader.GetProperty(L"A"), ZrString(L"1"));
    EXPECT_TRUE(reader.GetProperty(L"B").IsEmpty());
    EXPECT_TRUE(reader.GetProperty(L"1").IsEmpty()) << "a value must not become a name";

    reader.SetProperties(L"READ_ONLY|1|Set Support ICY Metadata|0");
    reader.SetProperty(L"set support icy metadata", L"1");
    EXPECT_EQ(reader.GetProperty(L"read_only"), ZrString(L"1"));
    EXPECT_EQ(reader.GetProperty(L"SET SUPPORT ICY METADATA"), ZrString(L"1"));
    EXPECT_TRUE(reader.GetProperty(L"missing").IsEmpty());

    VBaseReader empty;
    empty.SetProperties(L"");
    empty.SetProperties(L"|x|A|");
    EXPECT_TRUE(empty.GetProperty(L"").IsEmpty());
    EXPECT_TRUE(empty.GetProperty(L"x").IsEmpty());
    EXPECT_TRUE(empty.GetProperty(L"A").IsEmpty());
}

TEST(VBaseReaderSeek, ResolveSeekTargetByOrigin) {
    SizedReader reader(100);
    EXPECT_EQ(reader.ResolveSeekTarget(40, -5, 2), 95);
    EXPECT_EQ(reader.ResolveSeekTarget(40, 5, 2), 95) << "from the end counts backwards";
    EXPECT_EQ(reader.ResolveSeekTarget(40, -500, 2), 0);
    EXPECT_EQ(reader.ResolveSeekTarget(40, 10, 1), 50);
    EXPECT_EQ(reader.ResolveSeekTarget(40, -50, 1), 0);
    EXPECT_EQ(reader.ResolveSeekTarget(40, 70, 0), 70);
    EXPECT_EQ(reader.ResolveSeekTarget(40, -3, 0), 0);
    EXPECT_EQ(reader.ResolveSeekTarget(INT64_MAX - 1, INT64_MAX, 1), INT64_MAX);
}

TEST(VBaseReaderDefaults, ObserverHearsDestruction) {
    RecordingObserver observer;
    auto* reader = new VBaseReader(7);
    reader->SetOwner(&observer);
    IZrReader* asInterface = reader;
    delete asInterface;
    EXPECT_EQ(observer.destroyed, asInterface);
}
