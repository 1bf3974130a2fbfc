// Which bands the joint-stereo step codes as intensity stereo, on a synthetic
// long-block granule at 44.1 kHz: the right channel is empty above band 5, so
// bands 6 and up are intensity candidates, and band 10 carries the position
// under test. An illegal position (MPEG-1: 7, ISO/IEC 11172-3 2.4.3.4.9.3;
// MPEG-2: the largest value its slen codes, ISO/IEC 13818-3 2.4.3.2) leaves
// the band to M/S or plain L/R; the expected values follow the standards'
// formulas for the intensity ratios.

#include "decoder/Layer3Stereo.h"
#include "decoder/tables/Layer3Tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const double kPi = std::acos(-1.0);
constexpr int kBand = 10;

struct Case {
    const char* what;
    bool lsf;
    bool ms;
    int position;
    int illegal; // MPEG-2 only
    bool intensity;
};

// (left, right) gains of an intensity-coded band with value v on the left.
std::pair<double, double> IntensityGains(const Case& c) {
    if (!c.lsf) {
        const double ratio = std::tan(c.position * kPi / 12);
        return {ratio / (1 + ratio), 1 / (1 + ratio)};
    }
    const double io = std::pow(2.0, -0.25); // intensity_scale 0
    if (c.position % 2 == 1) return {std::pow(io, (c.position + 1) / 2), 1.0};
    return {1.0, std::pow(io, c.position / 2)};
}

TEST(Layer3Stereo, IllegalIntensityPositionsAreCodedAsPlainStereo) {
    const auto tables = std::make_unique<Layer3TableSet>();
    const Case cases[] = {
        {"MPEG-1 position 7, L/R", false, false, 7, 0, false},
        {"MPEG-1 position 7, M/S", false, true, 7, 0, false},
        {"MPEG-1 position 3", false, false, 3, 0, true},
        {"MPEG-1 position 6, M/S", false, true, 6, 0, true},
        {"MPEG-2 position 7 below 15", true, false, 7, 15, true},
        {"MPEG-2 position 15 of 15, M/S", true, true, 15, 15, false},
        {"MPEG-2 position 3 of 3", true, false, 3, 3, false},
    };
    const auto& starts = layer3::kBandStarts[0].longStart;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double left[576], right[576] = {};
        for (int i = 0; i < 576; ++i)
            left[i] = 0.5 + i / 1000.0;
        for (int i = 0; i < starts[6]; ++i)
            right[i] = 0.25;
        Layer3SideInfo::Granule granule;
        Layer3ScaleFactors sf;
        sf.longBand[kBand] = uint8_t(c.position);
        sf.longIllegal[kBand] = uint8_t(c.illegal);
        int subbands[2] = {32, 2};
        Layer3Stereo::Process(*tables, {c.ms, true, c.lsf, 0}, granule, sf, left, right, subbands);

        const auto gains = IntensityGains(c);
        const double msGain = c.ms ? std::sqrt(2.0) : 1.0;
        for (int i = starts[kBand]; i < starts[kBand + 1]; ++i) {
            const double v = 0.5 + i / 1000.0;
            const double l = c.intensity ? v * gains.first * msGain : v;
            const double r = c.intensity ? v * gains.second * msGain : (c.ms ? v : 0.0);
            EXPECT_NEAR(left[i], l, 1e-12) << "line " << i;
            EXPECT_NEAR(right[i], r, 1e-12) << "line " << i;
        }
    }
}

} // namespace
