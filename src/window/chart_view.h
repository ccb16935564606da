#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "chart/chart.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "window/chart_paint.h"
#include "workunits/wu.h"

namespace korvid::window {

// What the chart shows of one work unit: the minutes each frame took against its number, a
// magenta line where the converging phase ended and red ticks where the client restarted.
// The unit is not owned: whoever removes it from its collection shows another one (or none)
// first.
class TChartView {
public:
    TChartView(const translation::TTranslation& translation,
               const util::IRegionalSettings& regional);
    TChartView(const TChartView&) = delete;
    TChartView& operator=(const TChartView&) = delete;

    // Shows the unit, none for the blank chart, and rebuilds the data from its steps. With none
    // the data stay as they were; no paint reads them then. The caller resets the zoom and
    // repaints.
    void BuildPoints(const workunits::TWU* wu);
    [[nodiscard]] const workunits::TWU* CurrentWU() const { return m_wu; }
    // Row 0 the header (column 1 on y axis 1), then frame number and minutes per step.
    [[nodiscard]] const chart::TDataArray& Points() const { return m_points; }

    // What a paint hands to the engine; none without a unit. Captions from the catalogue.
    [[nodiscard]] std::optional<TChartPicture> Picture() const;
    // The whole chart, from ChartInit to ChartFinish.
    void Paint(chart::TChart& chart, chart::ICanvas& canvas) const;

    // The step behind a data row, none outside the data or without a unit.
    [[nodiscard]] const workunits::TStep* PointStep(std::size_t row) const;
    // The readout text of a data row; left as it came when the row has no step.
    void PointHint(std::size_t row, std::size_t column, std::string& text) const;

private:
    const translation::TTranslation& m_translation;
    const util::IRegionalSettings& m_regional;
    const workunits::TWU* m_wu = nullptr;
    chart::TDataArray m_points;
};

// Longest frame in minutes, rounded half to even, plus 5: where the y axis ends.
[[nodiscard]] float ChartYMax(const workunits::TWU& wu);

} // namespace korvid::window
