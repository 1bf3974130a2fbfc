// The printf-style formatter behind ZrString::Format. The template front end
// in ZrString.h only packs arguments into tagged pairs; everything else is
// here, once, for every argument list.
#include "ZrCoreLib/ZrString.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Longest fraction printed: enough for any double's exact decimal expansion
// to matter little, small enough for a fixed stack buffer.
constexpr int kMaxPrecision = 400;
// Fixed notation of DBL_MAX needs 309 integer digits.
constexpr int kDoubleBufferSize = 309 + 2 + kMaxPrecision + 16;

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alt = false;
    int width = 0;
    int precision = -1;
};

class ArgCursor {
public:
    explicit ArgCursor(const ZrFormatArg* args) : m_next(args) {}
    // The next argument, or null at the end of the list (which stays there).
    const ZrFormatArg* Take() {
        if (m_next == nullptr || m_next->tag == ZrFormatArg::kEnd) return nullptr;
        return m_next++;
    }

private:
    const ZrFormatArg* m_next;
};

bool IsNumeric(const ZrFormatArg* a) {
    return a && (a->tag == ZrFormatArg::kInt32 || a->tag == ZrFormatArg::kInt64 ||
                 a->tag == ZrFormatArg::kUInt64 || a->tag == ZrFormatArg::kDouble ||
                 a->tag == ZrFormatArg::kPointer);
}

long long AsSigned(const ZrFormatArg* a) {
    switch (a->tag) {
    case ZrFormatArg::kInt32:
        return a->i32;
    case ZrFormatArg::kInt64:
        return a->i64;
    case ZrFormatArg::kUInt64:
        return static_cast<long long>(a->u64);
    case ZrFormatArg::kDouble:
        return std::isfinite(a->dbl) && std::fabs(a->dbl) < 9.2e18 ? static_cast<long long>(a->dbl)
                                                                   : 0;
    case ZrFormatArg::kPointer:
        return static_cast<long long>(reinterpret_cast<uintptr_t>(a->ptr));
    default:
        return 0;
    }
}

unsigned long long AsUnsigned(const ZrFormatArg* a) {
    switch (a->tag) {
    case ZrFormatArg::kInt32:
        // A 32-bit argument prints as 32 bits, as printf's %u and %x do.
        return static_cast<uint32_t>(a->i32);
    case ZrFormatArg::kUInt64:
        return a->u64;
    default:
        return static_cast<unsigned long long>(AsSigned(a));
    }
}

double AsDouble(const ZrFormatArg* a) {
    switch (a->tag) {
    case ZrFormatArg::kDouble:
        return a->dbl;
    case ZrFormatArg::kUInt64:
        return static_cast<double>(a->u64);
    default:
        return static_cast<double>(AsSigned(a));
    }
}

void Pad(std::wstring& out, int count, wchar_t c) {
    if (count > 0) out.append(static_cast<size_t>(count), c);
}

// Writes prefix (sign, 0x) and body with the width rules: spaces on the left
// or right, or zeros between prefix and body.
void Emit(std::wstring& out, const Spec& spec, const std::wstring& prefix, const std::wstring& body,
          bool zeroPadAllowed) {
    const int len = static_cast<int>(prefix.size() + body.size());
    const int fill = spec.width - len;
    if (spec.left) {
        out += prefix;
        out += body;
        Pad(out, fill, L' ');
    } else if (spec.zero && zeroPadAllowed) {
        out += prefix;
        Pad(out, fill, L'0');
        out += body;
    } else {
        Pad(out, fill, L' ');
        out += prefix;
        out += body;
    }
}

void FormatInteger(std::wstring& out, const Spec& spec, wchar_t conv, const ZrFormatArg* a) {
    const bool isSigned = conv == L'd' || conv == L'i';
    unsigned base = 10;
    if (conv == L'x' || conv == L'X' || conv == L'p') base = 16;
    if (conv == L'o') base = 8;
    std::wstring prefix;
    unsigned long long mag;
    if (isSigned) {
        const long long v = AsSigned(a);
        mag =
            v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        if (v < 0) {
            prefix = L"-";
        } else if (spec.plus) {
            prefix = L"+";
        } else if (spec.space) {
            prefix = L" ";
        }
    } else {
        mag = AsUnsigned(a);
    }
    const wchar_t* digits = conv == L'X' ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring body;
    for (unsigned long long m = mag; m != 0; m /= base)
        body.insert(body.begin(), digits[m % base]);
    const int minDigits = spec.precision >= 0 ? spec.precision : 1;
    if (static_cast<int>(body.size()) < minDigits) {
        body.insert(0, static_cast<size_t>(minDigits) - body.size(), L'0');
    }
    if ((spec.alt && mag != 0 && base == 16) || conv == L'p') {
        prefix = conv == L'X' ? L"0X" : L"0x";
    } else if (spec.alt && base == 8 && (body.empty() || body[0] != L'0')) {
        body.insert(body.begin(), L'0');
    }
    Emit(out, spec, prefix, body, spec.precision < 0);
}

