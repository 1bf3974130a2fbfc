#include "ZrCoreLib/ZrString.h"

#include "ZrCoreLib/ZrStringGlobals.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <cwchar>

namespace {

ZrStringGlobals& Globals() {
    return ZrStringGlobals::Get();
}

// Direct writing beyond 1 Mi characters grows linearly to bound the waste.
constexpr int kLinearGrowthLimit = 0x100000;

// Capacity (terminator excluded) that GetBuffer rounds a request up to.
int RoundUpRequest(int request) {
    if (request <= 0) return 1;
    if (request <= kLinearGrowthLimit) {
        int n = 1;
        while (n <= request)
            n <<= 1;
        return n;
    }
    if (request > INT_MAX - 2 * kLinearGrowthLimit) return request;
    return (request / kLinearGrowthLimit + 1) * kLinearGrowthLimit;
}

int WideLength(const wchar_t* s, int len) {
    if (s == nullptr) return 0;
    if (len < 0) return static_cast<int>(wcslen(s));
    return len;
}

int CompareUnits(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const uint32_t x = static_cast<uint32_t>(*a);
        const uint32_t y = static_cast<uint32_t>(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

int CompareLowered(const wchar_t* a, const wchar_t* b) {
    const ZrStringGlobals& g = Globals();
    for (;; ++a, ++b) {
        const uint32_t x = static_cast<uint32_t>(g.ToLower(*a));
        const uint32_t y = static_cast<uint32_t>(g.ToLower(*b));
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes the character at s[i] of a text of `end` bytes and returns the
// bytes it takes. A byte that does not start a complete two- or three-byte
// sequence within the text stands for itself (Latin-1); a complete four-byte
// sequence becomes '?'.
int Utf8DecodeAt(const unsigned char* s, int i, int end, wchar_t& out) {
    const unsigned char b = s[i];
    int need = 1;
    if ((b & 0xE0) == 0xC0) {
        need = 2;
    } else if ((b & 0xF0) == 0xE0) {
        need = 3;
    } else if ((b & 0xF8) == 0xF0) {
        need = 4;
    }
    if (need > 1 && end - i >= need) {
        bool complete = true;
        for (int k = 1; k < need && complete; ++k)
            complete = IsContinuation(s[i + k]);
        if (complete) {
            if (need == 2) {
                out = static_cast<wchar_t>(((b & 0x1F) << 6) | (s[i + 1] & 0x3F));
            } else if (need == 3) {
                out = static_cast<wchar_t>(((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) |
                                           (s[i + 2] & 0x3F));
            } else {
                // Characters beyond the Basic Multilingual Plane are not kept.
                out = L'?';
            }
            return need;
        }
    }
    out = b;
    return 1;
}

// Walks a UTF-8 text of `end` bytes (already cut at its first NUL byte),
// handing each character to emit, and returns the character count. An
// overlong encoding of U+0000 (C0 80, E0 80 80) ends the text as a NUL byte
// would: a ZrString cannot carry a terminator inside its text.
template <typename Emit> int Utf8Walk(const unsigned char* s, int end, Emit emit) {
    int n = 0;
    for (int i = 0; i < end; ++n) {
        wchar_t c;
        i += Utf8DecodeAt(s, i, end, c);
        if (c == 0) break;
        emit(n, c);
    }
    return n;
}

template <typename Unit> Unit ByteSwap(Unit u) {
    if constexpr (sizeof(Unit) == 2) {
        return static_cast<Unit>((u >> 8) | (u << 8));
    } else {
        return ((u & 0xFFu) << 24) | ((u & 0xFF00u) << 8) | ((u >> 8) & 0xFF00u) | (u >> 24);
    }
}

template <typename Unit>
ZrString FromUnits(const Unit* units, int count, bool detectBom, bool forceSwap) {
    if (units == nullptr) return ZrString();
    if (count < 0) {
        count = 0;
        while (units[count] != 0)
            ++count;
    }
    bool swap = forceSwap;
    if (detectBom && count > 0) {
        const uint32_t first = units[0];
        if (first == 0xFEFF) {
            ++units;
            --count;
        } else if (first == 0xFFFE || (sizeof(Unit) == 4 && first == 0xFFFE0000u)) {
            ++units;
            --count;
            swap = true;
        }
    }
    ZrString out;
    if (count <= 0) return out;
    wchar_t* p = out.GetBuffer(count, true, false);
    for (int i = 0; i < count; ++i) {
        const Unit u = swap ? ByteSwap(units[i]) : units[i];
        p[i] = static_cast<wchar_t>(u);
    }
    out.ReleaseBuffer(count);
    return out;
}

} // namespace

// ---- lifetime ----

wchar_t* ZrString::Share(wchar_t* pch) {
    ZrStringData* h = ZrStringData::FromChars(pch);
    IZrStringManager* mgr = GetStringManager();
    if (h->length == 0) return mgr->GetEmptyString();
    const int32_t refs = h->refs.load(std::memory_order_relaxed);
    if (refs == kZrStringPermanent) return pch;
    if (refs == kZrStringLocked || h->manager != mgr) {
        return mgr->CreateFromChars(pch, h->length, -1, false, true, true);
    }
    h->refs.fetch_add(1, std::memory_order_relaxed);
    return pch;
}

void ZrString::Release(wchar_t* pch) {
    ZrStringData* h = ZrStringData::FromChars(pch);
    const int32_t refs = h->refs.load(std::memory_order_relaxed);
    if (refs == kZrStringPermanent) return;
    if (refs == kZrStringLocked) {
        h->manager->FreeBlock(h);
        return;
    }
    // acq_rel: the last owner must see every write made through other copies
    // before the block is recycled.
    if (h->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) h->manager->FreeBlock(h);
}

void ZrString::Adopt(wchar_t* pch) {
    wchar_t* old = m_pch;
    m_pch = pch;
    Release(old);
}

ZrString::ZrString() : m_pch(GetStringManager()->GetEmptyString()) {}

ZrString::ZrString(const wchar_t* s, int len)
    : m_pch(GetStringManager()->CreateFromChars(s, len, -1, false, false, true)) {}

ZrString::ZrString(const ZrString& other) : m_pch(Share(other.m_pch)) {}

ZrString::ZrString(ZrString&& other) noexcept : m_pch(other.m_pch) {
    other.m_pch = GetStringManager()->GetEmptyString();
}

ZrString::~ZrString() {
    Release(m_pch);
}

ZrString& ZrString::operator=(const ZrString& other) {
    if (m_pch != other.m_pch) Adopt(Share(other.m_pch));
    return *this;
}

ZrString& ZrString::operator=(ZrString&& other) noexcept {
    if (this != &other) {
        wchar_t* old = m_pch;
        m_pch = other.m_pch;
        other.m_pch = GetStringManager()->GetEmptyString();
        Release(old);
    }
    return *this;
}

ZrString& ZrString::operator=(const wchar_t* s) {
    // The source may point into this string's own block: create first.
    Adopt(GetStringManager()->CreateFromChars(s, -1, -1, false, false, true));
    return *this;
}

void ZrString::Empty() {
    Adopt(GetStringManager()->GetEmptyString());
}

// ---- conversions in ----

ZrString ZrString::FromLatin1(const char* s, int len, bool stopAtNul) {
    ZrString out;
    out.Adopt(GetStringManager()->CreateFromNarrow(s, len, stopAtNul));
    return out;
}

ZrString ZrString::FromUtf8(const char* s, int len) {
    ZrString out;
    if (s == nullptr) return out;
    const auto* b = reinterpret_cast<const unsigned char*>(s);
    int end = len;
    if (end < 0) {
        end = static_cast<int>(strlen(s));
    } else {
        end = static_cast<int>(strnlen(s, static_cast<size_t>(len)));
    }
    const int chars = Utf8CharCount(s, end);
    if (chars == 0) return out;
    wchar_t* p = out.GetBuffer(chars, true, false);
    Utf8Walk(b, end, [p](int n, wchar_t c) { p[n] = c; });
    out.ReleaseBuffer(chars);
    return out;
}

int ZrString::Utf8CharCount(const char* s, int len) {
    if (s == nullptr) return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(s);
    const int end = len < 0 ? static_cast<int>(strlen(s))
                            : static_cast<int>(strnlen(s, static_cast<size_t>(len)));
    return Utf8Walk(b, end, [](int, wchar_t) {});
}

ZrString ZrString::FromUtf16(const uint16_t* units, int count, bool detectBom, bool forceSwap) {
    return FromUnits(units, count, detectBom, forceSwap);
}

ZrString ZrString::FromUtf32(const uint32_t* units, int count, bool detectBom, bool forceSwap) {
    return FromUnits(units, count, detectBom, forceSwap);
}

ZrString ZrString::FromInt(long long v) {
    wchar_t buf[72];
    IntToText(v, buf, 72, 10);
    return ZrString(buf);
}

ZrString ZrString::FromDouble(double v, int precision) {
    return Format(L"%.*f", precision, v);
}

void ZrString::IntToText(long long v, wchar_t* buf, int bufLen, int base) {
    if (buf == nullptr || bufLen < 8 || base < 2 || base > 36) return;
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    wchar_t tmp[72];
    int n = 0;
    // Work in unsigned so that LLONG_MIN has a magnitude.
    unsigned long long mag =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        tmp[n++] = static_cast<wchar_t>(kDigits[mag % static_cast<unsigned>(base)]);
        mag /= static_cast<unsigned>(base);
    } while (mag != 0);
    if (v < 0) tmp[n++] = L'-';
    if (n + 1 > bufLen) {
        buf[0] = 0;
        return;
    }
    for (int i = 0; i < n; ++i)
        buf[i] = tmp[n - 1 - i];
    buf[n] = 0;
}

// ---- direct writing ----

wchar_t* ZrString::GetBuffer(int minLength, bool exact, bool keep) {
    if (minLength < 0) minLength = 0;
    ZrStringData* h = Header();
    const int32_t refs = h->refs.load(std::memory_order_acquire);
    const bool shared = refs >= 2;
    if (shared || h->capacity <= minLength) {
        const int holds = shared || exact ? minLength : RoundUpRequest(minLength);
        ZrStringData* block = GetStringManager()->AllocateBlock(holds, true);
        int len = 0;
        if (keep) {
            len = h->length < holds ? h->length : holds;
            memcpy(block->Chars(), m_pch, static_cast<size_t>(len) * sizeof(wchar_t));
        }
        block->Chars()[len] = 0;
        block->length = len;
        Adopt(block->Chars());
        h = block;
    }
    h->refs.store(kZrStringLocked, std::memory_order_relaxed);
    return m_pch;
}

void ZrString::ReleaseBuffer(int newLength) {
    ZrStringData* h = Header();
    if (h->refs.load(std::memory_order_relaxed) != kZrStringLocked) {
        // Not handed out: nothing was written through a buffer. Still honour a
        // shorter length on an exclusive block.
        if (newLength < 0 || newLength >= h->length) return;
        CopyBeforeWrite();
        h = Header();
    }
    const int maxLen = h->capacity - 1;
    if (newLength < 0) {
        newLength = 0;
        while (newLength < maxLen && m_pch[newLength] != 0)
            ++newLength;
    }
    if (newLength > maxLen) newLength = maxLen;
    m_pch[newLength] = 0;
    h->length = newLength;
    h->refs.store(1, std::memory_order_relaxed);
    if (newLength == 0) Empty();
}

void ZrString::CopyBeforeWrite() {
    ZrStringData* h = Header();
    if (h->refs.load(std::memory_order_acquire) >= 2) {
        Adopt(GetStringManager()->CreateFromChars(m_pch, h->length, -1, true, true, true));
    }
}

// ---- appending ----

void ZrString::Append(const wchar_t* s, int count, int growthStep) {
    count = WideLength(s, count);
    if (count <= 0) return;
    const int oldLen = GetLength();
    if (count > INT_MAX - 2 - oldLen) throw std::bad_alloc();
    const int newLen = oldLen + count;
    // The source may lie inside this string's block, which GetBuffer may
    // replace: remember it as an offset.
    ZrStringData* h = Header();
    const bool inside = s >= m_pch && s < m_pch + h->capacity;
    const ptrdiff_t offset = inside ? s - m_pch : 0;
    wchar_t* p;
    if (growthStep > 0 && (h->refs.load() >= 2 || h->capacity <= newLen)) {
        const long long holds = (static_cast<long long>(newLen) / growthStep + 1) * growthStep;
        if (holds > INT_MAX - 2) throw std::bad_alloc();
        p = GetBuffer(static_cast<int>(holds), true, true);
    } else {
        p = GetBuffer(newLen, false, true);
    }
    if (inside) s = p + offset;
    memmove(p + oldLen, s, static_cast<size_t>(count) * sizeof(wchar_t));
    ReleaseBuffer(newLen);
}

ZrString& ZrString::operator+=(const ZrString& s) {
    if (IsEmpty()) {
        *this = s;
    } else {
        Append(s.m_pch, s.GetLength());
    }
    return *this;
}

ZrString& ZrString::operator+=(const wchar_t* s) {
    Append(s, -1);
    return *this;
}

ZrString& ZrString::operator+=(wchar_t c) {
    Append(&c, 1);
    return *this;
}

ZrString operator+(const ZrString& a, const ZrString& b) {
    ZrString r(a);
    r += b;
    return r;
}

ZrString operator+(const ZrString& a, const wchar_t* b) {
    ZrString r(a);
    r += b;
    return r;
}

ZrString operator+(const wchar_t* a, const ZrString& b) {
    ZrString r(a);
    r += b;
    return r;
}

ZrString operator+(const ZrString& a, wchar_t b) {
    ZrString r(a);
    r += b;
    return r;
}

// ---- searching and substrings ----

int ZrString::Find(wchar_t c, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const wchar_t* p = wcschr(m_pch + start, c);
    return p ? static_cast<int>(p - m_pch) : -1;
}

int ZrString::Find(const wchar_t* s, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const wchar_t* p = wcsstr(m_pch + start, s ? s : L"");
    return p ? static_cast<int>(p - m_pch) : -1;
}

int ZrString::FindNoCase(const wchar_t* s, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const ZrStringGlobals& g = Globals();
    const int n = WideLength(s, -1);
    const int len = GetLength();
    for (int i = start; i + n <= len; ++i) {
        int k = 0;
        while (k < n && g.ToLower(m_pch[i + k]) == g.ToLower(s[k]))
            ++k;
        if (k == n) return i;
    }
    return -1;
}

int ZrString::ReverseFind(wchar_t c) const {
    for (int i = GetLength() - 1; i >= 0; --i) {
        if (m_pch[i] == c) return i;
    }
    return -1;
}

ZrString ZrString::Mid(int start, int count) const {
    const int len = GetLength();
    if (start < 0) start = 0;
    if (start >= len) return ZrString();
    if (count < 0 || count > len - start) count = len - start;
    if (start == 0 && count == len) return *this;
    ZrString out;
    out.Adopt(GetStringManager()->CreateFromChars(m_pch + start, count, -1, false, true, true));
    return out;
}

ZrString ZrString::Left(int n) const {
    if (n <= 0) return ZrString();
    return Mid(0, n);
}

ZrString ZrString::Right(int n) const {
    const int len = GetLength();
    if (n <= 0) return ZrString();
    if (n >= len) return *this;
    return Mid(len - n, n);
}

// ---- comparison and hashing ----

int ZrString::Compare(const wchar_t* s) const {
    return CompareUnits(m_pch, s ? s : L"");
}

int ZrString::CompareNoCase(const wchar_t* s) const {
    return CompareLowered(m_pch, s ? s : L"");
}

bool ZrString::StartsWith(const wchar_t* s) const {
    const int n = WideLength(s, -1);
    return n <= GetLength() && wmemcmp(m_pch, s ? s : L"", static_cast<size_t>(n)) == 0;
}

bool ZrString::StartsWithNoCase(const wchar_t* s) const {
    const int n = WideLength(s, -1);
    if (n > GetLength()) return false;
    const ZrStringGlobals& g = Globals();
    for (int i = 0; i < n; ++i) {
        if (g.ToLower(m_pch[i]) != g.ToLower(s[i])) return false;
    }
    return true;
}

bool ZrString::EndsWithNoCase(const wchar_t* s) const {
    const int n = WideLength(s, -1);
    const int len = GetLength();
    if (n > len) return false;
    const ZrStringGlobals& g = Globals();
    for (int i = 0; i < n; ++i) {
        if (g.ToLower(m_pch[len - n + i]) != g.ToLower(s[i])) return false;
    }
    return true;
}

bool operator==(const ZrString& a, const ZrString& b) {
    if (a.m_pch == b.m_pch) return true;
    if (a.GetLength() != b.GetLength()) return false;
    return wmemcmp(a.m_pch, b.m_pch, static_cast<size_t>(a.GetLength())) == 0;
}

uint32_t ZrString::Hash(const wchar_t* s, int len) {
    len = WideLength(s, len);
    uint32_t h = 0;
    for (int i = 0; i < len; ++i)
        h = h * 65599u + static_cast<uint32_t>(s[i]);
    return h;
}

uint32_t ZrString::HashNoCase(const wchar_t* s, int len) {
    len = WideLength(s, len);
    const ZrStringGlobals& g = Globals();
    uint32_t h = 0;
    for (int i = 0; i < len; ++i)
        h = h * 65599u + static_cast<uint32_t>(g.ToLower(s[i]));
    return h;
}

uint32_t ZrString::Hash() const {
    return Hash(m_pch, GetLength());
}

uint32_t ZrString::HashNoCase() const {
    return HashNoCase(m_pch, GetLength());
}

// ---- editing ----

ZrString ZrString::ToLower() const {
    ZrString r(*this);
    r.MakeLower();
    return r;
}

ZrString ZrString::ToUpper() const {
    ZrString r(*this);
    r.MakeUpper();
    return r;
}

void ZrString::MakeLower() {
    const int len = GetLength();
    if (len == 0) return;
    const ZrStringGlobals& g = Globals();
    wchar_t* p = GetBuffer(len);
    for (int i = 0; i < len; ++i)
        p[i] = g.ToLower(p[i]);
    ReleaseBuffer(len);
}

void ZrString::MakeUpper() {
    const int len = GetLength();
    if (len == 0) return;
    const ZrStringGlobals& g = Globals();
    wchar_t* p = GetBuffer(len);
    for (int i = 0; i < len; ++i)
        p[i] = g.ToUpper(p[i]);
    ReleaseBuffer(len);
}

void ZrString::TrimRight() {
    const ZrStringGlobals& g = Globals();
    int end = GetLength();
    while (end > 0 && g.IsSpace(m_pch[end - 1]))
        --end;
    if (end != GetLength()) *this = Left(end);
}

void ZrString::TrimLeft() {
    const ZrStringGlobals& g = Globals();
    int start = 0;
    while (start < GetLength() && g.IsSpace(m_pch[start]))
        ++start;
    if (start != 0) *this = Mid(start);
}

void ZrString::Trim() {
    TrimRight();
    TrimLeft();
}

void ZrString::Replace(const wchar_t* from, const wchar_t* to) {
    const int fromLen = WideLength(from, -1);
    if (fromLen == 0 || IsEmpty()) return;
    int pos = Find(from);
    if (pos < 0) return;
    const int toLen = WideLength(to, -1);
    ZrString out;
    int done = 0;
    while (pos >= 0) {
        out.Append(m_pch + done, pos - done);
        out.Append(to, toLen);
        done = pos + fromLen;
        pos = Find(from, done);
    }
    out.Append(m_pch + done, GetLength() - done);
    *this = std::move(out);
}

void ZrString::Replace(wchar_t from, wchar_t to) {
    if (from == 0 || Find(from) < 0) return;
    const int len = GetLength();
    wchar_t* p = GetBuffer(len);
    for (int i = 0; i < len; ++i) {
        if (p[i] == from) p[i] = to;
    }
    ReleaseBuffer(len);
}

void ZrString::Insert(int index, const wchar_t* s) {
    const int len = GetLength();
    if (index < 0) index = 0;
    if (index > len) index = len;
    ZrString out = Left(index);
    out.Append(s, -1);
    out.Append(m_pch + index, len - index);
    *this = std::move(out);
}

void ZrString::Delete(int index, int count) {
    const int len = GetLength();
    if (index < 0 || index >= len || count <= 0) return;
    if (count > len - index) count = len - index;
    ZrString out = Left(index);
    out.Append(m_pch + index + count, len - index - count);
    *this = std::move(out);
}

// ---- conversions out ----

int ZrString::Utf8Length(const wchar_t* s, int len, bool withTerminator) {
    len = WideLength(s, len);
    int n = withTerminator ? 1 : 0;
    for (int i = 0; i < len; ++i) {
        const uint32_t cp = static_cast<uint32_t>(s[i]);
        n += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    }
    return n;
}

std::string ZrString::ToUtf8() const {
    std::string out;
    out.reserve(static_cast<size_t>(Utf8Length(m_pch, GetLength(), false)));
    for (int i = 0; i < GetLength(); ++i) {
        const uint32_t cp = static_cast<uint32_t>(m_pch[i]);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | ((cp >> 18) & 0x07));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string ZrString::ToLatin1() const {
    std::string out(static_cast<size_t>(GetLength()), '?');
    for (int i = 0; i < GetLength(); ++i) {
        const uint32_t cp = static_cast<uint32_t>(m_pch[i]);
        if (cp < 256) out[static_cast<size_t>(i)] = static_cast<char>(cp);
    }
    return out;
}

// ---- numbers ----

long long ZrString::ToInt(bool* ok) const {
    const ZrStringGlobals& g = Globals();
    const wchar_t* p = m_pch;
    while (*p && g.IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
    unsigned long long mag = 0;
    bool any = false;
    bool overflow = false;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        any = true;
        const unsigned d = static_cast<unsigned>(*p - L'0');
        if (mag > (ULLONG_MAX - d) / 10) {
            overflow = true;
        } else {
            mag = mag * 10 + d;
        }
    }
    if (ok) *ok = any;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : LLONG_MAX;
    if (overflow || mag > limit) return negative ? LLONG_MIN : LLONG_MAX;
    return negative ? static_cast<long long>(0ULL - mag) : static_cast<long long>(mag);
}

double ZrString::ToDouble(bool* ok) const {
    const ZrStringGlobals& g = Globals();
    const wchar_t* p = m_pch;
    while (*p && g.IsSpace(*p))
        ++p;
    // Copy the longest plausible number to ASCII and let from_chars (which
    // ignores the locale) pick the valid prefix.
    std::string text;
    if (*p == L'+' || *p == L'-') {
        if (*p == L'-') text += '-';
        ++p;
    }
    for (; *p && text.size() < 400; ++p) {
        const wchar_t c = *p;
        if ((c >= L'0' && c <= L'9') || c == L'.' || c == L'e' || c == L'E' || c == L'+' ||
            c == L'-') {
            text += static_cast<char>(c);
        } else {
            break;
        }
    }
    double v = 0.0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto res = std::from_chars(first, last, v, std::chars_format::general);
    const bool parsed = res.ec == std::errc() || res.ec == std::errc::result_out_of_range;
    if (res.ec == std::errc::result_out_of_range) {
        // Like strtod: overflow saturates to infinity, underflow to zero.
        const bool neg = !text.empty() && text[0] == '-';
        const std::string digits = text.substr(0, static_cast<size_t>(res.ptr - first));
        const auto e = digits.find_first_of("eE");
        const bool tiny = e != std::string::npos && digits.find('-', e) != std::string::npos;
        v = tiny ? (neg ? -0.0 : 0.0) : (neg ? -HUGE_VAL : HUGE_VAL);
    }
    if (ok) *ok = parsed;
    return parsed ? v : 0.0;
}
