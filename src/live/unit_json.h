#pragma once

#include <nlohmann/json.hpp>

#include "live/unit_view.h"
#include "workunits/wu.h"

namespace korvid::live {

// The inspector's JSON of one live unit: the view's fields, and the frames read from the log
// when logged is given. Date-times are "YYYY-MM-DD HH:MM:SS" UTC, or null when not known.
[[nodiscard]] nlohmann::json UnitJson(const TUnitView& unit, const workunits::TWU* logged);

} // namespace korvid::live
