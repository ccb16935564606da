#include "workunits/project_bench.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "workunits/csv_writer.h"

namespace korvid::workunits {
namespace {

// Units of no known project sort last.
long long ProjectKey(int project)
{
    return project < 0 ? std::numeric_limits<long long>::max() : project;
}

} // namespace

TProjectTable::TProjectTable(std::span<const TWUs* const> collections)
{
    for (std::size_t c = 0; c < collections.size(); ++c) {
        const TWUs& wus = *collections[c];
        for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
            const TWU& wu = *wus.Items(i);
            const bool seen =
                std::any_of(collections.begin(), collections.begin() + c,
                            [&](const TWUs* earlier) { return earlier->Contains(wu); });
            const TBenchmark benchmark = wu.Benchmark();
            if (seen || benchmark.Kept == 0)
                continue;
            m_units.push_back({wu.Project, &wu, wu.StartDate(), benchmark.Average});
        }
    }
    std::stable_sort(m_units.begin(), m_units.end(), [&](const TUnit& a, const TUnit& b) {
        if (a.Project != b.Project)
            return ProjectKey(a.Project) < ProjectKey(b.Project);
        return a.StartDate < b.StartDate;
    });
    for (std::size_t i = 0; i < m_units.size();) {
        std::size_t end = i;
        TProjectRow row;
        row.Project = m_units[i].Project;
        row.Best = m_units[i].Benchmark;
        row.Worst = m_units[i].Benchmark;
        double sum = 0;
        double ppdSum = 0;
        int ppdUnits = 0;
        for (; end < m_units.size() && m_units[end].Project == row.Project; ++end) {
            const TUnit& unit = m_units[end];
            sum += unit.Benchmark;
            if (unit.WU->Client.Ppd) {
                ppdSum += *unit.WU->Client.Ppd;
                ++ppdUnits;
            }
            row.Best = std::min(row.Best, unit.Benchmark);
            row.Worst = std::max(row.Worst, unit.Benchmark);
        }
        const TUnit& latest = m_units[end - 1];
        row.Units = static_cast<int>(end - i);
        row.Average = sum / row.Units;
        row.Protein = latest.WU->Protein;
        row.Core = latest.WU->CoreName();
        row.LastDate = latest.StartDate;
        row.Ppd = ppdUnits > 0 ? ppdSum / ppdUnits : 0;
        m_rows.push_back(std::move(row));
        i = end;
    }
}

std::vector<TProjectPoint> TProjectTable::Points(int project) const
{
    auto first = std::partition_point(m_units.begin(), m_units.end(), [&](const TUnit& unit) {
        return ProjectKey(unit.Project) < ProjectKey(project);
    });
    std::vector<TProjectPoint> points;
    for (; first != m_units.end() && first->Project == project; ++first)
        points.push_back({first->StartDate, first->Benchmark});
    return points;
}

std::string ProjectTableCsv(std::span<const TProjectRow> rows, const TLabels& labels,
                            const util::IRegionalSettings& regional)
{
    TCsvWriter csv(labels, regional);
    csv.Line("msgProject");
    for (const char* key : {"msgProtein", "msgBenchUnits", "msgBenchBest", "msgBenchAverage",
                            "msgBenchWorst", "msgCore", "msgBenchLastDate", "msgBenchPpd"})
        csv.Field(labels ? labels(key) : std::string{});
    for (const TProjectRow& row : rows) {
        csv.Row(row.Project < 0 ? "?" : std::to_string(row.Project))
            .Field(row.Protein)
            .Field(row.Units)
            .Field(csv.TwoDecimals(row.Best))
            .Field(csv.TwoDecimals(row.Average))
            .Field(csv.TwoDecimals(row.Worst))
            .Field(row.Core)
            .Field(csv.DateAndTime(row.LastDate))
            .Field(row.Ppd > 0 ? std::to_string(std::llround(row.Ppd)) : std::string());
    }
    return csv.Finish();
}

} // namespace korvid::workunits
