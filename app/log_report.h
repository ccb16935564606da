#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "util/platform.h"
#include "workunits/wus.h"

namespace korvid::inspect {

// The collection as JSON, one unit per line.
void WriteJson(const workunits::TWUs& wus, std::ostream& out);

// korvid-inspect with its arguments (without the program name). Returns the exit code:
// 0 ok, 1 a file could not be read, 2 bad usage. The summary table is coloured only on a terminal.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const util::IClock& clock, bool outIsTerminal = false);

} // namespace korvid::inspect
