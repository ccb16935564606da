#pragma once

// The client's log as its stream brings it: the lines of each unit, dated, kept for the log
// reader, so that a live unit has the frames it would have read from log.txt.

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "util/platform.h"
#include "workunits/wus.h"

namespace korvid::live {

class TLiveLog {
public:
    // clock: UTC, the time of the lines. source: the log path the units are said to come from.
    explicit TLiveLog(const util::IClock& clock, std::string source = "log.txt");

    // Units read from now on say they come from there.
    void SetSource(std::string source) { m_source = std::move(source); }

    // The stream's first batch, or one sent again after the client dropped lines we had not
    // read: a unit it names is read from it, keeping what we had from before the batch's first
    // line (the client's buffer may have lost it); the others keep what they had.
    void Replace(std::span<const std::string_view> lines);
    // Lines logged since the last batch.
    void Append(std::span<const std::string_view> lines);

    // The unit of WU<number> as the reader reads its lines, or nullptr when the log named none.
    [[nodiscard]] const workunits::TWU* Unit(std::int64_t number) const;
    [[nodiscard]] std::size_t UnitCount() const { return m_units.size(); }

    // A client running for months logs many units: the oldest are forgotten beyond this.
    static constexpr std::size_t MaxUnits = 256;
    // A unit whose lines grow past this keeps no more (a stuck core repeating itself).
    static constexpr std::size_t MaxUnitBytes = std::size_t{8} << 20;

private:
    struct TUnitLines {
        std::string Text;
        // Where each kept line (with the banner before it) begins in Text, and its date-time.
        std::vector<std::pair<double, std::size_t>> Starts;
        double LastAt = 0;
        mutable bool Stale = true;
        mutable std::unique_ptr<workunits::TWUs> Read;
    };

    // Adds a dated line to its unit, when it names one and tells the reader something; order
    // learns the units it makes.
    void Keep(std::unordered_map<std::int64_t, TUnitLines>& units, std::string_view line, double at,
              std::vector<std::int64_t>* order);
    void Forget();

    const util::IClock& m_clock;
    std::string m_source;
    std::unordered_map<std::int64_t, TUnitLines> m_units;
    std::deque<std::int64_t> m_order; // first seen first
    double m_last = 0;                // date-time of the last line dated
};

} // namespace korvid::live
