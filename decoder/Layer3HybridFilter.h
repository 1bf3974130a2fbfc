#pragma once

#include "decoder/Layer3SideInfo.h"
#include "decoder/Layer3TableSet.h"

// The hybrid filterbank of one channel and granule (ISO/IEC 11172-3 2.4.3.4.9
// to 2.4.3.4.10): alias reduction, IMDCT (36-point for long blocks, three
// 12-point for short ones, long for the two lowest subbands of mixed blocks),
// windowing by block type, overlap-add with the previous granule, and the
// inversion of odd subbands' odd samples that the polyphase filterbank expects
// (folded into the windows: the overlap of odd subbands is kept inverted).
class Layer3HybridFilter {
public:
    explicit Layer3HybridFilter(const Layer3TableSet& tables) : tables_(tables) {}

    // spectrum: 576 values in hybrid order, changed in place (alias reduction);
    // subbands: how many from 0 can be non-zero. overlap: 576 values carried
    // between granules, time slot major (32 * n + sb) so that neighbouring
    // subbands lie side by side, as in `out`: 18 time slots x 32 subbands.
    void Process(const Layer3SideInfo::Granule& granule, double* spectrum, int subbands,
                 double* overlap, double (*out)[32]) const;

private:
    const Layer3TableSet& tables_;
};
