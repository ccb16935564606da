#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/chart.h"

// Header only and free of Qt and of work units, so the engine's own tests and the benchmarks
// paint exactly what the chart view paints without linking the window.

namespace korvid::window {

// Everything one paint of the chart view hands to the engine.
struct TChartPicture {
    std::string Title;
    std::string XCaption;
    std::string YCaption;
    float XMax = 0; // expected frames; 0 leaves the x axis undefined and the data undrawn
    float YMax = 0; // minutes
    // Kept by the owner until the next paint: the readout reads it between paints.
    const chart::TDataArray* Points = nullptr;
    std::optional<double> ConvergedX;
    std::vector<int> RestartFrames;
    // What the marks mean, shown for the marks drawn.
    std::string ConvergedLegend;
    std::string RestartLegend;
};

// White background, black axes, maroon title and readout.
constexpr chart::TColor ChartBackground = 0xFFFFFF;
constexpr chart::TColor ChartAxes = 0;
constexpr chart::TColor ChartMaroon = 128;
constexpr chart::TColor ChartData = 0xFF0000;      // blue
constexpr chart::TColor ChartConverged = 0xFF00FF; // magenta
constexpr chart::TColor ChartRestart = 0x0000FF;   // red

// A sample of each mark drawn and its meaning, in one line above the plot's right end: the
// title is centred and the y caption starts at the left. Left out when the line would reach
// the caption.
inline void PaintLegend(const chart::TChart& chart, chart::ICanvas& canvas,
                        const TChartPicture& picture)
{
    struct TEntry {
        chart::TColor Color;
        const std::string* Text;
    };
    std::vector<TEntry> entries;
    if (picture.ConvergedX && !picture.ConvergedLegend.empty())
        entries.push_back({ChartConverged, &picture.ConvergedLegend});
    if (!picture.RestartFrames.empty() && !picture.RestartLegend.empty())
        entries.push_back({ChartRestart, &picture.RestartLegend});
    const chart::TGraph* graph = chart.Graph(1);
    // Without both axes the engine drew no marks either.
    if (entries.empty() || graph == nullptr || !graph->AreaValid || !graph->X.Defined ||
        !graph->Y[0].Defined)
        return;
    chart::TFont font;
    font.Color = ChartAxes;
    canvas.SetFont(font);
    const int gap = canvas.TextWidth("  ");
    const int sample = gap; // room of the mark's picture before its text
    int width = 0;
    for (const TEntry& entry : entries)
        width += (width == 0 ? 0 : 2 * gap) + sample + gap / 2 + canvas.TextWidth(*entry.Text);
    const int height = canvas.TextHeight("Ag");
    const int top = graph->PlotTop() - height - 2;
    int x = graph->PlotRight() - width;
    if (top < 0 || x < graph->PlotLeft + canvas.TextWidth(picture.YCaption) + 2 * gap)
        return;
    for (const TEntry& entry : entries) {
        // The marks are vertical lines; so are their samples.
        canvas.SetPen({entry.Color, chart::TPenStyle::Solid, 2, chart::TPenMode::Copy});
        canvas.MoveTo(x + sample / 2, top + 1);
        canvas.LineTo(x + sample / 2, top + height - 1);
        x += sample + gap / 2;
        canvas.TextOut(x, top, *entry.Text);
        x += canvas.TextWidth(*entry.Text) + 2 * gap;
    }
}

// The chart view's fixed sequence of engine calls; no picture gives the blank chart.
inline void PaintChart(chart::TChart& chart, chart::ICanvas& canvas, const TChartPicture* picture,
                       const chart::TPointText& pointText)
{
    chart.ChartInit(canvas, ChartBackground, ChartAxes, 1.0F);
    chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
    if (picture != nullptr) {
        chart.ChartXAxis(ChartAxes, picture->XCaption, false, 0, picture->XMax, 0, 0, false, false);
        chart.ChartYAxis(ChartAxes, picture->YCaption, 1, 0, picture->YMax, 0, 0, false, false,
                         false);
        chart.ChartReadoutSetup(ChartMaroon, canvas.Width() - 200, 40, 1, 3);
        chart.ChartFont("", 0, 0, 0, 3);
        chart.ChartTitle(ChartMaroon, picture->Title);
        chart.ChartFont("", 0, 0, 0, 0);
        chart.ChartMarker(0, 0, 0);
        chart.SetPenColor(ChartData);
        if (picture->Points != nullptr)
            chart.ChartPlotArray(*picture->Points, 0, 1, pointText);
        if (picture->ConvergedX) {
            chart.SetPenColor(ChartConverged);
            chart.ChartMoveTo(*picture->ConvergedX, 0);
            chart.ChartDrawTo(*picture->ConvergedX, picture->YMax);
        }
        for (const int frame : picture->RestartFrames) {
            chart.SetPenColor(ChartRestart);
            chart.ChartMoveTo(frame, 0);
            chart.ChartDrawTo(frame, static_cast<double>(picture->YMax) / 10.0);
        }
    }
    chart.ChartFinish();
    if (picture != nullptr)
        PaintLegend(chart, canvas, *picture);
}

} // namespace korvid::window
