// A live stream with ICY metadata from a radio server on loopback: the source
// takes the metadata out, decodes what is left exactly as the file from disk,
// and answers the stream title.
#include "input/InputTestHelpers.h"

#include "common/IcyTestServer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace inputtest;

constexpr int kMetaint = 8192;

class LiveStream : public ::testing::Test {
protected:
    void SetUp() override {
        TEST_REQUIRE_TOOL("lame");
        WriteSignal(m_dir / "in.wav", 44100, 2, 3 * 44100);
        // -t: no Info frame, which a live stream would play as audio.
        ASSERT_TRUE(Encode(m_dir / "in.wav", m_dir / "out.mp3", 44100, "-t -b 128 --cbr"));
        m_file = ReadFile(m_dir / "out.mp3");
        m_fromDisk = Play(m_dir / "out.mp3");
        ASSERT_EQ(m_fromDisk.open, 0);
    }

    TempDir m_dir;
    std::vector<uint8_t> m_file;
    Played m_fromDisk;
};

TEST_F(LiveStream, WithoutMetadataTheBytesPassUntouched) {
    IcyTestServer::IcyOptions options;
    options.metaint = 0;
    IcyTestServer server(IcyTestServer::ServeIcy(m_file, options));
    auto source = NewSource();
    ASSERT_EQ(source->Open(server.WideUrl("/radio").c_str()), 0);
    EXPECT_EQ(Info(*source, INFO_TITLE_KNOWN), "0");
    EXPECT_TRUE(ReadAll(*source) == m_fromDisk.values);
}

TEST_F(LiveStream, OverHttpFromARadioServerOnLoopback) {
    // The whole road: the stand-in reader library's HTTP reader asks a real
    // server for metadata, the live stream is wrapped and analysed, and the
    // titles change while it plays.
    IcyTestServer::IcyOptions options;
    options.metaint = kMetaint;
    options.blockText = [](int k) {
        return k % 2 == 0 ? IcyTitleText("Song " + std::to_string(k / 2 + 1)) : std::string();
    };
    const IcyTestStream expected = IcyTestServer::IcyBody(m_file, options);
    ASSERT_GE(expected.titles.size(), 3u);
    IcyTestServer server(IcyTestServer::ServeIcy(m_file, options));
    ASSERT_TRUE(server.IsRunning());
    server.SetPacing(3001, 0); // partial receives on the reader's side

    auto source = NewSource();
    ASSERT_EQ(source->Open(server.WideUrl("/radio").c_str()), 0);
    EXPECT_EQ(Info(*source, INFO_HAS_SIZE), "1") << "bytes received so far";
    // The analysis has read past the first block already.
    EXPECT_EQ(Info(*source, INFO_ICY_TITLE), "Song 1");
    std::vector<std::string> seen;
    std::vector<double> all;
    std::vector<uint8_t> chunk(4608 * 4);
    for (;;) {
        const int n = source->Read(chunk.data(), int(chunk.size()));
        if (n <= 0) break;
        const size_t values = size_t(n) / sizeof(double);
        const size_t at = all.size();
        all.resize(at + values);
        std::memcpy(all.data() + at, chunk.data(), values * sizeof(double));
        const std::string title = Info(*source, INFO_ICY_TITLE);
        if (seen.empty() || seen.back() != title) seen.push_back(title);
    }
    EXPECT_TRUE(all == m_fromDisk.values) << all.size() << " vs " << m_fromDisk.values.size();
    EXPECT_EQ(seen.back(), expected.titles.back().second);
    EXPECT_GE(seen.size(), 2u) << "titles arrive while the stream plays";
    EXPECT_EQ(Info(*source, INFO_ICY_ARTIST), "");
    EXPECT_EQ(Info(*source, INFO_ICY_ALBUM), "");
    EXPECT_EQ(Info(*source, INFO_TITLE_KNOWN), "1");
    // Start of the current title: its block's raw position at 128 kbit/s
    // (the stream is too short for the 16-second rule to step back).
    EXPECT_EQ(InfoInt(*source, INFO_TITLE_START_MS), expected.titles.back().first * 8 / 128);
    // No later title: the end is the bytes received so far, less 5 s, here
    // below zero.
    EXPECT_EQ(Info(*source, INFO_TITLE_END_MS), "0");
}

} // namespace
