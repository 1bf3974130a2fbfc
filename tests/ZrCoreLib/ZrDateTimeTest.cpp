#include "ZrCoreLib/ZrDateTime.h"

#include <gtest/gtest.h>

namespace {

std::string Round(const char* text) {
    double d = 0;
    if (!ZrDateTime::ParseIso8601(ZrString::FromLatin1(text), d)) return "<fail>";
    return ZrDateTime::FormatDate(d).ToUtf8();
}

} // namespace

TEST(ZrDateTimeNumbers, DaysSinceDecember30Of1899) {
    // Reference points of the serial date count: 0, the first day of 1900,
    // the first of 2000 (36526) and a leap day.
    EXPECT_EQ(ZrDateTime::FromCivil(1899, 12, 30), 0.0);
    EXPECT_EQ(ZrDateTime::FromCivil(1900, 1, 1), 2.0);
    EXPECT_EQ(ZrDateTime::FromCivil(2000, 1, 1), 36526.0);
    EXPECT_EQ(ZrDateTime::FromCivil(2000, 3, 1) - ZrDateTime::FromCivil(2000, 2, 28), 2.0);
    EXPECT_EQ(ZrDateTime::FromCivil(1800, 1, 1), -36522.0);
    int y, m, d;
    for (double n = -700000; n < 3000000; n += 997) {
        ZrDateTime::ToCivil(n + 0.5, y, m, d);
        EXPECT_EQ(ZrDateTime::FromCivil(y, m, d), n);
    }
}

TEST(ZrDateTimeText, FormsRoundTrip) {
    EXPECT_EQ(Round("2004"), "2004");
    EXPECT_EQ(Round("0424"), "0424");
    EXPECT_EQ(Round("2004-01-01"), "2004-01-01");
    EXPECT_EQ(Round("2004-05-06"), "2004-05-06");
    EXPECT_EQ(Round("2004-01-01T00:00:00"), "2004-01-01T00:00:00");
    EXPECT_EQ(Round("2004-05-06T12:34:56"), "2004-05-06T12:34:56");
    EXPECT_EQ(Round(" 2004-05-06T12:34 "), "2004-05-06T12:34:00");
    EXPECT_EQ(Round("2004-05-06T23:59:59.9Z"), "2004-05-06T23:59:59");
    EXPECT_EQ(Round("2004-05"), "2004-05-01");
    EXPECT_EQ(Round("2000-02-29"), "2000-02-29");
    for (const char* bad : {"", "204", "2004-13-01", "2004-02-30", "1900-02-29", "2004-05-06T24:00",
                            "2004/05/06", "2004-05-06x", "year"})
        EXPECT_EQ(Round(bad), "<fail>") << bad;
}

TEST(ZrDateTimeText, YearOnlyAndTimeMarks) {
    const double jan1 = ZrDateTime::FromCivil(2004, 1, 1);
    EXPECT_TRUE(ZrDateTime::IsYearOnly(jan1));
    EXPECT_FALSE(ZrDateTime::IsYearOnly(jan1 + 1.1574074074074074e-6)); // 0.1 s mark
    EXPECT_FALSE(ZrDateTime::IsYearOnly(jan1 + 0.5));
    EXPECT_FALSE(ZrDateTime::IsYearOnly(jan1 + 1));
    EXPECT_FALSE(ZrDateTime::HasRealTime(jan1 + 0.5 / 86400));          // under a second
    EXPECT_TRUE(ZrDateTime::HasRealTime(jan1 + 2.3148148148148148e-6)); // 0.2 s mark
    EXPECT_TRUE(ZrDateTime::HasRealTime(jan1 + 2.0 / 86400));
    EXPECT_FALSE(ZrDateTime::HasRealTime(jan1 + 1 - 1e-9));
    // Seconds round, and may carry into the next day.
    EXPECT_EQ(ZrDateTime::FormatDate(jan1 + 86399.6 / 86400).ToUtf8(), "2004-01-02T00:00:00");
    EXPECT_EQ(ZrDateTime::FormatDate(1e300).ToUtf8(), "");
}
