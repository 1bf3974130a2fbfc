#pragma once

#include "ZrCoreLib/ZrString.h"

#include <cstdint>

// The Xing/Info header that encoders put into the first frame of a stream,
// together with the LAME extension that follows it: the 156 bytes from the
// start of the tag. Offsets are fixed from the tag, so the extension is found
// at the same place whichever optional Xing fields are present (the encoders
// that write it always reserve room for all of them). Owns a copy of the
// bytes; all zero means "no header".
class XingRecord {
public:
    static constexpr int kSize = 156;
    // Where the extension's version string starts ("LAME3.100", "FIIS...").
    static constexpr int kEncoderIdOffset = 120;
    // 12-bit delay and 12-bit padding, big-endian, packed into three bytes.
    static constexpr int kDelayPaddingOffset = 141;
    // Flag bit 0 of the big-endian word at offset 4: a frame count follows.
    static constexpr uint32_t kFlagFrameCount = 0x1;

    XingRecord();

    // Offset of the first "Xing" in data, else of the first "Info", else -1.
    static int FindTag(const uint8_t* data, int length);

    // Copies kSize bytes; the caller guarantees that many are readable.
    void Assign(const uint8_t* bytes);
    void Clear();

    bool IsXing() const;
    bool IsInfo() const;
    uint32_t GetFlags() const;
    // The frame count when flag bit 0 is set and the count is 1..INT32_MAX,
    // else -1 (a larger count cannot be meant: frame positions are 32-bit).
    int32_t GetFrameCount() const;

    // The four bytes at kEncoderIdOffset up to the first zero byte, cut before
    // the first byte below 20 or above 125 (they name an encoder in ASCII).
    ZrString GetEncoderId() const;
    // Only these two encoders' extensions carry the delay and padding fields.
    bool HasGaplessInfo() const;
    // Samples the encoder put in front of the audio (0..4095).
    int32_t GetEncoderDelay() const;
    // Samples the encoder appended behind the audio (0..4095).
    int32_t GetEncoderPadding() const;

private:
    bool TagIs(const char* tag) const;

    uint8_t m_bytes[kSize];
};
