// Agreement with an independent decoder: Debian's mpg123 with --gapless,
// float output. Our values are the decoder's scaled by 32767/32768, so they
// are compared after multiplying by 32768/32767. With a LAME header the two
// trim alike; without one mpg123 keeps the decoder's 529-sample delay, which
// the source drops.
#include "input/InputTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace inputtest;

struct AgreementFile {
    const char* name;
    int rate;
    int channels;
    const char* encoder; // command with IN and OUT to replace
    bool lameHeader;
};

void PrintTo(const AgreementFile& f, std::ostream* os) {
    *os << f.name;
}

class Agreement : public ::testing::TestWithParam<AgreementFile> {};

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.replace(at, what.size(), with), at += with.size();
    return text;
}

std::vector<double> ReadFloats(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    std::vector<float> f(bytes.size() / sizeof(float));
    if (!f.empty()) std::memcpy(f.data(), bytes.data(), f.size() * sizeof(float));
    return std::vector<double>(f.begin(), f.end());
}

// Signal-to-noise ratio of channel `channel` of our values against
// mpg123's from `offset` sample frames on, over the values we delivered.
double SnrDb(const std::vector<double>& ours, const std::vector<double>& ref, int channels,
             int channel, size_t offset) {
    double signal = 0, noise = 0;
    for (size_t i = size_t(channel); i < ours.size(); i += size_t(channels)) {
        const double r = ref[i + offset * size_t(channels)];
        const double d = ours[i] * 32768.0 / 32767.0 - r;
        signal += r * r;
        noise += d * d;
    }
    return noise > 0 ? 10 * std::log10(signal / noise) : INFINITY;
}

TEST_P(Agreement, MatchesMpg123Within100Decibels) {
    TEST_REQUIRE_TOOL("mpg123");
    const AgreementFile& c = GetParam();
    const std::string tool = std::string(c.encoder).substr(0, std::string(c.encoder).find(' '));
    TEST_REQUIRE_TOOL(tool);
    TempDir dir;
    WriteSignal(dir / "in.wav", c.rate, c.channels, 2 * c.rate + 321);
    ASSERT_TRUE(testtools::Run(Replaced(Replaced(c.encoder, "IN", "'" + (dir / "in.wav") + "'"),
                                        "OUT", "'" + (dir / "out.mp3") + "'")));
    ASSERT_TRUE(testtools::Run("mpg123 -q --gapless -e f32 -s '" + (dir / "out.mp3") + "' > '" +
                               (dir / "ref.f32") + "'"));
    const std::vector<double> ref = ReadFloats(dir / "ref.f32");
    const Played ours = Play(dir / "out.mp3");
    ASSERT_EQ(ours.open, 0);
    ASSERT_EQ(ours.channels, c.channels);
    const size_t offset = c.lameHeader ? 0 : 529;
    ASSERT_EQ(ours.values.size() + offset * size_t(c.channels), ref.size());
    const double snr = SnrDb(ours.values, ref, 1, 0, offset * size_t(c.channels));
    RecordProperty("snr_db", std::to_string(snr));
    EXPECT_GE(snr, 100.0);
}

