#include "decoder/Layer3SideInfo.h"

#include "decoder/MpegBitReader.h"
#include "decoder/tables/Layer3Tables.h"

#include <algorithm>

namespace {
// ISO/IEC 11172-3 2.4.3.4.4: big_values counts pairs of the 576 lines.
constexpr int kMaxBigValues = 288;
} // namespace

Layer3SideInfo::Result Layer3SideInfo::Parse(MpegBitReader& bits, bool lsf, int channelCount,
                                             int sampleRateIndex) {
    channels = channelCount;
    granules = lsf ? 1 : 2;
    if (lsf) {
        mainDataBegin = static_cast<int>(bits.Read(8));
        bits.Skip(channels == 1 ? 1 : 2); // private bits
    } else {
        mainDataBegin = static_cast<int>(bits.Read(9));
        bits.Skip(channels == 1 ? 5 : 3);
    }
    std::array<int, 2> scfsi{-1, -1};
    if (!lsf)
        for (int ch = 0; ch < channels; ++ch)
            scfsi[ch] = static_cast<int>(bits.Read(4));

    const auto& longStart = layer3::kBandStarts[sampleRateIndex].longStart;
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            Granule& g = granule[gr][ch];
            g.part23Length = static_cast<int>(bits.Read(12));
            g.bigValues = static_cast<int>(bits.Read(9));
            g.globalGain = static_cast<int>(bits.Read(8));
            g.scalefacCompress = static_cast<int>(bits.Read(lsf ? 9 : 4));
            g.windowSwitching = bits.Read(1) != 0;
            if (g.windowSwitching) {
                g.blockType = static_cast<int>(bits.Read(2));
                g.mixedBlock = bits.Read(1) != 0;
                g.tableSelect[0] = static_cast<int>(bits.Read(5));
                g.tableSelect[1] = static_cast<int>(bits.Read(5));
                g.tableSelect[2] = 0;
                for (int w = 0; w < 3; ++w)
                    g.subblockGain[w] = static_cast<int>(bits.Read(3));
                // ISO/IEC 11172-3 2.4.2.7: block_type 0 is forbidden when
                // window switching is on. MPEG-2 streams are let through, as
                // their decoders customarily do.
                if (g.blockType == 0 && !lsf) return Result::Corrupt;
                // Region boundaries implied by window switching: region 2 is
                // empty; region 1 starts at 36 lines (MPEG-1), or in MPEG-2/2.5
                // at 36 lines for short blocks and 54 for the others, doubled at
                // 8 kHz where the bands are twice as wide.
                if (!lsf)
                    g.region1Start = 36;
                else
                    g.region1Start = (g.blockType == 2 ? 36 : 54) * (sampleRateIndex == 8 ? 2 : 1);
                g.region2Start = 576;
            } else {
                g.blockType = 0;
                g.mixedBlock = false;
                for (int r = 0; r < 3; ++r)
                    g.tableSelect[r] = static_cast<int>(bits.Read(5));
                g.subblockGain = {0, 0, 0};
                const int region0Count = static_cast<int>(bits.Read(4));
                const int region1Count = static_cast<int>(bits.Read(3));
                g.region1Start = longStart[std::min(region0Count + 1, 22)];
                g.region2Start = longStart[std::min(region0Count + region1Count + 2, 22)];
            }
            if (lsf) {
                // ISO/IEC 13818-3 2.4.3.2: preflag is implied by the third slen
                // table, which only the non-intensity-coded channel can select.
                g.preflag = false;
            } else {
                g.preflag = bits.Read(1) != 0;
            }
            g.scalefacScale = bits.Read(1) != 0;
            g.count1TableB = bits.Read(1) != 0;
            g.scfsi = gr == 1 ? scfsi[ch] : -1;
            if (g.bigValues > kMaxBigValues) return Result::Corrupt;
            const int bigLines = g.bigValues * 2;
            g.region1Start = std::min(g.region1Start, bigLines);
            g.region2Start = std::min(std::max(g.region2Start, g.region1Start), bigLines);
        }
    }
    return Result::Ok;
}
