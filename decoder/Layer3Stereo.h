#pragma once

#include "decoder/Layer3ScaleFactors.h"
#include "decoder/Layer3SideInfo.h"
#include "decoder/Layer3TableSet.h"

// Joint-stereo processing of one granule on the two requantised spectra in
// hybrid order: M/S (ISO/IEC 11172-3 2.4.3.4.9.2) and intensity stereo, by the
// MPEG-1 rules (2.4.3.4.9.3) or those of ISO/IEC 13818-3 2.4.3.2.
class Layer3Stereo {
public:
    struct Frame {
        bool msStereo;
        bool intensityStereo;
        bool lsf;
        int sampleRateIndex;
    };

    // `left`, `right`: 576 values each; `subbands` the non-zero subband counts,
    // both set to the larger afterwards. The 1/sqrt(2) of M/S is already in the
    // requantisation gain, so M/S here is a plain sum and difference.
    static void Process(const Layer3TableSet& tables, const Frame& frame,
                        const Layer3SideInfo::Granule& rightGranule,
                        const Layer3ScaleFactors& rightScaleFactors, double* left, double* right,
                        int (&subbands)[2]);
};
