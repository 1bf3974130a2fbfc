#pragma once

#include "decoder/Layer3HybridFilter.h"
#include "decoder/Layer3ScaleFactors.h"
#include "decoder/Layer3SideInfo.h"
#include "decoder/Layer3SpectrumDecoder.h"
#include "decoder/Layer3TableSet.h"

#include <cstdint>

struct MpegDecoderState;

// Layer III frame decoder (ISO/IEC 11172-3 clause 2.4.3.4; ISO/IEC 13818-3 for
// MPEG-2 and the MPEG-2.5 band layouts), created by the front end on the first
// Layer III frame and destroyed by ResetDecoder/FreeDecoder. It owns its tables
// and per-frame scratch; the bit reservoir, IMDCT overlap and synthesis
// history stay in the MpegDecoderState it points to.
class Layer3Decoder {
public:
    // Largest main data a frame can reach: 511 bytes of back step plus the
    // largest frame body.
    static constexpr int kMaxMainDataBytes = 511 + 2881;

    explicit Layer3Decoder(MpegDecoderState& state);

    // Decodes the frame whose body the front end has put in the current
    // reservoir buffer, with state.bits at its side information. Appends the
    // samples at output + bytesDone. Returns the number of clipped samples, 0
    // when the main data lies before the first frame seen (no samples), or -1
    // for a corrupt frame (samples of an earlier granule stay written).
    int32_t DecodeLayer3(uint8_t* output, int32_t& bytesDone);

private:
    MpegDecoderState& state_;
    Layer3TableSet tables_;
    Layer3SpectrumDecoder spectrumDecoder_;
    Layer3HybridFilter hybridFilter_;
    Layer3SideInfo sideInfo_;
    Layer3ScaleFactors scaleFactors_[2];
    alignas(16) double spectrum_[2][576];
    alignas(16) double subbandSamples_[2][18][32];
    uint8_t sideInfoBytes_[32 + 16];
    uint8_t mainData_[kMaxMainDataBytes + 16];
};
