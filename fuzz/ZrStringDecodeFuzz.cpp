// Text decoders of ZrString over arbitrary bytes (tag frames arrive in any of
// these encodings). Checks that decoding stays in bounds and that the
// decoders agree with their own counting and round trips.
#include "ZrCoreLib/ZrString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    const int n = static_cast<int>(size);
    const char* bytes = reinterpret_cast<const char*>(data);

    const ZrString utf8 = ZrString::FromUtf8(bytes, n);
    if (utf8.GetLength() != ZrString::Utf8CharCount(bytes, n)) abort();
    if (utf8.GetLength() > n) abort();
    // Characters below U+10000 survive encoding and decoding unchanged, and
    // the decoder never produces anything above U+FFFF.
    const std::string encoded = utf8.ToUtf8();
    if (static_cast<int>(encoded.size()) != ZrString::Utf8Length(utf8, -1, false)) abort();
    if (ZrString::FromUtf8(encoded.c_str(), static_cast<int>(encoded.size())) != utf8) abort();

    const ZrString latin1 = ZrString::FromLatin1(bytes, n, false);
    if (latin1.GetLength() != n) abort();
    if (latin1.ToLatin1() != std::string(bytes, size)) abort();

    std::vector<uint16_t> units16(size / 2);
    if (!units16.empty()) memcpy(units16.data(), data, units16.size() * 2);
    const ZrString utf16 =
        ZrString::FromUtf16(units16.data(), static_cast<int>(units16.size()),
                            size > 0 && (data[0] & 1), size > 1 && (data[1] & 1));
    if (utf16.GetLength() > static_cast<int>(units16.size())) abort();

    std::vector<uint32_t> units32(size / 4);
    if (!units32.empty()) memcpy(units32.data(), data, units32.size() * 4);
    const ZrString utf32 = ZrString::FromUtf32(units32.data(), static_cast<int>(units32.size()));
    if (utf32.GetLength() > static_cast<int>(units32.size())) abort();

    bool ok = false;
    (void)utf8.ToInt(&ok);
    (void)utf8.ToDouble(&ok);
    return 0;
}
