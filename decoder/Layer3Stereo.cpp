#include "decoder/Layer3Stereo.h"

#include "decoder/CpuDispatch.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

bool RunHasValues(const Layer3TableSet::BandLayout& layout, const Layer3TableSet::BandRun& run,
                  const double* values) {
    for (int i = run.start; i < run.start + run.width; ++i)
        if (values[layout.reorder[i]] != 0.0) return true;
    return false;
}

TONEHALL_INLINE void MidSideBody(double* left, double* right, int end) {
    for (int i = 0; i < end; ++i) {
        const double m = left[i], s = right[i];
        left[i] = m + s;
        right[i] = m - s;
    }
}

// The two builds (CpuDispatch.h) of the loop that most joint-stereo granules
// spend their stereo time in.
TONEHALL_GENERIC_KERNEL void MidSideGeneric(double* left, double* right, int end) {
    MidSideBody(left, right, end);
}

TONEHALL_AVX2_KERNEL void MidSideAvx2(double* left, double* right, int end) {
    MidSideBody(left, right, end);
}

void MidSide(double* left, double* right, int end) {
    if (CpuDispatch::UseAvx2())
        MidSideAvx2(left, right, end);
    else
        MidSideGeneric(left, right, end);
}

} // namespace

void Layer3Stereo::Process(const Layer3TableSet& tables, const Frame& frame,
                           const Layer3SideInfo::Granule& rightGranule,
                           const Layer3ScaleFactors& sf, double* left, double* right,
                           int (&subbands)[2]) {
    const int limit = std::max(subbands[0], subbands[1]);
    subbands[0] = subbands[1] = limit;
    if (!frame.intensityStereo) {
        if (frame.msStereo) MidSide(left, right, limit * 18);
        return;
    }

    const Layer3TableSet::BlockKind kind =
        rightGranule.blockType != 2 ? Layer3TableSet::BlockKind::Long
        : rightGranule.mixedBlock   ? Layer3TableSet::BlockKind::Mixed
                                    : Layer3TableSet::BlockKind::Short;
    const Layer3TableSet::BandLayout& layout =
        tables.layouts[frame.sampleRateIndex][static_cast<int>(kind)];

    // The intensity-coded bands are those above the right channel's last
    // non-zero band: for long blocks one bound, for short blocks one per window;
    // the long part of a mixed block only when no short band holds values.
    std::array<int, 4> lastNonZero{-1, -1, -1, -1}; // run index per window (3 = long)
    for (int r = 0; r < layout.count; ++r)
        if (RunHasValues(layout, layout.runs[r], right)) lastNonZero[layout.runs[r].window] = r;
    const bool shortHasValues = lastNonZero[0] >= 0 || lastNonZero[1] >= 0 || lastNonZero[2] >= 0;

    const double msCompensation = frame.msStereo ? std::sqrt(2.0) : 1.0;
    const int intensityScale = rightGranule.scalefacCompress & 1;
    for (int r = 0; r < layout.count; ++r) {
        int position = 0;
        const Layer3TableSet::BandRun& run = layout.runs[r];
        bool intensity = r > lastNonZero[run.window];
        if (run.window == 3 && kind == Layer3TableSet::BlockKind::Mixed && shortHasValues)
            intensity = false;
        if (intensity) {
            // The top band (long 21, short 12) carries no scale factor. It
            // takes the position of the band below it; in MPEG-2, only when
            // that band is intensity-coded itself, and position 0 otherwise
            // (this is what the MPEG-2 intensity-stereo compliance streams
            // l3-test45/46 are decoded with, to full accuracy).
            const bool top = run.window == 3 ? run.band == 21 : run.band == 12;
            const int below = r - (run.window == 3 ? 1 : 3);
            const bool belowIsIntensity = below > lastNonZero[run.window];
            if (top && frame.lsf && !belowIsIntensity) {
                position = 0;
            } else {
                int illegal = 7;
                if (run.window == 3) {
                    const int band = std::min<int>(run.band, 20);
                    position = sf.longBand[band];
                    if (frame.lsf) illegal = sf.longIllegal[band];
                } else {
                    const int band = std::min<int>(run.band, 11);
                    position = sf.shortBand[band][run.window];
                    if (frame.lsf) illegal = sf.shortIllegal[band];
                }
                // MPEG-1 codes is_pos 0..6 and 7 marks a band coded as plain
                // stereo; larger values, which the standard leaves undefined,
                // are read so too. MPEG-2 marks it with the largest value the
                // band's slen can code (ISO/IEC 13818-3 2.4.3.2).
                if (frame.lsf ? position == illegal : position >= 7) intensity = false;
            }
        }
        if (!intensity) {
            if (frame.msStereo)
                for (int i = run.start; i < run.start + run.width; ++i) {
                    const int k = layout.reorder[i];
                    const double m = left[k], s = right[k];
                    left[k] = m + s;
                    right[k] = m - s;
                }
            continue;
        }
        const std::array<double, 2>& factors = frame.lsf
                                                   ? tables.intensityMpeg2[intensityScale][position]
                                                   : tables.intensityMpeg1[position];
        const double kl = factors[0] * msCompensation, kr = factors[1] * msCompensation;
        for (int i = run.start; i < run.start + run.width; ++i) {
            const int k = layout.reorder[i];
            const double v = left[k];
            left[k] = v * kl;
            right[k] = v * kr;
        }
    }
}
