#pragma once

#include "decoder/Layer3SideInfo.h"

#include <array>
#include <cstdint>

class MpegBitReader;
class Layer3TableSet;

// The scale factors of one channel in one granule (ISO/IEC 11172-3 2.4.1.7 and
// 2.4.2.7; ISO/IEC 13818-3 2.4.3.2). Kept per channel across the two granules of
// an MPEG-1 frame, since scfsi lets the second granule reuse the first's. The
// bands above the last coded one (long 21, short 12) stay 0.
struct Layer3ScaleFactors {
    std::array<uint8_t, 22> longBand{};
    std::array<std::array<uint8_t, 3>, 13> shortBand{};
    // MPEG-2 intensity-coded right channel: per band the is_pos that is illegal
    // (the largest value its slen can code), ISO/IEC 13818-3 2.4.3.2.
    std::array<uint8_t, 22> longIllegal{};
    std::array<uint8_t, 13> shortIllegal{};

    // MPEG-1: slen1/slen2 from scalefac_compress, with scfsi reuse for long blocks.
    void ReadMpeg1(MpegBitReader& bits, const Layer3SideInfo::Granule& granule);

    // MPEG-2/2.5 from the slen tables; intensityRight selects the variant for the
    // right channel of an intensity-stereo frame. Returns the implied preflag.
    bool ReadLsf(MpegBitReader& bits, const Layer3SideInfo::Granule& granule, bool intensityRight,
                 const Layer3TableSet& tables);
};
