#pragma once

#include "ZrCoreLib/IZrStringManager.h"

#include <cstdint>
#include <string>
#include <type_traits>

class ZrString;

// One argument of ZrString::Format: a type tag and its value. The variadic
// Format turns its arguments into an array of these ended by tag kEnd, so that
// one non-template formatter does the work.
struct ZrFormatArg {
    enum Tag : int {
        kEnd = 0,
        kWideChars = 2, // const wchar_t*, NUL-terminated (null prints as empty)
        kString = 3,    // const ZrString*
        kInt32 = 4,
        kInt64 = 5,
        kDouble = 6,
        kNarrowChars = 7, // const char*, widened as Latin-1
        kUInt64 = 8,
        kPointer = 9,
    };
    int tag;
    union {
        const wchar_t* wide;
        const ZrString* str;
        int32_t i32;
        int64_t i64;
        uint64_t u64;
        double dbl;
        const char* narrow;
        const void* ptr;
    };
};

// The system's one text type: 32-bit wide characters (UTF-32 code units),
// NUL-terminated, reference counted with copy on write, so passing by value
// is cheap. The object is a single pointer to the first character; the block
// header (ZrStringData) sits in front of it. Blocks come from the string
// manager (ZrStringGlobals); the empty string is a permanent shared block
// that never allocates.
//
// Counts change atomically: copies of one string may live on different
// threads, but each ZrString object is used by one thread at a time.
class ZrString {
public:
    ZrString();
    // A null pointer gives the empty string. With a length, the text also ends
    // at an embedded NUL.
    ZrString(const wchar_t* s, int len = -1);
    ZrString(const ZrString& other);
    ZrString(ZrString&& other) noexcept;
    ~ZrString();

    ZrString& operator=(const ZrString& other);
    ZrString& operator=(ZrString&& other) noexcept;
    ZrString& operator=(const wchar_t* s);

    // Each byte becomes the code point of the same value. With a length and
    // stopAtNul, an embedded NUL ends the text early.
    static ZrString FromLatin1(const char* s, int len = -1, bool stopAtNul = true);
    // Forgiving decoder: a byte that does not start a complete two- or
    // three-byte sequence is taken as Latin-1; four-byte sequences become '?'.
    // Decoding ends at len bytes or a NUL byte, whichever comes first.
    static ZrString FromUtf8(const char* s, int len = -1);
    // count -1: up to a zero unit. A leading U+FEFF is skipped; a leading
    // U+FFFE is skipped and the rest byte-swapped (for UTF-32 a mark read as
    // 0xFFFE0000 counts as swapped as well). forceSwap swaps without a mark.
    // UTF-16 units are taken one to a character (surrogates are not joined).
    static ZrString FromUtf16(const uint16_t* units, int count, bool detectBom = true,
                              bool forceSwap = false);
    static ZrString FromUtf32(const uint32_t* units, int count, bool detectBom = true,
                              bool forceSwap = false);
    static ZrString FromInt(long long v);
    // Fixed-point text with `precision` decimals ("." as decimal point, in
    // every locale); "inf", "-inf" and "nan" for non-finite values.
    static ZrString FromDouble(double v, int precision = 6);

    int GetLength() const { return Header()->length; }
    bool IsEmpty() const { return Header()->length == 0; }
    const wchar_t* c_str() const { return m_pch; }
    operator const wchar_t*() const { return m_pch; }
    // Index 0..length (the terminator included); not range-checked.
    wchar_t operator[](int i) const { return m_pch[i]; }
    wchar_t GetAt(int i) const { return m_pch[i]; }

    // Writable characters for at least minLength characters plus terminator.
    // A shared block is replaced by one of exactly minLength; a block that is
    // too small is replaced by one rounded up (unless exact) to the next power
    // of two above minLength, or the next multiple of 0x100000 above 1 Mi
    // characters. keep copies the text. The string is locked for direct
    // writing until ReleaseBuffer.
    wchar_t* GetBuffer(int minLength, bool exact = false, bool keep = true);
    // Ends direct writing: the length becomes newLength (-1: up to the first
    // NUL), clamped to the capacity.
    void ReleaseBuffer(int newLength = -1);

