#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "translation/translation.h"
#include "util/platform.h"
#include "workunits/wu.h"

namespace korvid::window {

// The information block beside the chart: a title line and the memo's text.
struct TWUInfo {
    std::string Title;
    // Lines separated by "\n"; no blank or line break at either end, the last line the log path.
    std::string Memo;
};

// Labels from the catalogue, dates in the regional short date and time, durations in the
// language's words, the validity with two decimals as the language or the region writes them.
// Given the time now, a unit still folding also shows its time left and expected end.
[[nodiscard]] TWUInfo BuildWUInfo(const workunits::TWU& wu,
                                  const translation::TTranslation& translation,
                                  const util::IRegionalSettings& regional,
                                  std::optional<double> now = std::nullopt);

// The time left and the expected end of a unit still folding, a "label: value" line each with
// "\n" between them; empty for a unit with nothing to wait for.
[[nodiscard]] std::string EtaText(const workunits::TWU& wu, double now,
                                  const translation::TTranslation& translation,
                                  const util::IRegionalSettings& regional);

// The core code as the block shows it: "?" for none and the placeholder, else hexadecimal with
// at least two upper-case digits.
[[nodiscard]] std::string CoreCodeText(std::uint16_t core);

} // namespace korvid::window
