// ISO 8601 dates as tags carry them (TDRC, TDOR, TDRL ...) over arbitrary
// UTF-8 text. A refused text leaves the number alone; an accepted one is a
// date of the years 0 to 9999 whose formatted text parses back to itself.
#include "ZrCoreLib/ZrDateTime.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256) return 0;
    const ZrString text = ZrString::FromUtf8(reinterpret_cast<const char*>(data), int(size));
    constexpr double kUntouched = -1e300;
    double date = kUntouched;
    if (!ZrDateTime::ParseIso8601(text, date)) {
        Check(date == kUntouched);
        return 0;
    }
    Check(std::isfinite(date));
    const ZrString formatted = ZrDateTime::FormatDate(date);
    Check(!formatted.IsEmpty());
    double again = kUntouched;
    Check(ZrDateTime::ParseIso8601(formatted, again));
    Check(ZrDateTime::FormatDate(again) == formatted);
    Check(ZrDateTime::IsYearOnly(again) == ZrDateTime::IsYearOnly(date));
    Check(ZrDateTime::HasRealTime(again) == ZrDateTime::HasRealTime(date));
    return 0;
}
