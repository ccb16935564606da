#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "workunits/wus.h"

namespace korvid::inspect {

enum class TTone { Plain, Good, Bad, Running };

struct TTableRow {
    std::vector<std::string> Cells;
    TTone Tone = TTone::Plain; // of the last cell, when in colour
};

// "m:ss", or "h:mm:ss" from an hour on; "-" for no time.
[[nodiscard]] std::string SecondsText(double seconds);

// Columns as wide as their widest cell, two blanks apart; a row short of cells leaves the rest
// blank.
void WriteAlignedTable(const std::vector<std::string>& header, std::span<const TTableRow> rows,
                       std::span<const bool> rightAligned, bool colour, std::ostream& out);

// One line per unit for a person at a terminal: project, run/clone/gen, core, frames,
// time per frame, start, end or expected end, and how the unit ended. Colour only when asked.
void WriteSummaryTable(const workunits::TWUs& wus, double now, std::ostream& out, bool colour);

// The same cells as CSV, with a header line.
void WriteSummaryCsv(const workunits::TWUs& wus, double now, std::ostream& out);

} // namespace korvid::inspect
