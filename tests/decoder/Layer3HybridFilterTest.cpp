// The hybrid filterbank against the IMDCT of ISO/IEC 11172-3 2.4.3.4.10.2
// written out directly: one spectral line in, two granules out (the block,
// then its overlap), for long and short blocks, even and odd subbands.

#include "decoder/Layer3HybridFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const double kPi = std::acos(-1.0);

// x[i] = sum_k X[k] cos(pi / (2n) (2i + 1 + n / 2)(2k + 1)), n = 36 or 12.
double Imdct(const double* spectrum, int n, int i) {
    double sum = 0;
    for (int k = 0; k < n / 2; ++k)
        sum += spectrum[k] * std::cos(kPi / (2 * n) * (2 * i + 1 + n / 2.0) * (2 * k + 1));
    return sum;
}

class Layer3Hybrid : public testing::Test {
protected:
    // Runs a granule holding `value` at line `line` (hybrid order), then an
    // empty one, and returns the 36 samples of subband `sb`.
    std::vector<double> Run(int blockType, int line, double value, int sb) {
        Layer3SideInfo::Granule granule;
        granule.blockType = blockType;
        granule.windowSwitching = blockType != 0;
        double spectrum[576] = {};
        spectrum[line] = value;
        double overlap[576] = {};
        double out[18][32];
        std::vector<double> samples;
        filter_.Process(granule, spectrum, line / 18 + 1, overlap, out);
        for (int t = 0; t < 18; ++t)
            samples.push_back(out[t][sb]);
        double silence[576] = {};
        filter_.Process(granule, silence, 0, overlap, out);
        for (int t = 0; t < 18; ++t)
            samples.push_back(out[t][sb]);
        return samples;
    }

    std::unique_ptr<Layer3TableSet> tables_ = std::make_unique<Layer3TableSet>();
    Layer3HybridFilter filter_{*tables_};
};

TEST_F(Layer3Hybrid, LongBlocksMatchTheDirectImdct) {
    for (int blockType : {0, 1, 3}) {
        for (int sb : {0, 5}) {
            const int k = 8; // the butterflies touch lines 0..7 and 10..17 only
            double spectrum[18] = {};
            spectrum[k] = 0.75;
            const std::vector<double> got = Run(blockType, sb * 18 + k, 0.75, sb);
            for (int i = 0; i < 36; ++i) {
                double expected = Imdct(spectrum, 36, i) * tables_->window[blockType][i];
                if ((sb & 1) && (i & 1)) expected = -expected; // frequency inversion
                EXPECT_NEAR(got[i], expected, 1e-12) << blockType << " " << sb << " " << i;
            }
        }
    }
}

TEST_F(Layer3Hybrid, ShortBlocksOverlapTheirThreeWindows) {
    for (int sb : {2, 7}) {
        for (int window = 0; window < 3; ++window) {
            const int k = 4;
            double spectrum[6] = {};
            spectrum[k] = -0.5;
            const std::vector<double> got = Run(2, sb * 18 + window * 6 + k, -0.5, sb);
            for (int i = 0; i < 36; ++i) {
                const int at = i - 6 - 6 * window; // where this window's 12 samples lie
                double expected =
                    at >= 0 && at < 12 ? Imdct(spectrum, 12, at) * tables_->window[2][at] : 0.0;
                if ((sb & 1) && (i & 1)) expected = -expected;
                EXPECT_NEAR(got[i], expected, 1e-12) << sb << " " << window << " " << i;
            }
        }
    }
}

} // namespace
