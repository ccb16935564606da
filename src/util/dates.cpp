#include "util/dates.h"

#include "util/duration_words.h"

namespace korvid::util {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
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

std::string DurationToText(double seconds)
{
    return DurationToText(seconds, TDurationWords{});
}

} // namespace korvid::util
