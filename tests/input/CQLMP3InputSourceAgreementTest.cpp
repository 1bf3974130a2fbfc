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
    const size_t offset = c.lameHeader ? 0 : size_t(529 * c.channels);
    ASSERT_EQ(ours.values.size() + offset, ref.size());
    double signal = 0, noise = 0;
    for (size_t i = 0; i < ours.values.size(); ++i) {
        const double r = ref[i + offset];
        const double d = ours.values[i] * 32768.0 / 32767.0 - r;
        signal += r * r;
        noise += d * d;
    }
    ASSERT_GT(signal, 0);
    const double snr = noise > 0 ? 10 * std::log10(signal / noise) : INFINITY;
    RecordProperty("snr_db", std::to_string(snr));
    EXPECT_GE(snr, 100.0);
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
