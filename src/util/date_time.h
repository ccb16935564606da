#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvid::util {

// Date-times are days since 1899-12-30 00:00, the fraction being the time of day; 0 is "not set".
// Nothing here consults the C library's time zone.

struct TDate {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    bool operator==(const TDate&) const = default;
};

struct TTimeOfDay {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
    bool operator==(const TTimeOfDay&) const = default;
};

// 1 to 12 for the English month names in any letter case; -1 for anything else.
[[nodiscard]] int MonthFromName(std::string_view name);
[[nodiscard]] bool IsLeapYear(int year);
[[nodiscard]] int DaysInMonth(int year, int month);
// None when the month or day does not exist (years 1..9999).
[[nodiscard]] std::optional<double> EncodeDate(int year, int month, int day);
// None when out of 00:00:00..23:59:59.
[[nodiscard]] std::optional<double> EncodeTime(int hour, int minute, int second);
[[nodiscard]] TDate DecodeDate(double dateTime);
// Rounded to the millisecond, as a clock shows it.
[[nodiscard]] TTimeOfDay DecodeTime(double dateTime);
// The calendar day of a date-time, at midnight.
[[nodiscard]] double DateOf(double dateTime);
// The same date and time a whole number of years later; 29 February becomes 28 February.
[[nodiscard]] double IncYear(double dateTime, int years);
// Whole seconds from a to b, rounded to the nearest, halves to even; saturates at the int range.
[[nodiscard]] int SecondsBetween(double a, double b);
// "YYYY-MM-DD HH:MM:SS", rounded to the nearest second.
[[nodiscard]] std::string FormatIso(double dateTime);
// The same into out, which holds at least FormatIsoMax bytes; returns the length written.
constexpr std::size_t FormatIsoMax = 64;
std::size_t FormatIsoTo(double dateTime, char* out);
// "yyyymmdd_hhnn", the stamp export file names carry.
[[nodiscard]] std::string FormatFileStamp(double dateTime);

} // namespace korvid::util
