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
};

// White background, black axes, maroon title and readout.
constexpr chart::TColor ChartBackground = 0xFFFFFF;
constexpr chart::TColor ChartAxes = 0;
constexpr chart::TColor ChartMaroon = 128;
constexpr chart::TColor ChartData = 0xFF0000;      // blue
constexpr chart::TColor ChartConverged = 0xFF00FF; // magenta
constexpr chart::TColor ChartRestart = 0x0000FF;   // red

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
}

} // namespace korvid::window