    void Empty();
    // Appends count characters (-1: NUL-terminated). With a growth step the new
    // capacity is the smallest multiple of the step above the new length;
    // otherwise growth follows GetBuffer rounding.
    void Append(const wchar_t* s, int count, int growthStep = 0);
    ZrString& operator+=(const ZrString& s);
    ZrString& operator+=(const wchar_t* s);
    ZrString& operator+=(wchar_t c);

    friend ZrString operator+(const ZrString& a, const ZrString& b);
    friend ZrString operator+(const ZrString& a, const wchar_t* b);
    friend ZrString operator+(const wchar_t* a, const ZrString& b);
    friend ZrString operator+(const ZrString& a, wchar_t b);

    // Searches answer -1 when nothing is found or start is outside 0..length-1.
    int Find(wchar_t c, int start = 0) const;
    int Find(const wchar_t* s, int start = 0) const;
    int FindNoCase(const wchar_t* s, int start = 0) const;
    int ReverseFind(wchar_t c) const;

    // Start and count are clamped to the string; count -1 means to the end.
    ZrString Mid(int start, int count = -1) const;
    ZrString Left(int n) const;
    ZrString Right(int n) const;

    // Code-point order; a null pointer compares as empty.
    int Compare(const wchar_t* s) const;
    // Order of the lowered code points (table below 256, towlower above).
    int CompareNoCase(const wchar_t* s) const;
    bool EqualsNoCase(const wchar_t* s) const { return CompareNoCase(s) == 0; }
    bool StartsWith(const wchar_t* s) const;
    bool StartsWithNoCase(const wchar_t* s) const;
    bool EndsWithNoCase(const wchar_t* s) const;

    friend bool operator==(const ZrString& a, const ZrString& b);
    friend bool operator==(const ZrString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const ZrString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const ZrString& a, const ZrString& b) { return !(a == b); }
    friend bool operator!=(const ZrString& a, const wchar_t* b) { return a.Compare(b) != 0; }
    friend bool operator!=(const wchar_t* a, const ZrString& b) { return b.Compare(a) != 0; }
    friend bool operator<(const ZrString& a, const ZrString& b) { return a.Compare(b) < 0; }

    // h = h * 65599 + c over all characters in 32 bits from 0 (the string
    // maps' hash); the NoCase form lowers each character first.
    uint32_t Hash() const;
    uint32_t HashNoCase() const;
    static uint32_t Hash(const wchar_t* s, int len);
    static uint32_t HashNoCase(const wchar_t* s, int len);

    ZrString ToLower() const;
    ZrString ToUpper() const;
    void MakeLower();
    void MakeUpper();
    // White space by the manager's character classes.
    void Trim();
    void TrimLeft();
    void TrimRight();
    // Every occurrence of a non-empty `from`, left to right, not rescanned.
    void Replace(const wchar_t* from, const wchar_t* to);
    void Replace(wchar_t from, wchar_t to);
    void Insert(int index, const wchar_t* s);
    void Delete(int index, int count = 1);

    std::string ToUtf8() const;
    // Code points below 256 kept, every other character becomes '?'.
    std::string ToLatin1() const;
    // Bytes of the UTF-8 form of len characters (-1: NUL-terminated).
    static int Utf8Length(const wchar_t* s, int len, bool withTerminator);
    // Characters FromUtf8 would produce from the same bytes.
    static int Utf8CharCount(const char* s, int len = -1);

    // Leading white space, sign and decimal digits, like strtoll; ok tells
    // whether any digit was read. Out of range values saturate.
    long long ToInt(bool* ok = nullptr) const;
    // Leading decimal number with optional fraction and exponent, like strtod
    // in the "C" locale; ok tells whether a number was read.
    double ToDouble(bool* ok = nullptr) const;

    // Digits of v in base 2..36 (lower-case letters, '-' for negative values)
    // into buf; other bases or buffers under 8 characters leave buf untouched,
    // a number that does not fit leaves it empty.
    static void IntToText(long long v, wchar_t* buf, int bufLen, int base);

