#include "window/chart_view.h"

#include <cmath>

#include "util/duration_words.h"
#include "window/wu_tree.h"

namespace korvid::window {

TChartView::TChartView(const translation::TTranslation& translation,
                       const util::IRegionalSettings& regional)
    : m_translation(translation), m_regional(regional)
{
}

void TChartView::BuildPoints(const workunits::TWU* wu)
{
    m_wu = wu;
    if (wu == nullptr)
        return;
    const workunits::TSteps& steps = wu->Steps;
    // Other cores log 0 percent when they start: no frame of work. Without steps the header goes
    // too, which the engine draws as nothing, as it does the header alone.
    const std::size_t skip =
        wu->Core != workunits::core::Tinker && (steps.Empty() || steps.Front().Frame == 0) ? 1 : 0;
    const std::size_t rows = static_cast<std::size_t>(steps.Count()) + 1 - skip;
    m_points.clear();
    m_points.reserve(rows);
    if (rows == 0)
        return;
    m_points.push_back({0.0F, 1.0F});
    std::size_t index = 0;
    for (const workunits::TStep& step : steps) {
        if (index++ < skip)
            continue;
        // Durations are seconds; the y axis counts minutes.
        m_points.push_back(
            {static_cast<float>(step.Frame), static_cast<float>(step.Duration / 60.0)});
    }
}

float ChartYMax(const workunits::TWU& wu)
{
    // nearbyint rounds half to even in the default rounding mode: 2.5 minutes give 2.
    return static_cast<float>(std::nearbyint(wu.MaxDuration() / 60.0) + 5);
}

std::optional<TChartPicture> TChartView::Picture() const
{
    if (m_wu == nullptr)
        return std::nullopt;
    const workunits::TWU& wu = *m_wu;
    TChartPicture picture;
    picture.Title = ProteinText(wu, true) + " (Run " + std::to_string(wu.Run) + ", Clone " +
                    std::to_string(wu.Clone) + ", Gen " + std::to_string(wu.Gen) + ")";
    picture.XCaption = m_translation.GetText("", "msgAxisX");
    picture.YCaption = m_translation.GetText("", "msgAxisY");
    picture.XMax = static_cast<float>(wu.FramesExpected);
    picture.YMax = ChartYMax(wu);
    picture.Points = &m_points;
    // A mark on the first step would end no phase worth showing.
    if (const std::ptrdiff_t k = wu.Steps.FirstConverged(); k > 0)
        picture.ConvergedX = static_cast<double>(wu.Steps.Items(k)->Frame) + 1 + 0.5;
    for (const workunits::TStep& step : wu.Steps)
        if (step.RestartAfter)
            picture.RestartFrames.push_back(step.Frame);
    picture.ConvergedLegend = m_translation.GetText("", "msgLegendConverged");
    picture.RestartLegend = m_translation.GetText("", "msgLegendRestart");
    return picture;
}

void TChartView::Paint(chart::TChart& chart, chart::ICanvas& canvas) const
{
    const std::optional<TChartPicture> picture = Picture();
    PaintChart(chart, canvas, picture ? &*picture : nullptr,
               [this](std::size_t row, std::size_t column, std::string& text) {
                   PointHint(row, column, text);
               });
}

const workunits::TStep* TChartView::PointStep(std::size_t row) const
{
    if (m_wu == nullptr || row >= m_points.size() || m_points[row].empty())
        return nullptr;
    const double frame = std::nearbyint(static_cast<double>(m_points[row][0]));
    if (!(frame >= -2147483648.0 && frame <= 2147483647.0))
        return nullptr;
    return m_wu->FindStep(static_cast<int>(frame));
}

void TChartView::PointHint(std::size_t row, std::size_t, std::string& text) const
{
    const workunits::TStep* step = PointStep(row);
    if (step == nullptr)
        return;
    text = "Frame #" + std::to_string(step->Frame) + " @ " +
           m_regional.FormatShortTime(step->Date) + " : " +
           util::DurationToText(step->Duration, util::DurationWordsOf([this](std::string_view key) {
                                    return m_translation.GetText("", key);
                                }));
}

} // namespace korvid::window
