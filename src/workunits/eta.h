#pragma once

#include <optional>

#include "workunits/wu.h"

namespace korvid::workunits {

// When a running unit should finish, at the pace of its benchmark.
struct TEta {
    int FramesLeft = 0;
    double RemainingSeconds = 0; // from now; 0 once the expected end has passed
    double ExpectedEnd = 0;      // date-time
};

// For a unit still folding: frames done, frames still expected, no shutdown line and a
// benchmark to go by. The frames left count from the last frame the log gave, since a restart
// may repeat or skip steps. None otherwise.
[[nodiscard]] std::optional<TEta> EstimateEnd(const TWU& wu, double now);

} // namespace korvid::workunits
