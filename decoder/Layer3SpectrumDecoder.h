#pragma once

#include "decoder/Layer3ScaleFactors.h"
#include "decoder/Layer3SideInfo.h"
#include "decoder/Layer3TableSet.h"

class MpegBitReader;

// Huffman decoding and requantisation of one granule of one channel
// (ISO/IEC 11172-3 2.4.3.4.5 to 2.4.3.4.7, with the short-block reordering of
// 2.4.3.4.8): 576 values in the subband-major order the hybrid filterbank
// reads, sb * 18 + k for long subbands and sb * 18 + window * 6 + k for short ones.
class Layer3SpectrumDecoder {
public:
    enum class Result { Ok, Corrupt };

    explicit Layer3SpectrumDecoder(const Layer3TableSet& tables) : tables_(tables) {}

    // Decodes the Huffman data from the reader's position up to endBit (the
    // end of the granule's part 2/3 data; clamped by the caller to the data
    // held), scales it and writes 576 values to `out`. `subbands` receives how
    // many subbands (from 0) can hold non-zero values. Corrupt when non-zero
    // values would lie past line 576.
    Result Decode(MpegBitReader& bits, int endBit, const Layer3SideInfo::Granule& granule,
                  const Layer3ScaleFactors& scaleFactors, bool preflag, bool msStereo,
                  int sampleRateIndex, double* out, int& subbands);

private:
    const Layer3TableSet& tables_;
    alignas(16) double scratch_[576 + 4];
};