    // printf-style formatting: %s (wide arrays, ZrString, narrow Latin-1), %d
    // %i %u %x %X %o %c, %f %e %g (any precision), %p and %%, with flags
    // (- + space 0 #), width and precision (digits or *), and the length
    // modifiers h hh l ll L z j t I32 I64 (recognised and ignored: the
    // argument's own type decides its width).
    template <typename... Args> static ZrString Format(const wchar_t* fmt, Args&&... args) {
        const ZrFormatArg list[] = {MakeFormatArg(args)..., EndArg()};
        return FormatArgs(fmt, list);
    }
    static ZrString FormatArgs(const wchar_t* fmt, const ZrFormatArg* args);

    // Diagnostics for tests: the block's capacity (terminator included) and
    // reference count.
    int GetCapacity() const { return Header()->capacity; }
    int GetRefCount() const { return Header()->refs.load(std::memory_order_relaxed); }

private:
    ZrStringData* Header() const { return ZrStringData::FromChars(m_pch); }
    static wchar_t* Share(wchar_t* pch);
    static void Release(wchar_t* pch);
    // Makes the block exclusive (copy on write) before a modification.
    void CopyBeforeWrite();
    void Adopt(wchar_t* pch);

    static ZrFormatArg EndArg() {
        ZrFormatArg a;
        a.tag = ZrFormatArg::kEnd;
        a.i64 = 0;
        return a;
    }
    template <typename T> static ZrFormatArg MakeFormatArg(const T& v) {
        using D = std::decay_t<T>;
        ZrFormatArg a;
        if constexpr (std::is_same_v<D, ZrString>) {
            a.tag = ZrFormatArg::kString;
            a.str = &v;
        } else if constexpr (std::is_same_v<D, const wchar_t*> || std::is_same_v<D, wchar_t*>) {
            a.tag = ZrFormatArg::kWideChars;
            a.wide = v;
        } else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
            a.tag = ZrFormatArg::kNarrowChars;
            a.narrow = v;
        } else if constexpr (std::is_same_v<D, std::string>) {
            a.tag = ZrFormatArg::kNarrowChars;
            a.narrow = v.c_str();
        } else if constexpr (std::is_floating_point_v<D>) {
            a.tag = ZrFormatArg::kDouble;
            a.dbl = static_cast<double>(v);
        } else if constexpr (std::is_enum_v<D>) {
            return MakeFormatArg(static_cast<std::underlying_type_t<D>>(v));
        } else if constexpr (std::is_integral_v<D> && sizeof(D) <= 4) {
            a.tag = ZrFormatArg::kInt32;
            a.i32 = static_cast<int32_t>(v);
        } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
            a.tag = ZrFormatArg::kInt64;
            a.i64 = static_cast<int64_t>(v);
        } else if constexpr (std::is_integral_v<D>) {
            a.tag = ZrFormatArg::kUInt64;
            a.u64 = static_cast<uint64_t>(v);
        } else if constexpr (std::is_pointer_v<D> || std::is_null_pointer_v<D>) {
            a.tag = ZrFormatArg::kPointer;
            a.ptr = v;
        } else {
            static_assert(sizeof(D) == 0, "type not supported by ZrString::Format");
        }
        return a;
    }

    wchar_t* m_pch;
};

// Hashing, and case-insensitive ordering and equality, for standard containers.
struct ZrStringLessNoCase {
    bool operator()(const ZrString& a, const ZrString& b) const {
        return a.CompareNoCase(b.c_str()) < 0;
    }
};
struct ZrStringEqualNoCase {
    bool operator()(const ZrString& a, const ZrString& b) const {
        return a.EqualsNoCase(b.c_str());
    }
};
struct ZrStringHash {
    size_t operator()(const ZrString& s) const { return s.Hash(); }
};
struct ZrStringHashNoCase {
    size_t operator()(const ZrString& s) const { return s.HashNoCase(); }
};