void FormatDouble(std::wstring& out, const Spec& spec, wchar_t conv, double v) {
    std::wstring prefix;
    if (std::signbit(v) && !std::isnan(v)) {
        prefix = L"-";
    } else if (spec.plus) {
        prefix = L"+";
    } else if (spec.space) {
        prefix = L" ";
    }
    const bool upper = conv == L'F' || conv == L'E' || conv == L'G';
    std::wstring body;
    if (!std::isfinite(v)) {
        body = std::isnan(v) ? L"nan" : L"inf";
    } else {
        int precision = spec.precision < 0 ? 6 : spec.precision;
        if (precision > kMaxPrecision) precision = kMaxPrecision;
        std::chars_format fmt = std::chars_format::fixed;
        if (conv == L'e' || conv == L'E') fmt = std::chars_format::scientific;
        if (conv == L'g' || conv == L'G') fmt = std::chars_format::general;
        char buf[kDoubleBufferSize];
        // to_chars ignores the locale: the decimal point is always '.', which
        // the texts built here (reports, settings) rely on.
        const auto res = std::to_chars(buf, buf + sizeof(buf), std::fabs(v), fmt, precision);
        for (const char* p = buf; p < res.ptr; ++p)
            body += static_cast<wchar_t>(*p);
        if (spec.alt && body.find(L'.') == std::wstring::npos && fmt == std::chars_format::fixed) {
            body += L'.';
        }
    }
    if (upper) {
        for (auto& c : body) {
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    Emit(out, spec, prefix, body, std::isfinite(v));
}

void FormatText(std::wstring& out, const Spec& spec, const ZrFormatArg* a) {
    std::wstring body;
    if (a == nullptr) {
        // Missing argument: nothing to print.
    } else if (a->tag == ZrFormatArg::kWideChars) {
        if (a->wide) body = a->wide;
    } else if (a->tag == ZrFormatArg::kString) {
        body.assign(a->str->c_str(), static_cast<size_t>(a->str->GetLength()));
    } else if (a->tag == ZrFormatArg::kNarrowChars) {
        if (a->narrow) {
            for (const char* p = a->narrow; *p; ++p)
                body += static_cast<unsigned char>(*p);
        }
    } else if (a->tag == ZrFormatArg::kDouble) {
        FormatDouble(body, Spec(), L'g', a->dbl);
    } else if (IsNumeric(a)) {
        FormatInteger(body, Spec(), a->tag == ZrFormatArg::kUInt64 ? L'u' : L'd', a);
    }
    if (spec.precision >= 0 && static_cast<int>(body.size()) > spec.precision) {
        body.resize(static_cast<size_t>(spec.precision));
    }
    Emit(out, spec, std::wstring(), body, false);
}

int ReadNumber(const wchar_t*& p) {
    long long n = 0;
    while (*p >= L'0' && *p <= L'9') {
        if (n < 100000000) n = n * 10 + (*p - L'0');
        ++p;
    }
    // Widths beyond this are not meaningful and would only exhaust memory.
    return n > 65536 ? 65536 : static_cast<int>(n);
}

} // namespace

ZrString ZrString::FormatArgs(const wchar_t* fmt, const ZrFormatArg* args) {
    if (fmt == nullptr) return ZrString();
    std::wstring out;
    ArgCursor cursor(args);
    for (const wchar_t* p = fmt; *p;) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        const wchar_t* specStart = p++;
        if (*p == L'%') {
            out += L'%';
            ++p;
            continue;
        }
        Spec spec;
        for (;; ++p) {
            if (*p == L'-') {
                spec.left = true;
            } else if (*p == L'+') {
                spec.plus = true;
            } else if (*p == L' ') {
                spec.space = true;
            } else if (*p == L'0') {
                spec.zero = true;
            } else if (*p == L'#') {
                spec.alt = true;
            } else {
                break;
            }
        }
        if (*p == L'*') {
            ++p;
            const ZrFormatArg* a = cursor.Take();
            long long w = IsNumeric(a) ? AsSigned(a) : 0;
            if (w < 0) {
                spec.left = true;
                w = -w;
            }
            spec.width = w > 65536 ? 65536 : static_cast<int>(w);
        } else {
            spec.width = ReadNumber(p);
        }
        if (*p == L'.') {
            ++p;
            if (*p == L'*') {
                ++p;
                const ZrFormatArg* a = cursor.Take();
                const long long prec = IsNumeric(a) ? AsSigned(a) : 0;
                spec.precision = prec < 0 ? -1 : prec > 65536 ? 65536 : static_cast<int>(prec);
            } else {
                spec.precision = ReadNumber(p);
            }
        }
        // Length modifiers are recognised and skipped: each argument carries
        // its own width in its tag.
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else {
            while (*p == L'h' || *p == L'l' || *p == L'L' || *p == L'q' || *p == L'z' ||
                   *p == L'j' || *p == L't' || *p == L'I') {
                ++p;
            }
        }
        const wchar_t conv = *p;
        if (conv == 0) {
            // An unfinished conversion at the end prints as written.
            out.append(specStart);
            break;
        }
        ++p;
        switch (conv) {
        case L'd':
        case L'i':
        case L'u':
        case L'x':
        case L'X':
        case L'o':
        case L'p': {
            const ZrFormatArg* a = cursor.Take();
            if (IsNumeric(a)) {
                FormatInteger(out, spec, conv, a);
            } else if (a != nullptr) {
                FormatText(out, spec, a);
            }
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G': {
            const ZrFormatArg* a = cursor.Take();
            if (IsNumeric(a)) {
                FormatDouble(out, spec, conv, AsDouble(a));
            } else if (a != nullptr) {
                FormatText(out, spec, a);
            }
            break;
        }
        case L's':
        case L'S':
            FormatText(out, spec, cursor.Take());
            break;
        case L'c':
        case L'C': {
            const ZrFormatArg* a = cursor.Take();
            std::wstring body;
            if (IsNumeric(a)) body += static_cast<wchar_t>(AsSigned(a));
            Emit(out, spec, std::wstring(), body, false);
            break;
        }
        default:
            // Unknown conversion: keep the text so the mistake shows.
            out.append(specStart, static_cast<size_t>(p - specStart));
            break;
        }
    }
    return ZrString(out.c_str(), static_cast<int>(out.size()));
}
