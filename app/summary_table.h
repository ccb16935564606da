#pragma once

#include <ostream>

#include "workunits/wus.h"

namespace korvid::inspect {

// One line per unit for a person at a terminal: project, run/clone/gen, core, frames,
// time per frame, start, end or expected end, and how the unit ended. Colour only when asked.
void WriteSummaryTable(const workunits::TWUs& wus, double now, std::ostream& out, bool colour);

// The same cells as CSV, with a header line.
void WriteSummaryCsv(const workunits::TWUs& wus, double now, std::ostream& out);

} // namespace korvid::inspect
