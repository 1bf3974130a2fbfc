#pragma once

#include <array>
#include <cstdint>

class MpegBitReader;

// Side information of one Layer III frame (ISO/IEC 11172-3 2.4.1.7 and 2.4.2.7;
// ISO/IEC 13818-3 2.4.1.7 for the one-granule MPEG-2/2.5 form), parsed and
// checked, with the region boundaries already turned into spectral lines.
struct Layer3SideInfo {
    struct Granule {
        int part23Length = 0;     // bits of scale factors and Huffman data
        int bigValues = 0;        // pairs, 0..288
        int globalGain = 0;       // 0..255
        int scalefacCompress = 0; // 4 bits (MPEG-1) or 9 bits (MPEG-2)
        bool windowSwitching = false;
        int blockType = 0; // 0 normal, 1 start, 2 short, 3 stop
        bool mixedBlock = false;
        std::array<int, 3> tableSelect{};
        std::array<int, 3> subblockGain{};
        int region1Start = 0; // spectral lines, each <= bigValues * 2
        int region2Start = 0;
        bool preflag = false;
        bool scalefacScale = false;
        bool count1TableB = false;
        int scfsi = -1; // MPEG-1 second granule: 4 bits; else -1
    };

    enum class Result { Ok, Corrupt };

    int mainDataBegin = 0;
    int granules = 0; // 2 (MPEG-1) or 1
    int channels = 0;
    std::array<std::array<Granule, 2>, 2> granule; // [granule][channel]

    // Side-information size in bytes: MPEG-1 17 (mono) / 32, MPEG-2 9 / 17.
    static int SizeBytes(bool lsf, int channels) {
        return lsf ? (channels == 1 ? 9 : 17) : (channels == 1 ? 17 : 32);
    }

    // Parses from `bits` (positioned at the side information). sampleRateIndex
    // 0..8 selects the band table used for the region boundaries.
    Result Parse(MpegBitReader& bits, bool lsf, int channelCount, int sampleRateIndex);
};
