#include "ZrCoreLib/ZrString.h"
#include "ZrCoreLib/ZrStringGlobals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s += static_cast<char>(c);
    return s;
}

// The capacity after asking for a buffer of n characters (exact: unrounded).
int CapacityAfter(ZrString& s, int n, bool exact = false) {
    s.GetBuffer(n, exact);
    s.ReleaseBuffer();
    return s.GetCapacity();
}

} // namespace

TEST(ZrStringSharing, EmptyStringIsPermanentAndNeverCounted) {
    ZrString a;
    {
        ZrString b(a);
        ZrString c(L"");
        EXPECT_EQ(b.c_str(), a.c_str());
        EXPECT_EQ(c.c_str(), a.c_str());
    }
    EXPECT_EQ(a.GetRefCount(), 0x7FFFFC17);
    EXPECT_EQ(ZrString(nullptr).GetLength(), 0);
}

TEST(ZrStringSharing, CopySharesAndWriteSeparates) {
    ZrString a(L"hello");
    ZrString b(a);
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(a.GetRefCount(), 2);
    b += L'!';
    EXPECT_NE(a.c_str(), b.c_str());
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(b, L"hello!");
    EXPECT_EQ(a.GetRefCount(), 1);
}

TEST(ZrStringSharing, GetBufferOnSharedStringLeavesOtherCopyAlone) {
    ZrString a(L"abcd");
    ZrString b(a);
    wchar_t* p = b.GetBuffer(4);
    p[0] = L'X';
    b.ReleaseBuffer();
    EXPECT_EQ(a, L"abcd");
    EXPECT_EQ(b, L"Xbcd");
}

TEST(ZrStringSharing, CopyOfLockedBufferIsPrivate) {
    ZrString a(L"abcd");
    wchar_t* p = a.GetBuffer(4);
    EXPECT_EQ(a.GetRefCount(), -1);
    ZrString b(a);
    EXPECT_NE(b.c_str(), a.c_str());
    p[0] = L'Z';
    a.ReleaseBuffer();
    EXPECT_EQ(a.GetRefCount(), 1);
    EXPECT_EQ(b, L"abcd");
    EXPECT_EQ(a, L"Zbcd");
}

TEST(ZrStringSharing, SelfAppendAndSelfAssignSurviveReallocation) {
    ZrString a(L"abc");
    a.Append(a.c_str(), a.GetLength());
    a.Append(a.c_str() + 1, 2);
    EXPECT_EQ(a, L"abcabcbc");
    const ZrString& self = a;
    a = self;
    a = a.c_str() + 3;
    EXPECT_EQ(a, L"abcbc");
}

TEST(ZrStringSharing, CopiesOnFourThreadsKeepCountExact) {
    const ZrString shared(L"shared text that every thread copies");
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < 20000; ++i) {
                ZrString copy(shared);
                ZrString second = copy;
                if (second.GetLength() != shared.GetLength()) std::abort();
            }
        });
    }
    go = true;
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(shared.GetRefCount(), 1);
}

// Blocks above the cache limit (1031 characters) are always fresh, so their
// capacity shows the rounding alone; small blocks may come from the cache
// with spare room.
TEST(ZrStringBuffer, RoundsToNextPowerOfTwoUnlessExact) {
    const ZrString base(std::wstring(1100, L'a').c_str());
    ASSERT_EQ(base.GetCapacity(), 1101);
    ZrString shared(base);
    EXPECT_EQ(CapacityAfter(shared, 1100), 1101); // shared: exactly the minimum, no rounding
    EXPECT_NE(shared.c_str(), base.c_str());
    ZrString rounded(base.c_str());
    EXPECT_EQ(CapacityAfter(rounded, 1101), 2048 + 1);
    EXPECT_EQ(rounded, base);
    ZrString exact(base.c_str());
    EXPECT_EQ(CapacityAfter(exact, 1101, true), 1101 + 1);
    const wchar_t* before = exact.c_str();
    CapacityAfter(exact, 1101); // already holds 1101: no new block
    EXPECT_EQ(exact.c_str(), before);
    ZrString pow2(std::wstring(2000, L'a').c_str());
    EXPECT_EQ(CapacityAfter(pow2, 2048), 4096 + 1); // strictly greater power of two
    ZrString big(L"x");
    EXPECT_EQ(CapacityAfter(big, 0x100001), 0x200000 + 1);
    EXPECT_EQ(CapacityAfter(big, 0x200001), 0x300000 + 1);
}

TEST(ZrStringBuffer, SmallBlockThatHoldsTheRequestIsKept) {
    ZrString s(L"abcd");
    CapacityAfter(s, 4);
    const wchar_t* before = s.c_str();
    CapacityAfter(s, s.GetCapacity() - 1);
    EXPECT_EQ(s.c_str(), before);
    CapacityAfter(s, s.GetCapacity());
    EXPECT_NE(s.c_str(), before);
    EXPECT_EQ(s, L"abcd");
}

