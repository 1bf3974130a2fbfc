#include "decoder/Layer3ScaleFactors.h"

#include "decoder/Layer3TableSet.h"
#include "decoder/MpegBitReader.h"
#include "decoder/tables/Layer3Tables.h"

void Layer3ScaleFactors::ReadMpeg1(MpegBitReader& bits, const Layer3SideInfo::Granule& granule) {
    const int slen1 = layer3::kSlenMpeg1[granule.scalefacCompress][0];
    const int slen2 = layer3::kSlenMpeg1[granule.scalefacCompress][1];
    if (granule.blockType == 2) {
        // Short blocks never reuse scale factors; mixed blocks code long bands
        // 0..7, then short bands 3..11, all bands below 6 with slen1.
        int firstShort = 0;
        if (granule.mixedBlock) {
            for (int b = 0; b < 8; ++b)
                longBand[b] = static_cast<uint8_t>(bits.Read(slen1));
            firstShort = 3;
        }
        for (int b = firstShort; b < 12; ++b) {
            const int slen = b < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; ++w)
                shortBand[b][w] = static_cast<uint8_t>(bits.Read(slen));
        }
        shortBand[12] = {0, 0, 0};
        return;
    }
    // scfsi bit 3 covers bands 0..5, bit 2 6..10, bit 1 11..15, bit 0 16..20;
    // a set bit keeps the first granule's values.
    for (int group = 0; group < 4; ++group) {
        if (granule.scfsi >= 0 && (granule.scfsi >> (3 - group)) & 1) continue;
        const int slen = group < 2 ? slen1 : slen2;
        for (int b = layer3::kScfsiBands[group]; b < layer3::kScfsiBands[group + 1]; ++b)
            longBand[b] = static_cast<uint8_t>(bits.Read(slen));
    }
    longBand[21] = 0;
}

bool Layer3ScaleFactors::ReadLsf(MpegBitReader& bits, const Layer3SideInfo::Granule& granule,
                                 bool intensityRight, const Layer3TableSet& tables) {
    const Layer3TableSet::LsfScaleFactorLength& lengths =
        intensityRight ? tables.lsfIntensityLengths[granule.scalefacCompress >> 1]
                       : tables.lsfLengths[granule.scalefacCompress];
    const int kind = granule.blockType == 2 ? (granule.mixedBlock ? 2 : 1) : 0;
    const uint8_t* counts = layer3::kScaleFactorPartitions[lengths.table][kind];

    // The partitions run through the bands in order: long bands first (all of
    // them, or 0..5 of a mixed block), then short bands window by window.
    const int longCount = kind == 0 ? 21 : kind == 2 ? 6 : 0;
    const int shortFirst = kind == 2 ? 3 : 0;
    int index = 0;
    for (int part = 0; part < 4; ++part) {
        const int slen = lengths.slen[part];
        const uint8_t illegal = static_cast<uint8_t>((1 << slen) - 1);
        for (int n = 0; n < counts[part]; ++n, ++index) {
            const uint8_t value = static_cast<uint8_t>(bits.Read(slen));
            if (index < longCount) {
                longBand[index] = value;
                longIllegal[index] = illegal;
            } else {
                const int s = index - longCount;
                const int band = shortFirst + s / 3;
                if (band < 12) {
                    shortBand[band][s % 3] = value;
                    shortIllegal[band] = illegal;
                }
            }
        }
    }
    longBand[21] = 0;
    shortBand[12] = {0, 0, 0};
    return lengths.table == 2;
}
