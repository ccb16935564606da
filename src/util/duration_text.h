#pragma once

#include <string>

namespace korvid::util {

// Seconds as the short text the panel, the readout and the CSV show: "2 j. 3 h. 5 mn.".
[[nodiscard]] std::string DurationToText(double seconds);

} // namespace korvid::util
