#pragma once

#include <string>

#include "log_generator.h"

namespace korvid::loggen {

// GenerateLog for the V7 and V8 dialects.
[[nodiscard]] std::string GenerateClientLog(const TLogOptions& options);

} // namespace korvid::loggen
