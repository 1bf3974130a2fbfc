#pragma once
// MpegBitReader: reads frame data most significant bit first. The front end
// keeps one over the current reservoir buffer (MpegDecoderState::bits); the
// layer decoders copy it, or make one over a padded copy of the side
// information or main data, so that their loops keep the position in a
// register, and hand the front end's reader the position they end at.
//
// The owner keeps kPadding zero bytes readable behind the data, so one
// unaligned 64-bit load serves up to 57 bits without a bounds check, and bits
// at or past the end read as 0: a frame whose allocations or Huffman data
// claim more bits than it holds decodes to garbage, never out of bounds.
// Positions are bits from the start of the data. SetPosition keeps them
// within the data (in front of its start the bit index becomes 0); Skip does
// not clamp, for the Huffman loops, and Window clamps its load instead.

#include <cstdint>
#include <cstring>

class MpegBitReader {
public:
    static constexpr int32_t kPadding = 16;

    MpegBitReader() = default;
    MpegBitReader(const uint8_t* data, int32_t sizeBytes)
        : data_(data), sizeBits_(sizeBytes > 0 ? sizeBytes * 8 : 0), pos_(0) {}

    int32_t Position() const { return pos_; }
    int32_t BytePosition() const { return pos_ >> 3; }
    int32_t SizeBits() const { return sizeBits_; }
    void SetPosition(int64_t bitPos) {
        pos_ = static_cast<int32_t>(bitPos < 0 ? 0 : bitPos < sizeBits_ ? bitPos : sizeBits_);
    }

    // The next 57 bits (at least) left-aligned in 64; past the data they are 0.
    uint64_t Window() const {
        const int32_t byte = (pos_ < sizeBits_ ? pos_ : sizeBits_) >> 3;
        uint64_t v;
        std::memcpy(&v, data_ + byte, sizeof v);
        return __builtin_bswap64(v) << (pos_ & 7);
    }
    // n = 0..32; 0 yields 0 and does not move.
    uint32_t Read(int32_t n) {
        if (n == 0) return 0;
        const uint32_t v = static_cast<uint32_t>(Window() >> (64 - n));
        pos_ += n;
        return v;
    }
    void Skip(int32_t n) { pos_ += n; }

private:
    // No initialisers: the decoder state that holds one is cleared byte-wise.
    const uint8_t* data_;
    int32_t sizeBits_;
    int32_t pos_;
};
