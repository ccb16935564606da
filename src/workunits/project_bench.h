#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "util/platform.h"
#include "workunits/csv_report.h"
#include "workunits/wus.h"

namespace korvid::workunits {

// One project as donors compare them: the benchmark of its units, best, mean and worst.
struct TProjectRow {
    int Project = -1;
    std::string Protein; // of its latest unit
    int Units = 0;       // units with a benchmark
    double Best = 0;     // seconds per frame
    double Average = 0;
    double Worst = 0;
    std::string Core; // core name of its latest unit
    double LastDate = 0;
    double Ppd = 0; // mean over its units that a live client gave one; 0 when none has
};

// One unit's benchmark, for the chart of a project over time.
struct TProjectPoint {
    double StartDate = 0;
    double Benchmark = 0; // seconds per frame
};

// The collections in the order given (the history, then the open log); a unit that an earlier
// collection already holds counts once. Units without a benchmark are left out.
class TProjectTable {
public:
    explicit TProjectTable(std::span<const TWUs* const> collections);

    // In ascending project number; units of no known project last, under -1.
    [[nodiscard]] const std::vector<TProjectRow>& Rows() const { return m_rows; }
    // The project's units by start date.
    [[nodiscard]] std::vector<TProjectPoint> Points(int project) const;

private:
    struct TUnit {
        int Project;
        const TWU* WU;
        double StartDate;
        double Benchmark;
    };
    std::vector<TUnit> m_units; // by project, then start date
    std::vector<TProjectRow> m_rows;
};

// The rows as a spreadsheet: a header line of labels, then one line per row; seconds with two
// decimals and the regional decimal separator. No line end after the last line.
[[nodiscard]] std::string ProjectTableCsv(std::span<const TProjectRow> rows, const TLabels& labels,
                                          const util::IRegionalSettings& regional);

} // namespace korvid::workunits