TEST(ZrStringBuffer, ReleaseBufferFindsOrClampsTheLength) {
    ZrString s;
    wchar_t* p = s.GetBuffer(10, false, false);
    wcscpy(p, L"abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    p = s.GetBuffer(3);
    s.ReleaseBuffer(1000);
    EXPECT_EQ(s.GetLength(), s.GetCapacity() - 1);
}

TEST(ZrStringBuffer, AppendWithGrowthStepTakesNextMultiple) {
    ZrString s(std::wstring(1100, L'a').c_str());
    s.Append(L"bcdef", 5, 1000); // new length 1105 -> holds 2000
    EXPECT_EQ(s.GetCapacity(), 2001);
    const std::wstring fill(895, L'c');
    s.Append(fill.c_str(), 895, 1000); // length 2000 still fits
    EXPECT_EQ(s.GetCapacity(), 2001);
    s.Append(L"d", 1, 1000); // 2001 -> 3000
    EXPECT_EQ(s.GetCapacity(), 3001);
    EXPECT_EQ(s.GetLength(), 2001);
    EXPECT_EQ(s.Right(3), L"ccd");
}

TEST(ZrStringCache, FreedSmallBlocksAreReused) {
    auto& g = ZrStringGlobals::Get();
    { ZrString a(L"cache me please"); }
    const int cached = g.GetCachedBlockCount();
    EXPECT_GE(cached, 1);
    ZrString b(L"cache me again!");
    EXPECT_EQ(g.GetCachedBlockCount(), cached - 1);
    { ZrString large(std::wstring(1031, L'x').c_str()); } // capacity 1032: not cached
    EXPECT_EQ(g.GetCachedBlockCount(), cached - 1);
}

TEST(ZrStringUtf8, EncodesByCodePointRange) {
    EXPECT_EQ(ZrString(L"\u00E9").ToUtf8(), Bytes({0xC3, 0xA9}));
    EXPECT_EQ(ZrString(L"\u20AC").ToUtf8(), Bytes({0xE2, 0x82, 0xAC}));
    EXPECT_EQ(ZrString(L"\U0001F600").ToUtf8(), Bytes({0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(ZrString::Utf8Length(L"a\u00E9\u20AC\U0001F600", -1, true), 1 + 2 + 3 + 4 + 1);
    EXPECT_EQ(ZrString::Utf8Length(L"a\u00E9", -1, false), 3);
}

// Up to three bytes decode; broken sequences fall back to Latin-1, byte by
// byte; a four-byte sequence (beyond 16 bits) becomes "?"; an overlong NUL
// ends the text (found by fuzzing: it once put a terminator inside the text).
TEST(ZrStringUtf8, DecodingRules) {
    const struct {
        std::string bytes;
        const wchar_t* text;
    } cases[] = {
        {ZrString(L"a\u00E9\u20AC\u07FF\uFFFD").ToUtf8(), L"a\u00E9\u20AC\u07FF\uFFFD"},
        {Bytes({0xC3, 0x28}), L"\u00C3("},
        {Bytes({0x80, 0x41, 0xBF}), L"\u0080A\u00BF"},
        {Bytes({0xE2, 0x82, 0x41}), L"\u00E2\u0082A"},
        {Bytes({0xE2, 0x82}), L"\u00E2\u0082"},
        {Bytes({0xFF, 0xFE}), L"\u00FF\u00FE"},
        {Bytes({'x', 0xF0, 0x9F, 0x98, 0x80, 'y'}), L"x?y"},
        {Bytes({0xF0, 0x9F, 0x98, 'z'}), L"\u00F0\u009F\u0098z"},
        {Bytes({'a', 0xC0, 0x80, 'b'}), L"a"},
        {Bytes({0xE0, 0x80, 0x80, 'b'}), L""},
        {Bytes({0xC1, 0xBF}), L"\u007F"},
    };
    for (const auto& c : cases) {
        const ZrString text = ZrString::FromUtf8(c.bytes.c_str());
        EXPECT_EQ(text, c.text) << c.bytes;
        EXPECT_EQ(text.GetLength(), int(wcslen(c.text))) << c.bytes;
    }
    EXPECT_EQ(ZrString::Utf8CharCount(Bytes({'x', 0xF0, 0x9F, 0x98, 0x80}).c_str()), 2);
    EXPECT_EQ(ZrString::Utf8CharCount(Bytes({'a', 0xC0, 0x80, 'b'}).c_str(), 4), 1);
}

TEST(ZrStringUtf8, LengthLimitCutsSequencesAndNulEndsEarly) {
    const std::string euro = Bytes({'a', 0xE2, 0x82, 0xAC});
    EXPECT_EQ(ZrString::FromUtf8(euro.c_str(), 4), L"a\u20AC");
    EXPECT_EQ(ZrString::FromUtf8(euro.c_str(), 3), L"a\u00E2\u0082");
    EXPECT_EQ(ZrString::FromUtf8(euro.c_str(), 0), L"");
    const char withNul[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(ZrString::FromUtf8(withNul, 4), L"ab");
    EXPECT_EQ(ZrString::Utf8CharCount(euro.c_str(), 3), 3);
}

TEST(ZrStringLatin1, RoundTripAndOutOfRange) {
    const char bytes[] = {'A', static_cast<char>(0xE9), 0, 'B'};
    EXPECT_EQ(ZrString::FromLatin1(bytes, 4, true), L"A\u00E9");
    ZrString full = ZrString::FromLatin1(bytes, 4, false);
    EXPECT_EQ(full.GetLength(), 4);
    EXPECT_EQ(full[3], L'B');
    EXPECT_EQ(ZrString(L"\u03A9x\u00FF").ToLatin1(), Bytes({'?', 'x', 0xFF}));
}

TEST(ZrStringWideUnits, Utf16ByteOrderMarks) {
    const uint16_t plain[] = {0xFEFF, 'h', 0x20AC};
    EXPECT_EQ(ZrString::FromUtf16(plain, 3), L"h\u20AC");
    EXPECT_EQ(ZrString::FromUtf16(plain, 3, false).GetLength(), 3);
    const uint16_t swapped[] = {0xFFFE, 0x6800, 0xAC20};
    EXPECT_EQ(ZrString::FromUtf16(swapped, 3), L"h\u20AC");
    const uint16_t noMark[] = {0x6800, 0xAC20};
    EXPECT_EQ(ZrString::FromUtf16(noMark, 2, true, true), L"h\u20AC");
    const uint16_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(ZrString::FromUtf16(pair, -1).GetLength(), 2);
}

TEST(ZrStringWideUnits, Utf32ByteOrderMarks) {
    const uint32_t plain[] = {0xFEFF, 'h', 0x1F600};
    EXPECT_EQ(ZrString::FromUtf32(plain, 3), L"h\U0001F600");
    const uint32_t swapped[] = {0xFFFE0000u, 0x68000000u, 0x00F60100u};
    EXPECT_EQ(ZrString::FromUtf32(swapped, 3), L"h\U0001F600");
    const uint32_t noMark[] = {0x68000000u};
    EXPECT_EQ(ZrString::FromUtf32(noMark, 1, true, true), L"h");
}

TEST(ZrStringSearch, FindRulesAndClamping) {
    ZrString s(L"abcabc");
    EXPECT_EQ(s.Find(L'c'), 2);
    EXPECT_EQ(s.Find(L'c', 3), 5);
    EXPECT_EQ(s.Find(L'a', -1), -1);
    EXPECT_EQ(s.Find(L'a', 6), -1);
    EXPECT_EQ(s.Find(L"ca"), 2);
    EXPECT_EQ(s.Find(L"bc", 2), 4);
    EXPECT_EQ(s.Find(L"x"), -1);
    EXPECT_EQ(s.ReverseFind(L'b'), 4);
    EXPECT_EQ(s.FindNoCase(L"CA"), 2);
    EXPECT_EQ(s.Mid(4), L"bc");
    EXPECT_EQ(s.Mid(-3, 2), L"ab");
    EXPECT_EQ(s.Mid(7), L"");
    EXPECT_EQ(s.Mid(2, 100), L"cabc");
    EXPECT_EQ(s.Left(10), L"abcabc");
    EXPECT_EQ(s.Right(2), L"bc");
}

TEST(ZrStringCompare, CaseInsensitiveCompareAndHash) {
    ZrString a(L"ABC");
    EXPECT_EQ(a.CompareNoCase(L"abc"), 0);
    EXPECT_TRUE(a.EqualsNoCase(L"aBc"));
    EXPECT_NE(a.Compare(L"abc"), 0);
    EXPECT_EQ(a.HashNoCase(), ZrString(L"abc").HashNoCase());
    EXPECT_NE(a.Hash(), ZrString(L"abc").Hash());
    EXPECT_EQ(ZrString(L"ab").Hash(), 97u * 65599u + 98u);
    EXPECT_LT(ZrString(L"a").Compare(L"\U0001F600"), 0);
    EXPECT_LT(ZrString(L"ab").CompareNoCase(L"ABC"), 0);
    EXPECT_TRUE(ZrString(L"abc") < ZrString(L"abd"));
}

TEST(ZrStringEdit, TrimReplaceCaseInsertDelete) {
    ZrString s(L" \t  mid dle \n");
    s.Trim();
    EXPECT_EQ(s, L"mid dle");
    s.Replace(L"d", L"DD");
    EXPECT_EQ(s, L"miDD DDle");
    s.Replace(L"DD", L"");
    EXPECT_EQ(s, L"mi le");
    EXPECT_EQ(s.ToUpper(), L"MI LE");
    EXPECT_EQ(ZrString(L"MiX").ToLower(), L"mix");
    s.Insert(2, L"--");
    EXPECT_EQ(s, L"mi-- le");
    s.Delete(2, 3);
    EXPECT_EQ(s, L"mile");
}

// A base outside 2 to 36 or a buffer too small for the digits leaves the
// buffer untouched; a number too long for it empties it.
TEST(ZrStringNumbers, IntToTextBasesAndLimits) {
    const struct {
        long long value;
        int size, base;
        const wchar_t* text;
    } cases[] = {{255, 80, 16, L"ff"},   {-42, 80, 10, L"-42"},
                 {35, 80, 36, L"z"},     {LLONG_MIN, 80, 10, L"-9223372036854775808"},
                 {5, 80, 37, L"keep"},   {5, 7, 10, L"keep"},
                 {123456789, 8, 10, L""}};
    for (const auto& c : cases) {
        wchar_t buf[80] = L"keep";
        ZrString::IntToText(c.value, buf, c.size, c.base);
        EXPECT_STREQ(buf, c.text) << c.value << " base " << c.base;
    }
    EXPECT_EQ(ZrString::FromInt(-1234567890123LL), L"-1234567890123");
}

TEST(ZrStringNumbers, ParsingIsForgivingOnTheLeadingPart) {
    bool ok = false;
    EXPECT_EQ(ZrString(L"  -17abc").ToInt(&ok), -17);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ZrString(L"abc").ToInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ZrString(L"99999999999999999999").ToInt(), LLONG_MAX);
    EXPECT_DOUBLE_EQ(ZrString(L" 2.5e2 dB").ToDouble(&ok), 250.0);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(ZrString(L"-0.75").ToDouble(), -0.75);
    ZrString(L"x1").ToDouble(&ok);
    EXPECT_FALSE(ok);
}

TEST(ZrStringFormat, ConversionsUsedByCallers) {
    ZrString name(L"Layer");
    EXPECT_EQ(ZrString::Format(L"%s %d, %i%%", name, 3, -4), L"Layer 3, -4%");
    EXPECT_EQ(ZrString::Format(L"[%s]", L"wide"), L"[wide]");
    EXPECT_EQ(ZrString::Format(L"%ld|%lld|%I64d", 5000000000LL, -1LL, 1LL << 40),
              L"5000000000|-1|1099511627776");
    EXPECT_EQ(ZrString::Format(L"%.1f kbps", 127.96), L"128.0 kbps");
    EXPECT_EQ(ZrString::Format(L"%.3f", -0.5), L"-0.500");
    EXPECT_EQ(ZrString::Format(L"%u %x %X %hd", -1, 255, 255, 7), L"4294967295 ff FF 7");
}

TEST(ZrStringFormat, FlagsWidthAndPrecision) {
    EXPECT_EQ(ZrString::Format(L"%5d|%-5d|%05d|%+d", 42, 42, -42, 7), L"   42|42   |-0042|+7");
    EXPECT_EQ(ZrString::Format(L"%.3d|%#x|%08.2f", 5, 255, 3.14159), L"005|0xff|00003.14");
    EXPECT_EQ(ZrString::Format(L"%6s|%-6s|%.2s", L"ab", L"ab", L"abcdef"), L"    ab|ab    |ab");
    EXPECT_EQ(ZrString::Format(L"%*d|%.*f", 4, 1, 2, 1.0), L"   1|1.00");
    EXPECT_EQ(ZrString::Format(L"%f", INFINITY), L"inf");
    EXPECT_EQ(ZrString::Format(L"%.1f", -INFINITY), L"-inf");
}

TEST(ZrStringFormat, MissingAndMismatchedArguments) {
    EXPECT_EQ(ZrString::Format(L"a%db%sc"), L"abc");
    EXPECT_EQ(ZrString::Format(L"%d", L"text"), L"text");
    EXPECT_EQ(ZrString::Format(L"%s", 12), L"12");
    EXPECT_EQ(ZrString::Format(L"end%"), L"end%");
    EXPECT_EQ(ZrString::Format(L"%s", static_cast<const wchar_t*>(nullptr)), L"");
    EXPECT_EQ(ZrString::Format(L"%s", "latin\xE9"), L"latin\u00E9");
}
