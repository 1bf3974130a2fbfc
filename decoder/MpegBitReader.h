#pragma once
// MpegBitReader: reads a frame most significant bit first from the current
// reservoir buffer of the decoder state. The reader does not own the buffer.
//
// The frame body ends at a limit; bits at or past it read as 0, so a frame
// whose allocations or Huffman data claim more bits than it holds decodes
// to garbage, never out of bounds. Positions are kept as bit offsets from the
// buffer's start and stay within [0, buffer size * 8].
//
// Layer III uses it as follows: after the side information the front end's
// BackStep (MpegDecoderState.h) moves the reader back by main_data_begin
// bytes; Position() marks the start of each granule's part 2/3 data, and
// SetPosition(start + part2_3_length) ends it, moving back if the Huffman
// decoder read ahead.

#include <cstdint>

class MpegBitReader {
public:
    // Reads start at byte `startByte` of `buffer`; bytes from `endByte` on read as 0.
    void Attach(const uint8_t* buffer, int32_t bufferSize, int32_t startByte, int32_t endByte);

    // 0..32 bits; 0 bits yields 0 and does not move.
    uint32_t GetBits(int32_t count) {
        if (count <= 0) return 0;
        const uint32_t value = Peek(count);
        Advance(count);
        return value;
    }
    uint32_t GetBit() {
        const int32_t byte = m_position >> 3;
        const uint32_t bit =
            byte < m_limitByte ? (m_buffer[byte] >> (7 - (m_position & 7))) & 1u : 0u;
        Advance(1);
        return bit;
    }
    // The next `count` (1..32) bits without moving. Inline with SetPosition:
    // Layer II reads every sample code through them.
    uint32_t Peek(int32_t count) const {
        if (count <= 0) return 0;
        count = count < 32 ? count : 32;
        // Five bytes cover 32 bits at any bit index.
        const int32_t first = m_position >> 3;
        uint64_t window = 0;
        if (first + 5 <= m_limitByte) {
            for (int32_t i = 0; i < 5; ++i)
                window = (window << 8) | m_buffer[first + i];
        } else {
            for (int32_t i = 0; i < 5; ++i) {
                const int32_t at = first + i;
                window = (window << 8) | (at < m_limitByte ? m_buffer[at] : 0u);
            }
        }
        const int32_t shift = 40 - (m_position & 7) - count;
        return static_cast<uint32_t>((window >> shift) & ((uint64_t{1} << count) - 1));
    }

    // Moves forwards or backwards; never in front of the buffer's start (the
    // bit index becomes 0 there) nor behind its end.
    void SkipBits(int32_t count) { SetPosition(static_cast<int64_t>(m_position) + count); }
    void SetPosition(int64_t bitPosition) {
        const int64_t end = static_cast<int64_t>(m_bufferSize) * 8;
        m_position = static_cast<int32_t>(bitPosition < 0     ? 0
                                          : bitPosition > end ? end
                                                              : bitPosition);
    }

    int32_t Position() const { return m_position; } // bits from the buffer's start
    int32_t BytePosition() const { return m_position >> 3; }
    int32_t BitIndex() const { return m_position & 7; } // 0..7
    int32_t LimitBits() const { return m_limitByte * 8; }
    int32_t BitsLeft() const { return m_limitByte * 8 - m_position; } // negative when overread

private:
    void Advance(int32_t count) { SetPosition(static_cast<int64_t>(m_position) + count); }

    const uint8_t* m_buffer;
    int32_t m_bufferSize;
    int32_t m_limitByte;
    int32_t m_position;
};
