#pragma once

#include <string_view>

#include "util/platform.h"
#include "workunits/wus.h"

namespace korvid::history {

// Reads a history text that earlier versions wrote, v5/v6 and client unit texts side by side,
// into wus; the client texts are cut again by the rules those versions relied on.
workunits::TReadStats ImportStoredText(std::string_view content, workunits::TWUs& wus,
                                       const util::IClock& clock);

} // namespace korvid::history
