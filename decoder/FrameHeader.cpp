#include "decoder/FrameHeader.h"

#include "decoder/tables/MpegHeaderTables.h"

bool DecodeFrameHeader(uint32_t word, FrameHeader& out) {
    // Version bits 00 MPEG-2.5, 01 reserved, 10 MPEG-2, 11 MPEG-1; layer bits
    // 01 Layer III, 10 Layer II, 11 Layer I, 00 reserved.
    const uint32_t versionBits = (word >> 19) & 3;
    const uint32_t layerBits = (word >> 17) & 3;
    const uint32_t bitrateIndex = (word >> 12) & 15;
    const uint32_t rateIndex = (word >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return false;

    FrameHeader h;
    h.lsf = versionBits == 3 ? 0 : 1;
    h.mpeg25 = versionBits == 0 ? 1 : 0;
    h.layer = 4 - static_cast<int32_t>(layerBits);
    h.errorProtection = ((word >> 16) & 1) == 0 ? 1 : 0;
    h.samplingIndex = (versionBits == 3   ? 0
                       : versionBits == 2 ? 3
                                          : 6) +
                      static_cast<int32_t>(rateIndex);
    h.padding = static_cast<int32_t>((word >> 9) & 1);
    h.extension = static_cast<int32_t>((word >> 8) & 1);
    h.mode = static_cast<int32_t>((word >> 6) & 3);
    h.modeExtension = static_cast<int32_t>((word >> 4) & 3);
    h.copyright = static_cast<int32_t>((word >> 3) & 1);
    h.original = static_cast<int32_t>((word >> 2) & 1);
    h.channels = h.mode == 3 ? 1 : 2;
    h.bitrate = kMpegBitrates[h.lsf][h.layer - 1][bitrateIndex];
    h.sampleRate = kMpegSampleRates[h.samplingIndex];
    // ISO/IEC 13818-3 clause 2.4.2.1: a Layer III frame of the lower sampling
    // frequencies holds one granule of 576 samples.
    h.samplesPerFrame = h.layer == 1 ? 384 : (h.layer == 3 && h.lsf != 0) ? 576 : 1152;
    // Clause 2.4.3.1: a frame carries bitrate x samples / rate bits. Layer I's
    // 4-byte slots are not modelled: its frames are only ever refused.
    h.frameLength = h.bitrate * h.samplesPerFrame * 125 / h.sampleRate;
    if (h.frameLength == 0) return false;
    out = h;
    return true;
}

bool IsAcceptableHeader(uint32_t word, int32_t version, int32_t layer, int32_t sampleRate,
                        FrameHeader& out) {
    FrameHeader h;
    if (!HasFrameSync(word) || !DecodeFrameHeader(word, h)) return false;
    if (VersionCode(h) != version || h.layer != layer || h.sampleRate != sampleRate) return false;
    out = h;
    return true;
}
