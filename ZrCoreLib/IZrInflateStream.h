#pragma once

#include <cstdint>

// One inflation (zlib format) in progress, made by IZrDecompressor slot 3
// and handed back through its slot 1.
class IZrInflateStream {
public:
    enum Result : int {
        kError = -1,    // damaged or truncated data; the stream is finished
        kStreamEnd = 0, // the compressed stream is complete
        kMore = 1,      // output space ran out, or more input is needed
    };

    // Slot 0: inflates from `in` into `out`. `consumed` and `produced`
    // receive the bytes taken and written by this call. Call again with the
    // rest of the input and fresh output space while the answer is kMore.
    virtual int Inflate(const uint8_t* in, uint32_t inSize, uint32_t* consumed, uint8_t* out,
                        uint32_t outCapacity, uint32_t* produced) = 0;

protected:
    ~IZrInflateStream() = default;
};
