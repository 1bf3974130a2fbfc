#pragma once

#include "ZrCoreLib/ZrString.h"

// The host's date numbers and their ISO 8601 text. A date number counts days
// since 30 December 1899, its fraction being the time of day.
//
// Two marks keep the meaning of a text through the round trip: a bare year
// parses to 1 January at midnight exactly, which formats back as the bare
// year; a full date on 1 January carries 0.1 s, and a date with an explicit
// midnight time carries 0.2 s, so that neither collapses to the other form.
class ZrDateTime {
public:
    // Accepts "YYYY", "YYYY-MM", "YYYY-MM-DD" and "YYYY-MM-DD" followed by "T"
    // (or a space) and "HH", "HH:MM" or "HH:MM:SS" with an optional fraction
    // of seconds and an optional "Z" or numeric zone, which is ignored (ID3v2.4
    // timestamps carry none). Surrounding white space is allowed. Returns
    // false, leaving date unchanged, for anything else or an impossible date.
    static bool ParseIso8601(const ZrString& text, double& date);

    // Date-mode text: "YYYY-MM-DDTHH:MM:SS" when the time is real, the bare
    // year for a year-only date, "YYYY-MM-DD" otherwise. Non-finite numbers
    // and dates outside the years 0 to 9999 give the empty string.
    static ZrString FormatDate(double date);

    // The time of day counts: at least 1 s past midnight, or the explicit
    // midnight mark of 0.2 s, and not within 0.01 s of either day end.
    static bool HasRealTime(double date);
    // 1 January, no real time and not the 0.1 s mark of a full date.
    static bool IsYearOnly(double date);

    // Date number of a civil date at midnight.
    static double FromCivil(int year, int month, int day);
    // Civil date of the whole days of a date number.
    static void ToCivil(double date, int& year, int& month, int& day);
};
