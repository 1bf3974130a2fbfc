#pragma once

#include <cstdint>
#include <cstring>

// Most-significant-bit-first reader over a byte buffer that the owner pads with
// kPadding readable bytes past the data, so that one 64-bit load serves up to 57
// bits without a bounds check. Callers bound their loops by bit positions within
// the data; the padding absorbs the read-ahead of one Huffman pair or quadruple.
class Layer3BitReader {
public:
    static constexpr int kPadding = 16;

    Layer3BitReader(const uint8_t* data, int sizeBytes) : data_(data), sizeBits_(sizeBytes * 8) {}

    int Position() const { return pos_; }
    int SizeBits() const { return sizeBits_; }
    void SetPosition(int bitPos) { pos_ = bitPos < sizeBits_ ? bitPos : sizeBits_; }

    // The next 57 bits (at least) left-aligned in 64; past the data they are 0.
    uint64_t Window() const {
        const int byte = (pos_ < sizeBits_ ? pos_ : sizeBits_) >> 3;
        uint64_t v;
        std::memcpy(&v, data_ + byte, sizeof v);
        return __builtin_bswap64(v) << (pos_ & 7);
    }
    // n = 0..32
    uint32_t Read(int n) {
        if (n == 0) return 0;
        const uint32_t v = static_cast<uint32_t>(Window() >> (64 - n));
        pos_ += n;
        return v;
    }
    void Skip(int n) { pos_ += n; }

private:
    const uint8_t* data_;
    int sizeBits_;
    int pos_ = 0;
};
