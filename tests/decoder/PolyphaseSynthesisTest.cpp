// The synthesis filterbank against the standard's own formulation.

#include "decoder/PolyphaseSynthesis.h"
#include "decoder/tables/SynthesisWindowTable.h"
#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <random>

using namespace decodetest;

namespace {

const double kPi = std::acos(-1.0);

// ISO/IEC 11172-3 Figure A.2 literally: shift V by 64, matrix the subband
// samples into V[0..63], build U from V, window with D, sum 16 taps.
class StandardSynthesis {
public:
    void Step(const double* s, double* out) {
        for (int i = 1023; i >= 64; --i)
            v[i] = v[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0;
            for (int k = 0; k < 32; ++k)
                sum += std::cos((16 + i) * (2 * k + 1) * kPi / 64) * s[k];
            v[i] = sum;
        }
        double u[512];
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 32; ++j) {
                u[i * 64 + j] = v[i * 128 + j];
                u[i * 64 + 32 + j] = v[i * 128 + 96 + j];
            }
        for (int j = 0; j < 32; ++j) {
            double sum = 0;
            for (int i = 0; i < 16; ++i)
                sum += u[j + 32 * i] * kSynthesisWindowD[j + 32 * i] / 65536.0;
            out[j] = sum;
        }
    }
    double v[1024] = {};
};

double At(const std::vector<uint8_t>& bytes, size_t index) {
    double v;
    std::memcpy(&v, &bytes[index * 8], 8);
    return v;
}

TEST(SynthesisDct, MatchesTheDirectSum) {
    TestDecoder f;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        double in[32], out[32];
        for (double& x : in)
            x = value(random);
        SynthesisDct32(*f.state, in, out);
        for (int i = 0; i < 32; ++i) {
            double direct = 0;
            for (int k = 0; k < 32; ++k)
                direct += std::cos(i * (2 * k + 1) * kPi / 64) * in[k];
            ASSERT_NEAR(out[i], direct, 1e-12) << i;
        }
    }
}

TEST(SynthesisWindow, TableHasTheStandardsSymmetry) {
    // D[512 - i] = -D[i], except across the sign changes at multiples of 64.
    EXPECT_EQ(kSynthesisWindowD[0], 0);
    EXPECT_EQ(kSynthesisWindowD[256], 75038); // 1.144989014
    for (int i = 1; i < 256; ++i)
        EXPECT_EQ(kSynthesisWindowD[512 - i],
                  i % 64 == 0 ? kSynthesisWindowD[i] : -kSynthesisWindowD[i])
            << i;
}

TEST(SynthesisStep, TwoChannelsMatchTheStandardFormulation) {
    TestDecoder f;
    StandardSynthesis reference[2];
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-0.02, 0.02);
    std::vector<uint8_t> out(kMinOutputCapacity);
    int32_t done = 0;
    double maxDiff = 0;
    for (int step = 0; step < 36; ++step) {
        double s[2][32], expected[2][32];
        for (int c = 0; c < 2; ++c) {
            for (double& x : s[c])
                x = value(random) / (1 + (step % 5));
            reference[c].Step(s[c], expected[c]);
        }
        const int32_t before = done;
        EXPECT_EQ(Synthesize(*f.state, s[0], 0, out.data(), done), 0);
        EXPECT_EQ(done, before);
        EXPECT_EQ(Synthesize(*f.state, s[1], 1, out.data(), done), 0);
        EXPECT_EQ(done, before + 512);
        for (int j = 0; j < 32; ++j)
            for (int c = 0; c < 2; ++c)
                maxDiff = std::max(maxDiff, std::fabs(At(out, before / 8 + 2 * j + c) -
                                                      expected[c][j] * 32767.0 / 32768.0));
    }
    EXPECT_LT(maxDiff, 1e-12);
}

TEST(SynthesisStep, SilenceDrainsToExactZero) {
    TestDecoder f;
    std::vector<uint8_t> out(kMinOutputCapacity);
    int32_t done = 0;
    double loud[32];
    for (int k = 0; k < 32; ++k)
        loud[k] = 0.7 * ((k & 1) ? 1 : -1);
    SynthesizeMono(*f.state, loud, out.data(), done);
    const double silence[32] = {};
    for (int step = 0; step < 16; ++step) {
        done = 0;
        SynthesizeMono(*f.state, silence, out.data(), done);
    }
    for (int j = 0; j < 32; ++j)
        EXPECT_EQ(At(out, j), 0.0);
}

TEST(SynthesisStep, OverloadIsClippedAndCounted) {
    TestDecoder f;
    std::vector<uint8_t> out(kMinOutputCapacity);
    int32_t done = 0;
    double dc[32] = {};
    dc[0] = 4.0; // subband 0 at four times full scale
    int32_t clipped = 0;
    for (int step = 0; step < 16; ++step)
        clipped += SynthesizeMono(*f.state, dc, out.data(), done);
    EXPECT_GT(clipped, 0);
    int32_t atLimit = 0;
    for (int32_t i = 0; i < done / 8; ++i) {
        const double v = At(out, static_cast<size_t>(i));
        EXPECT_LE(std::fabs(v), 1.0);
        if (std::fabs(v) == 1.0) ++atLimit;
    }
    EXPECT_EQ(atLimit, clipped);
}

} // namespace
