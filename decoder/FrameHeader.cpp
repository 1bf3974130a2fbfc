#include "decoder/FrameHeader.h"

#include "decoder/tables/MpegHeaderTables.h"

namespace {

// Version bits 20-19: 00 MPEG-2.5, 01 reserved, 10 MPEG-2, 11 MPEG-1.
int32_t VersionBits(int32_t version) {
    switch (version) {
    case 10:
        return 3;
    case 20:
        return 2;
    case 25:
        return 0;
    default:
        return -1;
    }
}

// Offset of a version's three rates in kMpegSampleRates.
int32_t RateBase(uint32_t versionBits) {
    return versionBits == 3 ? 0 : versionBits == 2 ? 3 : 6;
}

} // namespace

bool IsAcceptableHeader(uint32_t header, int32_t version, int32_t layer, int32_t sampleRate) {
    if ((header & 0xFFE00000u) != 0xFFE00000u) return false;
    const int32_t versionBits = VersionBits(version);
    if (versionBits < 0 || static_cast<int32_t>((header >> 19) & 3) != versionBits) return false;
    if (layer < 1 || layer > 3 || static_cast<int32_t>((header >> 17) & 3) != 4 - layer)
        return false;
    const uint32_t bitrateIndex = (header >> 12) & 15;
    if (bitrateIndex == 0 || bitrateIndex == 15) return false;
    const uint32_t rateIndex = (header >> 10) & 3;
    if (rateIndex == 3) return false;
    return kMpegSampleRates[RateBase(versionBits) + rateIndex] == sampleRate;
}

void DecodeFrameHeader(uint32_t header, FrameHeader& out) {
    const uint32_t versionBits = (header >> 19) & 3;
    out.lsf = versionBits == 3 ? 0 : 1;
    out.mpeg25 = versionBits == 0 ? 1 : 0;
    out.layer = 4 - static_cast<int32_t>((header >> 17) & 3); // 00 (reserved) reads as 4
    out.errorProtection = ((header >> 16) & 1) == 0 ? 1 : 0;
    out.bitrateIndex = static_cast<int32_t>((header >> 12) & 15);
    const int32_t rateIndex = static_cast<int32_t>((header >> 10) & 3);
    out.samplingIndex = rateIndex == 3 ? -1 : RateBase(versionBits) + rateIndex;
    out.padding = static_cast<int32_t>((header >> 9) & 1);
    out.extension = static_cast<int32_t>((header >> 8) & 1);
    out.mode = static_cast<int32_t>((header >> 6) & 3);
    out.modeExtension = static_cast<int32_t>((header >> 4) & 3);
    out.copyright = static_cast<int32_t>((header >> 3) & 1);
    out.original = static_cast<int32_t>((header >> 2) & 1);
    out.emphasis = static_cast<int32_t>(header & 3);
    out.channels = out.mode == 3 ? 1 : 2;
    out.channelSelection = -1;
}

int32_t FrameBitrate(const FrameHeader& header) {
    if (header.layer < 1 || header.layer > 3 || header.bitrateIndex < 0 || header.bitrateIndex > 14)
        return 0;
    return kMpegBitrates[header.lsf][header.layer - 1][header.bitrateIndex];
}
