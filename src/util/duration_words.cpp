#include "util/duration_words.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace korvid::util {
namespace {

std::string Part(const std::string& pattern, std::int64_t number)
{
    std::string text = pattern;
    return text.replace(text.find("%d"), 2, std::to_string(number));
}

} // namespace

TDurationWords DurationWordsOf(const TLabelOf& label)
{
    TDurationWords words;
    auto take = [&](std::string_view key, std::string& word) {
        // A word with no place for its number is no word of a duration.
        if (std::string text = label(key); text.find("%d") != std::string::npos)
            word = std::move(text);
    };
    take("msgDurYear", words.Year);
    take("msgDurYears", words.Years);
    take("msgDurDay", words.Day);
    take("msgDurHour", words.Hour);
    take("msgDurMinute", words.Minute);
    take("msgDurSecond", words.Second);
    return words;
}

std::string DurationToText(double seconds, const TDurationWords& words)
{
    if (std::isnan(seconds))
        return {};
    // Far past any real duration; keeps the conversion below defined.
    const double limit = 9.0e15;
    const double truncated = std::trunc(std::fmax(-limit, std::fmin(limit, seconds)));
    if (truncated < 0)
        return "-" + DurationToText(-truncated, words);

    const auto s = static_cast<std::int64_t>(truncated);
    const std::int64_t totalHours = s / 3600;
    const std::int64_t totalDays = totalHours / 24;
    const std::int64_t years = totalDays / 365;
    const std::int64_t hours = totalHours - 24 * totalDays;
    const std::int64_t days = totalDays - 365 * years;
    const std::int64_t minutes = s % 3600 / 60;
    const std::int64_t secs = s % 60;

    std::string text;
    auto add = [&text](const std::string& pattern, std::int64_t number) {
        text += " " + Part(pattern, number);
    };
    if (years != 0)
        add(years == 1 ? words.Year : words.Years, years);
    if (years != 0 || days != 0)
        add(words.Day, days);
    if (hours != 0)
        add(words.Hour, hours);
    if (minutes != 0)
        add(words.Minute, minutes);
    if (secs != 0)
        add(words.Second, secs);
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string{} : text.substr(first, last - first + 1);
}

TPercentStyle PercentStyleOf(const TLabelOf& label, char regional)
{
    TPercentStyle style;
    const std::string separator = label("msgDecimalSeparator");
    style.Separator = separator.size() == 1 ? separator.front() : regional;
    // A pattern with no place for the number would lose it.
    if (std::string pattern = label("msgPercent"); pattern.find("%s") != std::string::npos)
        style.Pattern = std::move(pattern);
    return style;
}

std::string PercentText(double value, const TPercentStyle& style)
{
    // to_chars, because Qt programs run under the user's C locale and printf would follow it.
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    if (error != std::errc())
        return {};
    std::string number(text, end);
    if (const std::size_t dot = number.find('.'); dot != std::string::npos)
        number[dot] = style.Separator;
    std::string result = style.Pattern;
    return result.replace(result.find("%s"), 2, number);
}

} // namespace korvid::util
