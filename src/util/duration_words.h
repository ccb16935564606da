#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvid::util {

// The words of a duration, each a pattern whose "%d" takes the number: "%d j." or "%d d".
struct TDurationWords {
    std::string Year = "%d an";
    std::string Years = "%d ans";
    std::string Day = "%d j.";
    std::string Hour = "%d h.";
    std::string Minute = "%d mn.";
    std::string Second = "%d sec.";
};

// The catalogue's label of a message key, "" when it has none.
using TLabelOf = std::function<std::string(std::string_view key)>;

// The words a language gives ("msgDurYear" and the like); a key it lacks, or whose text has no
// "%d", keeps the French word.
[[nodiscard]] TDurationWords DurationWordsOf(const TLabelOf& label);

// Seconds in the given words; the parts shown and their order are those of DurationToText.
[[nodiscard]] std::string DurationToText(double seconds, const TDurationWords& words);

// How a language writes a percentage: its decimal separator ("msgDecimalSeparator", one
// character, else the regional one) and its pattern ("msgPercent", whose "%s" takes the number,
// else the number and the sign with nothing between: "87,50%").
struct TPercentStyle {
    char Separator = '.';
    std::string Pattern = "%s%";
};
[[nodiscard]] TPercentStyle PercentStyleOf(const TLabelOf& label, char regional);

// Fixed two decimals in the given style: "87,50%", or "87,50 %" with the pattern "%s %".
[[nodiscard]] std::string PercentText(double value, const TPercentStyle& style);

} // namespace korvid::util
