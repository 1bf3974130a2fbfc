#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ZrCoreLib/CBufferedHeaderReader.h"
#include "ZrCoreLib/CMemoryReader.h"

namespace {

// A memory stream that counts the calls that would cost a network round trip
// on a real remote reader.
class CountingReader : public CMemoryReader {
public:
    CountingReader(std::vector<uint8_t> bytes, bool* destroyed)
        : CMemoryReader(std::move(bytes)), m_destroyed(destroyed) {}
    ~CountingReader() override { *m_destroyed = true; }

    uint32_t Read(void* buffer, uint32_t count) override {
        ++reads;
        return CMemoryReader::Read(buffer, count);
    }
    int64_t Seek(int64_t offset, uint32_t origin) override {
        ++seeks;
        return CMemoryReader::Seek(offset, origin);
    }

    int reads = 0;
    int seeks = 0;

private:
    bool* m_destroyed;
};

std::vector<uint8_t> Ramp(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

struct Fixture {
    explicit Fixture(size_t size) : bytes(Ramp(size)) {
        inner = new CountingReader(bytes, &innerDestroyed);
        reader = new CBufferedHeaderReader(inner);
        inner->reads = 0;
        inner->seeks = 0;
    }
    ~Fixture() { delete reader; }

    std::vector<uint8_t> bytes;
    bool innerDestroyed = false;
    CountingReader* inner;
    CBufferedHeaderReader* reader;
};

} // namespace

// Within the head, reads and seeks (from the start, the position or the end,
// clamped at 0) are answered from the buffer, without the inner reader.
TEST(BufferedHeaderReader, HeadServesSeeksAndReadsAlone) {
    Fixture f(100);
    EXPECT_EQ(f.reader->Seek(10, 0), 10);
    uint8_t out[200] = {};
    ASSERT_EQ(f.reader->Read(out, 4), 4u);
    EXPECT_TRUE(std::equal(out, out + 4, f.bytes.begin() + 10));
    EXPECT_EQ(f.reader->GetPosition(), 14);
    EXPECT_EQ(f.reader->Seek(-5, 2), 95);
    EXPECT_EQ(f.reader->Seek(-500, 2), 0);
    EXPECT_EQ(f.reader->Seek(30, 0), 30);
    EXPECT_EQ(f.reader->Seek(-40, 1), 0);
    EXPECT_EQ(f.inner->reads, 0);
    EXPECT_EQ(f.inner->seeks, 0);
    EXPECT_EQ(f.reader->Seek(50, 0), 50);
    ASSERT_EQ(f.reader->Read(out, 200), 50u); // stops at the end
    EXPECT_TRUE(std::equal(out, out + 50, f.bytes.begin() + 50));
    EXPECT_EQ(f.reader->GetPosition(), 100);
}

TEST(BufferedHeaderReader, ReadAcrossHeadEndResyncsInnerOnce) {
    const uint32_t head = CBufferedHeaderReader::kHeadBytes;
    Fixture f(head + 1000);
    EXPECT_EQ(f.reader->GetBufferedBytes(), head);
    // Straddles the end of the head: part from the buffer, the rest from the
    // inner reader after one repositioning.
    f.reader->Seek(head - 10, 0);
    std::vector<uint8_t> out(30);
    ASSERT_EQ(f.reader->Read(out.data(), 30), 30u);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), f.bytes.begin() + head - 10));
    EXPECT_EQ(f.inner->seeks, 1);
    // Sequential reads past the head need no further seek.
    ASSERT_EQ(f.reader->Read(out.data(), 30), 30u);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), f.bytes.begin() + head + 20));
    EXPECT_EQ(f.inner->seeks, 1);
    // Going back into the head and out again needs one more.
    f.reader->Seek(0, 0);
    f.reader->Read(out.data(), 4);
    f.reader->Seek(head + 500, 0);
    ASSERT_EQ(f.reader->Read(out.data(), 4), 4u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 4, f.bytes.begin() + head + 500));
    EXPECT_EQ(f.inner->seeks, 2);
}

TEST(BufferedHeaderReader, WriteInsideHeadKeepsBufferTrue) {
    Fixture f(100);
    f.reader->Seek(20, 0);
    const uint8_t patch[3] = {0xAA, 0xBB, 0xCC};
    ASSERT_EQ(f.reader->Write(patch, 3), 3);
    EXPECT_EQ(f.reader->GetPosition(), 23);
    f.reader->Seek(20, 0);
    uint8_t out[3] = {};
    ASSERT_EQ(f.reader->Read(out, 3), 3u);
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(out[2], 0xCC);
    EXPECT_EQ(f.inner->Bytes()[21], 0xBB);
}

TEST(BufferedHeaderReader, OwnsItsInnerReaderAndSurvivesNone) {
    bool destroyed = false;
    delete new CBufferedHeaderReader(new CountingReader(Ramp(10), &destroyed));
    EXPECT_TRUE(destroyed);
    CBufferedHeaderReader reader(nullptr);
    uint8_t out[4];
    EXPECT_EQ(reader.Read(out, 4), 0u);
    EXPECT_FALSE(reader.OpenRead());
    EXPECT_EQ(reader.Write(out, 4), 0);
}

TEST(BufferedHeaderReader, RandomSeeksAndReadsMatchThePlainStream) {
    // Every mix of buffer hits, straddling reads and lazy inner seeks must
    // deliver what the unbuffered stream delivers.
    const size_t size = CBufferedHeaderReader::kHeadBytes * 3 + 17;
    Fixture f(size);
    CMemoryReader plain(f.bytes);
    uint32_t state = 12345;
    auto next = [&state](uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    std::vector<uint8_t> a(70000), b(70000);
    for (int step = 0; step < 3000; ++step) {
        if (next(3) == 0) {
            const uint32_t origin = next(3);
            const int64_t offset = static_cast<int64_t>(next(static_cast<uint32_t>(size) + 200)) -
                                   (origin == 0 ? 100 : static_cast<int64_t>(size) / 2);
            ASSERT_EQ(f.reader->Seek(offset, origin), plain.Seek(offset, origin)) << step;
        } else {
            const uint32_t count = next(4) == 0 ? next(70000) : next(300);
            const uint32_t got = f.reader->Read(a.data(), count);
            ASSERT_EQ(got, plain.Read(b.data(), count)) << step;
            ASSERT_TRUE(std::equal(a.begin(), a.begin() + got, b.begin())) << step;
        }
        ASSERT_EQ(f.reader->GetPosition(), plain.GetPosition()) << step;
    }
}
