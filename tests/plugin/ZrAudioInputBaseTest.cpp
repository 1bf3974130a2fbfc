#include <gtest/gtest.h>

#include <vector>

#include "ZrCoreLib/VBaseReader.h"
#include "plugin/ZrAudioInputBase.h"

namespace {

class NullReader : public VBaseReader {
public:
    bool OpenRead() override { return openable; }
    bool openable = true;
};

class OneReaderProvider : public IZrReaderProvider {
public:
    IZrReader* CreateReader(const wchar_t*, int mode, int flags) override {
        lastMode = mode;
        lastFlags = flags;
        auto* r = new NullReader;
        r->openable = openable;
        created = r;
        return r;
    }
    NullReader* created = nullptr;
    bool openable = true;
    int lastMode = -2, lastFlags = -2;
};

// Each FillBuffer appends the next scripted block of bytes (counting up, so
// any reordering or loss shows); after the script the stream ends.
class ScriptedInput : public ZrAudioInputBase {
public:
    ScriptedInput(IZrReaderProvider* p, std::vector<int> blocks, int reserve)
        : ZrAudioInputBase(p), m_blocks(std::move(blocks)) {
        m_capacity = 4096;
        m_tailReserve = reserve;
    }
    int FillBuffer() override {
        ++fills;
        if (m_next >= m_blocks.size()) {
            m_endOfStream = true;
            return -1;
        }
        const int n = m_blocks[m_next++];
        for (int i = 0; i < n; ++i)
            m_buffer[m_fill + i] = static_cast<uint8_t>(m_counter++);
        m_fill += n;
        return 0;
    }
    int fills = 0;

private:
    std::vector<int> m_blocks;
    size_t m_next = 0;
    int m_counter = 0;
};

std::vector<uint8_t> ReadAll(ScriptedInput& in, int chunk) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> buf(static_cast<size_t>(chunk));
    for (int guard = 0; guard < 10000; ++guard) {
        const int n = in.Read(buf.data(), chunk);
        if (n <= 0) break;
        all.insert(all.end(), buf.begin(), buf.begin() + n);
    }
    return all;
}

TEST(ZrAudioInputBaseRead, TailReserveIsNeverDelivered) {
    OneReaderProvider provider;
    for (int chunk : {1, 7, 100, 1000}) {
        ScriptedInput in(&provider, {100, 0, 250, 37, 400}, 64);
        ASSERT_EQ(in.Open(L"x"), 0);
        const std::vector<uint8_t> got = ReadAll(in, chunk);
        ASSERT_EQ(got.size(), 100u + 250 + 37 + 400 - 64) << "chunk " << chunk;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(got[i], static_cast<uint8_t>(i)) << "byte " << i << " chunk " << chunk;
        EXPECT_EQ(in.Read(nullptr, 0), 0) << "count 0 at the end answers 0";
    }
}

TEST(ZrAudioInputBaseRead, LargeRequestKeepsFillingUntilMet) {
    OneReaderProvider provider;
    ScriptedInput in(&provider, {10, 10, 10, 10, 10}, 5);
    ASSERT_EQ(in.Open(L"x"), 0);
    uint8_t buf[32];
    EXPECT_EQ(in.Read(buf, 32), 32) << "filled across four blocks, holding back the reserve";
    EXPECT_EQ(in.Read(buf, 32), 13) << "the end drops the 5 reserved bytes";
    EXPECT_EQ(in.Read(buf, 32), 0);
}

TEST(ZrAudioInputBaseOpen, ReaderSetUpAndFailures) {
    OneReaderProvider provider;
    ScriptedInput in(&provider, {}, 0);
    EXPECT_EQ(in.SetInfo(33, L"17"), 0);
    ASSERT_EQ(in.Open(L"x"), 0);
    EXPECT_EQ(provider.lastMode, 0);
    EXPECT_EQ(provider.lastFlags, 17);
    EXPECT_EQ(provider.created->GetProperty(L"read_only"), ZrString(L"1"));
    EXPECT_TRUE(provider.created->GetProperty(L"Set Support ICY Metadata").IsEmpty());

    OneReaderProvider closed;
    closed.openable = false;
    ScriptedInput failing(&closed, {}, 0);
    EXPECT_EQ(failing.Open(L"x"), -1);
    ScriptedInput noProvider(nullptr, {}, 0);
    EXPECT_EQ(noProvider.Open(L"x"), -1);
}

} // namespace
