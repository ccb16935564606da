#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "live/unit_view.h"
#include "workunits/wu.h"

namespace korvid::inspect {

// What one client showed before the report was made.
struct TClientReport {
    std::string Address;
    std::string Machine;
    std::string Version;
    double Ppd = 0;
    std::vector<live::TUnitView> Units;
    std::vector<const workunits::TWU*> Logged; // per unit, nullptr when the log named none
};

// {"clients": [...]}, a client a line, its units as UnitJson.
void WriteClientsJson(std::span<const TClientReport> clients, std::ostream& out);

// A line per unit, then the PPD of each machine and of all.
void WriteClientsSummary(std::span<const TClientReport> clients, std::ostream& out, bool colour);

// True when the arguments ask for live clients rather than files.
[[nodiscard]] bool AsksForClients(const std::vector<std::string>& args);

// korvid-inspect --client ... with its arguments (without the program name). Returns the exit
// code: 0 every client printed, 1 one at least could not be, 2 bad usage.
int RunClients(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool outIsTerminal);

} // namespace korvid::inspect
