#include "util/platform.h"

#include <cstdio>
#include <ctime>

#include <sys/time.h>

#include "util/date_time.h"

namespace korvid::util {

double TSystemClock::Now() const
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    const std::time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &local);
    const auto date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const auto time =
        EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
    return date.value_or(0) + time.value_or(0) + static_cast<double>(tv.tv_usec) / 1e6 / 86400.0;
}

} // namespace korvid::util

namespace korvid::util {

std::string TFixedRegionalSettings::FormatShortDate(double dateTime) const
{
    return FormatIso(dateTime).substr(0, 10);
}

std::string TFixedRegionalSettings::FormatShortTime(double dateTime) const
{
    const TTimeOfDay time = DecodeTime(dateTime);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", time.Hour, time.Minute);
    return text;
}

} // namespace korvid::util