// Joined recordings and radio dumps change between stereo and mono part-way.
// The host hears every frame in the first frame's layout: mono frames on both
// channels, stereo frames mixed at half gain each, as mpg123 does when its
// output is forced to that layout; and id 12 counts every frame. A gapless
// header on the first part counts that part only: its padding lies at the
// change, where mpg123 drops it too.
TEST(ChannelChange, EveryFrameIsDeliveredInTheFirstFramesLayout) {
    TEST_REQUIRE_TOOL("mpg123");
    TEST_REQUIRE_TOOL("lame");
    TempDir dir;
    const int rate = 44100;
    WriteSignal(dir / "2.wav", rate, 2, rate + 789);
    WriteSignal(dir / "1.wav", rate, 1, rate + 123);
    for (const char* part : {"2", "1"}) {
        const std::string bitrate = part[0] == '2' ? " -b 128" : " -b 64";
        ASSERT_TRUE(Encode(dir / (part + std::string(".wav")), dir / (part + std::string(".mp3")),
                           rate, "-t" + bitrate));
        ASSERT_TRUE(Encode(dir / (part + std::string(".wav")), dir / (part + std::string("g.mp3")),
                           rate, bitrate));
    }
    // Parts joined; "g": with the Xing/Info header and its gapless values.
    for (const std::string order : {"2+1", "1+2", "2+1+2", "2g+1", "1g+2"}) {
        SCOPED_TRACE(order);
        const std::string first = order.substr(0, order.find('+'));
        const std::string joined = dir / "joined.mp3";
        std::vector<uint8_t> bytes = ReadFile(dir / (first + ".mp3"));
        const size_t change = bytes.size();
        for (size_t at = order.find('+'); at != std::string::npos; at = order.find('+', at + 1)) {
            const std::vector<uint8_t> part = ReadFile(dir / (order.substr(at + 1, 1) + ".mp3"));
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        WriteFile(joined, bytes);
        const int channels = order[0] - '0';
        const size_t offset = first.size() > 1 ? 0 : 529;
        ASSERT_TRUE(testtools::Run("mpg123 -q --gapless -e f32 -s " +
                                   std::string(channels == 2 ? "--stereo" : "--mono") + " '" +
                                   joined + "' > '" + (dir / "ref.f32") + "'"));
        const std::vector<double> ref = ReadFloats(dir / "ref.f32");

        auto source = NewSource();
        ASSERT_EQ(source->Open(Wide(joined).c_str()), 0);
        ASSERT_EQ(InfoInt(*source, INFO_CHANNELS), channels);
        const std::vector<double> ours = ReadAll(*source);
        ASSERT_EQ(int64_t(ours.size()), InfoInt(*source, INFO_TOTAL_SAMPLES) * channels);
        ASSERT_EQ(ours.size() + offset * size_t(channels), ref.size());
        for (int ch = 0; ch < channels; ++ch)
            EXPECT_GE(SnrDb(ours, ref, channels, ch, offset), 90.0) << "channel " << ch;

        // A seek a few frames past the change primes the decoder across it.
        const FileFacts f = Analyse(joined);
        const auto past = std::lower_bound(f.index.begin(), f.index.end(), int32_t(change)) + 4;
        ASSERT_LT(past, f.index.end());
        const int64_t target = int64_t(past - f.index.begin()) * 1152 + 100;
        ASSERT_EQ(source->SetInfo(SETINFO_SEEK_MS,
                                  std::to_wstring((target + 0.5) * 1000.0 / rate).c_str()),
                  0);
        const std::vector<double> resumed = ReadAll(*source);
        ASSERT_EQ(resumed.size(), ours.size() - size_t(target * channels));
        EXPECT_LT(MaxDifference(resumed, ours, size_t(target * channels)), 1e-9);
    }
}

const AgreementFile kAgreementFiles[] = {
    {"Mpeg1CbrJointStereo", 44100, 2, "lame --quiet -b 160 IN OUT", true},
    {"Mpeg1VbrMono", 32000, 1, "lame --quiet --resample 32 -V 0 IN OUT", true},
    {"Mpeg2VbrStereo", 24000, 2, "lame --quiet --resample 24 -V 5 IN OUT", true},
    {"Mpeg25AbrMono", 11025, 1, "lame --quiet --resample 11.025 --abr 24 IN OUT", true},
    {"Mpeg1WithoutInfoFrame", 48000, 2, "lame --quiet -t -b 192 IN OUT", false},
    {"Layer2Stereo", 44100, 2, "twolame --quiet -b 192 IN OUT", false},
    {"Layer2Mpeg2Mono", 22050, 1, "twolame --quiet -b 64 IN OUT", false},
};

INSTANTIATE_TEST_SUITE_P(PeerDecoder, Agreement, ::testing::ValuesIn(kAgreementFiles),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
