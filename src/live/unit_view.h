#pragma once

// A unit of a v8 client as the client's state describes it, in the words Korvid shows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace korvid::live {

struct TGpu {
    std::string Id;          // "gpu:09:00:00"
    std::string Description; // "Vega 20"; empty when the client names none
    bool operator==(const TGpu&) const = default;
};

// Date-times are days since 1899-12-30 in UTC, as the client writes them; 0 is "not known".
struct TUnitView {
    std::string Machine;
    std::string Group;        // "" is the default group
    std::int64_t Number = -1; // WU<Number> in the client's log
    std::string Id;
    int Project = -1;
    int Run = -1;
    int Clone = -1;
    int Gen = -1;
    std::uint16_t Core = 0; // 0xa8; 0 before the assignment
    std::string CoreName;   // from the readers' table; "?" when unknown
    std::string State;  // as the client says it: ASSIGN, DOWNLOAD, CORE, RUN, UPLOAD, DUMP, DONE
    std::string Status; // by the web control's rule: CREDITED, WAIT, FINISH, PAUSE or State
    std::string PauseReason;
    double Progress = 0;   // percent, 0..100
    double RunSeconds = 0; // whole run time, the current run included
    double TpfSeconds = 0; // run time per percent; 0 before any progress
    std::optional<double> EtaSeconds;
    double Ppd = 0;
    int BaseCredit = 0;
    double Assigned = 0;
    double Timeout = 0;
    double Deadline = 0;
    double Started = 0; // start of the current run
    double Ended = 0;   // a finished unit's end
    int Cpus = 0;
    std::vector<TGpu> Gpus; // empty for a CPU unit
    bool operator==(const TUnitView&) const = default;
};

// What a view's clocked fields (run time, TPF, status) are made of.
struct TUnitClock {
    double WaitUntil = 0; // a back-off in progress makes the unit WAIT until then
    bool GroupFinishing = false;
    double BaseRunSeconds = 0; // run time up to the end of the last run
    std::string Result;        // upper-cased: a unit that ended says how
};

struct TVersion {
    int Major = 0;
    int Minor = 0;
    int Patch = 0;
    [[nodiscard]] bool AtLeast(int major, int minor) const
    {
        return Major != major ? Major > major : Minor >= minor;
    }
};

// "8.4.5"; none when it does not start with two numbers.
[[nodiscard]] std::optional<TVersion> ParseVersion(std::string_view text);
// "2024-10-01T01:47:57Z" (fractions of a second allowed); none when malformed.
[[nodiscard]] std::optional<double> ParseUtcTime(std::string_view text);
// Integer seconds, or <number><unit> tokens whose unit's first letter is y, d, h, m or s:
// "2m 57s", "1.25d", "2 mins 57 secs", "44.00s". None for anything else.
[[nodiscard]] std::optional<double> ParseEta(const nlohmann::json& eta);
// The shipped words for a status: "Running", "Credited"; the code itself when unknown.
[[nodiscard]] std::string_view StatusText(std::string_view status);

// Reads a whole unit. state is the client's whole state (for its GPUs and the unit's group);
// a missing or ill-typed field leaves the default. The clocked fields are left to SetClocked.
void ReadUnit(const nlohmann::json& unit, const nlohmann::json& state, const TVersion& version,
              TUnitView& view, TUnitClock& clock);
// Reads again only the field key of the unit, for the keys that change many times a minute
// (eta, progress, ppd, frames); false for any other key: read the whole unit.
[[nodiscard]] bool ReadUnitField(std::string_view key, const nlohmann::json& unit,
                                 const TVersion& version, TUnitView& view);
// The run time the whole unit takes as the client sees it: a hundred times its TPF, else what
// its ETA leaves of it; 0 when neither is known. The client's PPD is its credit estimate over
// this, a day long.
[[nodiscard]] double RunEstimateSeconds(const TUnitView& unit);
// Run time, TPF and status at now (UTC days).
void SetClocked(TUnitView& view, const TUnitClock& clock, double now);
// The three at once.
[[nodiscard]] TUnitView ViewAt(const nlohmann::json& unit, const nlohmann::json& state,
                               const TVersion& version, double now);

} // namespace korvid::live
