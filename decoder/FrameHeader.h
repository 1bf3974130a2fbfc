#pragma once
// FrameHeader: one MPEG audio frame header (ISO/IEC 11172-3 clause 2.4.1.3,
// ISO/IEC 13818-3 clause 2.4.1.3, and the MPEG-2.5 extension that reuses
// version bits 00) with the values that follow from it. Everything that reads
// headers parses them here: the decoder front end and the layer decoders, the
// stream analysis, the benchmark and the tests. The header word is taken
// big-endian:
//
//   AAAAAAAA AAABBCCD EEEEFFGH IIJJKLMM
//   A sync, B version, C layer, D protection_bit, E bitrate_index,
//   F sampling_frequency, G padding, H private, I mode, J mode_extension,
//   K copyright, L original, M emphasis

#include <cstdint>

struct FrameHeader {
    int32_t channels;        // 1 for single-channel mode, else 2
    int32_t lsf;             // 1 for MPEG-2 and MPEG-2.5 (lower sampling frequencies)
    int32_t mpeg25;          // 1 for MPEG-2.5
    int32_t layer;           // 1..3
    int32_t errorProtection; // 1 when a 16-bit CRC word follows the header
    int32_t samplingIndex;   // 0..8 over kMpegSampleRates
    int32_t padding;         // 1 when the frame is one byte longer than frameLength
    int32_t extension;       // private bit
    int32_t mode;            // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t modeExtension;
    int32_t copyright;
    int32_t original;
    int32_t bitrate;         // kbit/s
    int32_t sampleRate;      // Hz
    int32_t samplesPerFrame; // 384, 576 or 1152
    int32_t frameLength;     // bytes, header included, padding byte not
};

inline uint32_t FrameHeaderWord(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

inline bool HasFrameSync(uint32_t word) {
    return (word & 0xFFE00000u) == 0xFFE00000u;
}

// Fills `out` from a header word; the sync bits are not tested. False, out
// untouched, for a reserved version, layer or sample-rate index and for
// bitrate index 0 (free format, not supported) or 15 (forbidden).
bool DecodeFrameHeader(uint32_t word, FrameHeader& out);

// 10 MPEG-1, 20 MPEG-2, 25 MPEG-2.5: how the stream's parameters name versions.
inline int32_t VersionCode(const FrameHeader& header) {
    return header.lsf == 0 ? 10 : header.mpeg25 != 0 ? 25 : 20;
}

// The decoder's synchronisation test against the stream parameters that the
// stream analysis found (version 10/20/25, layer 1..3, rate in Hz): sync bits
// set, DecodeFrameHeader succeeds, and version, layer and sample rate equal
// them. Mode, bitrate, padding and the CRC flag are free to change from frame
// to frame. `out` is filled when the header is acceptable.
bool IsAcceptableHeader(uint32_t word, int32_t version, int32_t layer, int32_t sampleRate,
                        FrameHeader& out);
inline bool IsAcceptableHeader(uint32_t word, int32_t version, int32_t layer, int32_t sampleRate) {
    FrameHeader unused;
    return IsAcceptableHeader(word, version, layer, sampleRate, unused);
}
