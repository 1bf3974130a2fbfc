// Separate sources share nothing but read-only tables and the framework's
// locked services: eight sources on eight threads give, bit for bit, what
// they give one after another. CI also runs this suite under ThreadSanitizer.
#include "input/InputTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace inputtest;

struct Outcome {
    int open = -1;
    int64_t total = -1;
    std::vector<double> played;
    std::vector<double> afterSeek;
};

// Open, total samples (which indexes the stream), a whole play, then a seek
// into the middle and the rest: the calls a host makes.
Outcome Drive(const std::string& path) {
    Outcome o;
    auto source = NewSource();
    o.open = source->Open(Wide(path).c_str());
    if (o.open != 0) return o;
    o.total = InfoInt(*source, INFO_TOTAL_SAMPLES);
    o.played = ReadAll(*source, 12345);
    source->SetInfo(SETINFO_SEEK_MS, L"700.5");
    o.afterSeek = ReadAll(*source, 20000);
    return o;
}

TEST(InputConcurrency, EightSourcesOnEightThreadsMatchOneAfterAnother) {
    TEST_REQUIRE_TOOL("lame");
    TempDir dir;
    struct Made {
        int rate;
        int channels;
        const char* options;
    };
    const Made made[] = {
        {44100, 2, "-b 128 --cbr"}, {48000, 1, "-V 3"},        {32000, 2, "--abr 80"},
        {22050, 2, "-V 5"},         {24000, 1, "-b 48 --cbr"}, {16000, 2, "--abr 48"},
        {11025, 1, "-V 7"},         {12000, 2, "-b 32 --cbr"},
    };
    std::vector<std::string> paths;
    for (size_t i = 0; i < 8; ++i) {
        const std::string wav = dir / ("in" + std::to_string(i) + ".wav");
        paths.push_back(dir / ("out" + std::to_string(i) + ".mp3"));
        WriteSignal(wav, made[i].rate, made[i].channels, made[i].rate + 111 * int(i));
        ASSERT_TRUE(Encode(wav, paths.back(), made[i].rate, made[i].options));
    }

    // One after another first: that also loads the sibling libraries and
    // starts their string managers, as the host's start-up does, before
    // threads share them.
    std::vector<Outcome> serial;
    for (const std::string& path : paths)
        serial.push_back(Drive(path));

    std::vector<Outcome> parallel(paths.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < paths.size(); ++i)
        threads.emplace_back([&, i] { parallel[i] = Drive(paths[i]); });
    for (std::thread& t : threads)
        t.join();
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        ASSERT_EQ(serial[i].open, 0);
        EXPECT_EQ(parallel[i].open, 0);
        EXPECT_EQ(parallel[i].total, serial[i].total);
        EXPECT_GT(serial[i].played.size(), 0u);
        EXPECT_GT(serial[i].afterSeek.size(), 0u);
        EXPECT_TRUE(SameValues(parallel[i].played, serial[i].played));
        EXPECT_TRUE(SameValues(parallel[i].afterSeek, serial[i].afterSeek));
    }
}

} // namespace
