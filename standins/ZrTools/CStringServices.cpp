#include "standins/ZrTools/CStringServices.h"

#include <cwctype>

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Compares the digit runs at *a and *b by value and moves both behind them.
int CompareNumbers(const wchar_t*& a, const wchar_t*& b) {
    while (*a == L'0' && IsDigit(a[1]))
        ++a;
    while (*b == L'0' && IsDigit(b[1]))
        ++b;
    const wchar_t* startA = a;
    const wchar_t* startB = b;
    while (IsDigit(*a))
        ++a;
    while (IsDigit(*b))
        ++b;
    if (a - startA != b - startB) return a - startA < b - startB ? -1 : 1;
    for (; startA < a; ++startA, ++startB) {
        if (*startA != *startB) return *startA < *startB ? -1 : 1;
    }
    return 0;
}

} // namespace

int CStringServices::Compare(const wchar_t* a, const wchar_t* b, uint32_t options, int) {
    if (!a) a = L"";
    if (!b) b = L"";
    const bool noCase = (options & kIgnoreCase) != 0;
    const bool numbers = (options & kNumbersAsValues) != 0;
    while (*a && *b) {
        if (numbers && IsDigit(*a) && IsDigit(*b)) {
            const int order = CompareNumbers(a, b);
            if (order != 0) return order;
            continue;
        }
        wchar_t ca = *a;
        wchar_t cb = *b;
        if (noCase) {
            ca = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ca)));
            cb = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(cb)));
        }
        if (ca != cb) return ca < cb ? -1 : 1;
        ++a;
        ++b;
    }
    return *a ? 1 : (*b ? -1 : 0);
}
