#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvid::loggen {

// V6: FAHlog.txt of the 5.x/6.x clients. V7, V8: log.txt of the later clients, several slots
// folding at once, their lines interleaved.
enum class TDialect { V6, V7, V8 };

struct TLogOptions {
    TDialect Dialect = TDialect::V6;
    int Slots = 3; // V7, V8: slots folding side by side (2 to 4)
    std::uint64_t Seed = 1;
    int Units = 20;             // units to write (the last may stay unfinished)
    int FramesPerUnit = 100;    // progress lines per Gromacs-type unit
    int StartYear = 2026;       // the first unit starts on 2 January of this year
    bool Restarts = true;       // client restarts inside units (INTERRUPTED, checkpoint)
    bool UnfinishedLast = true; // the last unit is still running at the end
    bool OtherCores = true;     // Tinker frame lines, QMD with its converged line
    bool HighBytes = false;     // protein names with bytes of 0x80 and above
    bool OutdatedCores = true;  // now and then a CORE_OUTDATED unit retried
};

// A client log in the chosen dialect, the same bytes for the same options. CR LF line ends (V6),
// LF (V7, V8). HighBytes and OtherCores are for V6 only.
[[nodiscard]] std::string GenerateLog(const TLogOptions& options);

// Units enough to make roughly this many bytes with the given options.
[[nodiscard]] int UnitsForBytes(std::size_t bytes, const TLogOptions& options);

} // namespace korvid::loggen
