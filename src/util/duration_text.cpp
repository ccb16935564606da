#include "util/duration_text.h"

#include "util/duration_words.h"

namespace korvid::util {

std::string DurationToText(double seconds)
{
    return DurationToText(seconds, TDurationWords{});
}

} // namespace korvid::util
