#pragma once

#include <cstdint>

// One parsed MPEG audio frame header (ISO/IEC 11172-3 clause 2.4.2.3,
// ISO/IEC 13818-3 clause 2.4.2.3 and the MPEG-2.5 extension that reuses
// version bits 00), as the stream analysis reports it. A plain record:
// MpegStreamAnalysis fills it from the decoder's FrameHeader, the input
// source and the file information read it. All zero means "no frame".
struct MpegFrameInfo {
    int32_t bitrate = 0;              // kbit/s, from the bitrate table
    int32_t versionCode = 0;          // 10 MPEG-1, 20 MPEG-2, 25 MPEG-2.5
    int32_t layer = 0;                // 1..3
    int32_t sampleRate = 0;           // Hz
    int32_t channels = 0;             // 1 for single-channel mode, else 2
    int32_t channelMode = 0;          // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t samplesTimesChannels = 0; // samplesPerFrame * channels
    int32_t samplesPerFrame = 0;      // 384, 576 or 1152
    int32_t frameLength = 0;          // bytes including the header, without the padding byte
    uint8_t crcProtected = 0;         // 1 when the protection bit is 0: a 16-bit CRC follows
    uint8_t padding = 0;              // 1 when this frame carries one extra byte
    uint8_t privateBit = 0;
    uint8_t copyright = 0;
    uint8_t original = 0;
};
