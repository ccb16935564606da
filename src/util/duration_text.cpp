#include "util/duration_text.h"

#include <cmath>
#include <cstdint>

namespace korvid::util {

std::string DurationToText(double seconds)
{
    if (std::isnan(seconds))
        return {};
    // Far past any real duration; keeps the conversion below defined.
    const double limit = 9.0e15;
    const double truncated = std::trunc(std::fmax(-limit, std::fmin(limit, seconds)));
    if (truncated < 0)
        return "-" + DurationToText(-truncated);

    const auto s = static_cast<std::int64_t>(truncated);
    const std::int64_t totalHours = s / 3600;
    const std::int64_t totalDays = totalHours / 24;
    const std::int64_t years = totalDays / 365;
    const std::int64_t hours = totalHours - 24 * totalDays;
    const std::int64_t days = totalDays - 365 * years;
    const std::int64_t minutes = s % 3600 / 60;
    const std::int64_t secs = s % 60;

    std::string text;
    if (years != 0)
        text += std::to_string(years) + (years == 1 ? " an" : " ans");
    if (years != 0 || days != 0)
        text += " " + std::to_string(days) + " j.";
    if (hours != 0)
        text += " " + std::to_string(hours) + " h.";
    if (minutes != 0)
        text += " " + std::to_string(minutes) + " mn.";
    if (secs != 0)
        text += " " + std::to_string(secs) + " sec.";
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string{} : text.substr(first);
}

} // namespace korvid::util
