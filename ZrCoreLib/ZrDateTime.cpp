#include "ZrCoreLib/ZrDateTime.h"

#include <cmath>
#include <cwctype>

namespace {

constexpr double kEpsilon = 1.1574074074074073e-7;      // 0.01 s in days
constexpr double kOneSecond = 1.1574074074074073e-5;    // 1 s
constexpr double kMarkFullDate = 1.1574074074074074e-6; // 0.1 s: a full date on 1 January
constexpr double kMarkMidnight = 2.3148148148148148e-6; // 0.2 s: an explicit 00:00:00
// Years 0 to 9999 as date numbers; beyond them the text forms stop being ISO.
constexpr double kMinDate = -693959.0;
constexpr double kMaxDate = 2958466.0;

// Days from 1970-01-01 of a proleptic Gregorian date (the era arithmetic of
// the civil calendar: 400-year cycles of 146097 days).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (long long)doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = (long long)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(y + (month <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly n decimal digits.
bool Digits(const wchar_t*& p, int n, int& value) {
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < L'0' || p[i] > L'9') return false;
        value = value * 10 + (p[i] - L'0');
    }
    p += n;
    return true;
}

bool SkipZone(const wchar_t*& p) {
    if (*p == L'Z') {
        ++p;
        return true;
    }
    if (*p == L'+' || *p == L'-') {
        ++p;
        int hh = 0, mm = 0;
        if (!Digits(p, 2, hh)) return false;
        if (*p == L':') ++p;
        if (*p >= L'0' && *p <= L'9' && !Digits(p, 2, mm)) return false;
        return hh < 24 && mm < 60;
    }
    return true;
}

} // namespace

double ZrDateTime::FromCivil(int year, int month, int day) {
    return double(DaysFromCivil(year, unsigned(month), unsigned(day)) - kEpochOffset);
}

void ZrDateTime::ToCivil(double date, int& year, int& month, int& day) {
    CivilFromDays((long long)std::floor(date) + kEpochOffset, year, month, day);
}

bool ZrDateTime::HasRealTime(double date) {
    const double f = date - std::floor(date);
    if (f < kEpsilon || f > 1.0 - kEpsilon) return false;
    return f > kOneSecond || std::fabs(f - kMarkMidnight) <= kEpsilon;
}

bool ZrDateTime::IsYearOnly(double date) {
    if (!std::isfinite(date) || date < kMinDate || date >= kMaxDate) return false;
    int y, m, d;
    ToCivil(date, y, m, d);
    if (m != 1 || d != 1 || HasRealTime(date)) return false;
    const double f = date - std::floor(date);
    const bool fullDateMark =
        f >= kEpsilon && f <= 1.0 - kEpsilon && std::fabs(f - kMarkFullDate) <= kEpsilon;
    return !fullDateMark;
}

ZrString ZrDateTime::FormatDate(double date) {
    if (!std::isfinite(date) || date < kMinDate || date >= kMaxDate) return ZrString();
    int y, m, d;
    ToCivil(date, y, m, d);
    if (HasRealTime(date)) {
        const double f = date - std::floor(date);
        long long secs = std::llround(f * 86400.0);
        if (secs >= 86400) {
            // Rounding reached the next midnight.
            ToCivil(std::floor(date) + 1.0, y, m, d);
            secs -= 86400;
        }
        const int hh = int(secs / 3600), mi = int(secs / 60 % 60), ss = int(secs % 60);
        return ZrString::Format(L"%04d-%02d-%02dT%02d:%02d:%02d%s", y, m, d, hh, mi, ss, L"");
    }
    // Four digits, as the parser wants them: a year before 1000 must read back.
    if (IsYearOnly(date)) return ZrString::Format(L"%04d", y);
    return ZrString::Format(L"%04d-%02d-%02d", y, m, d);
}

bool ZrDateTime::ParseIso8601(const ZrString& text, double& date) {
    const wchar_t* p = text.c_str();
    while (std::iswspace(wint_t(*p)))
        ++p;
    int year = 0, month = 1, day = 1;
    if (!Digits(p, 4, year)) return false;
    bool hasMonth = false, hasDay = false;
    if (*p == L'-') {
        ++p;
        if (!Digits(p, 2, month)) return false;
        hasMonth = true;
        if (*p == L'-') {
            ++p;
            if (!Digits(p, 2, day)) return false;
            hasDay = true;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    double fraction = 0.0;
    if (hasDay && (*p == L'T' || *p == L' ') && p[1] >= L'0' && p[1] <= L'9') {
        ++p;
        int hh = 0, mi = 0, ss = 0;
        if (!Digits(p, 2, hh)) return false;
        if (*p == L':') {
            ++p;
            if (!Digits(p, 2, mi)) return false;
            if (*p == L':') {
                ++p;
                if (!Digits(p, 2, ss)) return false;
                if (*p == L'.' || *p == L',') {
                    ++p;
                    while (*p >= L'0' && *p <= L'9')
                        ++p;
                }
            }
        }
        if (hh > 23 || mi > 59 || ss > 59 || !SkipZone(p)) return false;
        const int secs = hh * 3600 + mi * 60 + ss;
        fraction = secs == 0 ? kMarkMidnight : secs / 86400.0;
    } else if (hasMonth && month == 1 && day == 1) {
        fraction = kMarkFullDate;
    }
    while (std::iswspace(wint_t(*p)))
        ++p;
    if (*p != 0) return false;
    date = FromCivil(year, month, day) + fraction;
    return true;
}
