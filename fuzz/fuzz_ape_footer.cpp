// libFuzzer target for the APE footer check: the input is the end of a file.
// An accepted footer never claims more than the largest tag the limits
// allow; a refused one leaves the outputs as they were.
#include "tags/CApeFooter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr uint64_t kUntouched = 0xDEADBEEF;
    uint64_t tagBytes = kUntouched;
    bool hasHeader = false;
    const size_t offset = size > CApeFooter::kSize ? size - CApeFooter::kSize : 0;
    const CApeFooter::Result result =
        CApeFooter::Parse(data + offset, size - offset, tagBytes, hasHeader);
    constexpr uint64_t kLargest = uint64_t(CApeFooter::kMaxItemsSize) + 3 * CApeFooter::kSize;
    if (result == CApeFooter::Result::Ok) {
        if (tagBytes < CApeFooter::kSize || tagBytes > kLargest) std::abort();
        if (!CApeFooter::HasPreamble(data + offset, size - offset)) std::abort();
    } else if (tagBytes != kUntouched || hasHeader) {
        std::abort();
    }
    return 0;
}
