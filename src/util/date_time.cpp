#include "util/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "util/ascii_case.h"

namespace korvid::util {
namespace {

constexpr double SecondsPerDay = 86400.0;
// Days from 1970-01-01 back to the date-time origin 1899-12-30.
constexpr std::int64_t OriginShift = 25569;
// Far beyond any date a log can carry; keeps the integer arithmetic below defined.
constexpr double DayLimit = 1.0e9;

// Howard Hinnant's days_from_civil / civil_from_days, proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

TDate CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

double Clamp(double dateTime)
{
    if (std::isnan(dateTime))
        return 0;
    return std::fmax(-DayLimit, std::fmin(DayLimit, dateTime));
}

// Whole seconds since the origin, rounded to the nearest.
std::int64_t TotalSeconds(double dateTime)
{
    return std::llround(Clamp(dateTime) * SecondsPerDay);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

std::optional<double> EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        OriginShift);
}

std::optional<double> EncodeTime(int hour, int minute, int second)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return (hour * 3600.0 + minute * 60.0 + second) / SecondsPerDay;
}

TDate DecodeDate(double dateTime)
{
    return CivilFromDays(static_cast<std::int64_t>(std::floor(Clamp(dateTime))) - OriginShift);
}

TTimeOfDay DecodeTime(double dateTime)
{
    const double clamped = Clamp(dateTime);
    auto ms = static_cast<std::int64_t>(
        std::llround((clamped - std::floor(clamped)) * SecondsPerDay * 1000.0));
    ms = std::min<std::int64_t>(ms, 86'399'999);
    return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

double DateOf(double dateTime)
{
    return std::floor(Clamp(dateTime));
}

double IncYear(double dateTime, int years)
{
    const TDate date = DecodeDate(dateTime);
    const int year = date.Year + years;
    const int day = std::min(date.Day, DaysInMonth(year, date.Month));
    const auto moved = EncodeDate(year, date.Month, day);
    if (!moved)
        return dateTime;
    return *moved + (Clamp(dateTime) - DateOf(dateTime));
}

int SecondsBetween(double a, double b)
{
    const double seconds = std::nearbyint((Clamp(b) - Clamp(a)) * SecondsPerDay);
    constexpr double Low = std::numeric_limits<int>::min();
    constexpr double High = std::numeric_limits<int>::max();
    return static_cast<int>(std::fmax(Low, std::fmin(High, seconds)));
}

std::size_t FormatIsoTo(double dateTime, char* out)
{
    const std::int64_t total = TotalSeconds(dateTime);
    const std::int64_t days = FloorDiv(total, 86400);
    const auto rest = static_cast<int>(total - days * 86400);
    const TDate date = CivilFromDays(days - OriginShift);
    if (date.Year < 0 || date.Year > 9999) {
        // Widths vary outside four-digit years: left to printf.
        char text[64];
        const int length =
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.Year, date.Month,
                          date.Day, rest / 3600, rest / 60 % 60, rest % 60);
        std::memcpy(out, text, static_cast<std::size_t>(length));
        return static_cast<std::size_t>(length);
    }
    // Called millions of times by the JSON report: digits by hand.
    auto two = [](char* at, int value) {
        at[0] = static_cast<char>('0' + value / 10);
        at[1] = static_cast<char>('0' + value % 10);
    };
    two(out, date.Year / 100);
    two(out + 2, date.Year % 100);
    out[4] = '-';
    two(out + 5, date.Month);
    out[7] = '-';
    two(out + 8, date.Day);
    out[10] = ' ';
    two(out + 11, rest / 3600);
    out[13] = ':';
    two(out + 14, rest / 60 % 60);
    out[16] = ':';
    two(out + 17, rest % 60);
    return 19;
}

std::string FormatIso(double dateTime)
{
    char text[FormatIsoMax];
    return {text, FormatIsoTo(dateTime, text)};
}

std::string FormatFileStamp(double dateTime)
{
    const TDate date = DecodeDate(dateTime);
    const TTimeOfDay time = DecodeTime(dateTime);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d", date.Year, date.Month, date.Day,
                  time.Hour, time.Minute);
    return text;
}

int MonthFromName(std::string_view name)
{
    static constexpr std::string_view Months[] = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    for (int i = 0; i < 12; ++i)
        if (EqualsNoCase(name, Months[i]))
            return i + 1;
    return -1;
}

} // namespace korvid::util
