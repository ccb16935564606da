#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/chart.h"

namespace korvid::test {

// A work unit as the chart view hands it to the engine: the data array (header, then frame
// number and minutes per frame), the converged line and the restart ticks.
struct TSampleUnit {
    std::string Title;
    int FramesExpected = 0;
    chart::TDataArray Points;
    double ConvergedX = -1; // none when negative
    std::vector<int> RestartFrames;
    float YMax = 0;
};

// `frames` frames of a plausible unit, the same for the same arguments.
inline TSampleUnit MakeSampleUnit(int frames, int framesExpected, std::uint32_t seed = 1)
{
    TSampleUnit unit;
    unit.Title = "p2669_IBX in water (Run 3, Clone 14, Gen 7)";
    unit.FramesExpected = framesExpected;
    unit.Points.push_back({0.0F, 1.0F});
    double longest = 0;
    for (int frame = 1; frame <= frames; ++frame) {
        seed = seed * 1664525U + 1013904223U;
        const double noise = static_cast<double>(seed >> 8) / (1U << 24);
        double seconds = 150 + 20 * std::sin(frame / 7.0) + 30 * noise;
        if (frame % 37 == 0)
            seconds += 120; // the machine was busy
        longest = std::max(longest, seconds);
        unit.Points.push_back({static_cast<float>(frame), static_cast<float>(seconds / 60)});
    }
    if (frames >= 10)
        unit.ConvergedX = frames / 5 + 1 + 0.5;
    for (int frame = frames / 3; frame > 0 && frame <= frames; frame += frames / 3 + 1)
        unit.RestartFrames.push_back(frame);
    unit.YMax = static_cast<float>(std::nearbyint(longest / 60) + 5);
    return unit;
}

// The chart view's paint sequence; no unit gives the blank chart.
inline void PaintUnitChart(chart::TChart& chart, chart::ICanvas& canvas, const TSampleUnit* unit,
                           const chart::TPointText& pointText = {})
{
    chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
    chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
    if (unit != nullptr) {
        chart.ChartXAxis(0, "Frame", false, 0, static_cast<float>(unit->FramesExpected), 0, 0,
                         false, false);
        chart.ChartYAxis(0, "Temps (mn)", 1, 0, unit->YMax, 0, 0, false, false, false);
        chart.ChartReadoutSetup(128, canvas.Width() - 200, 40, 1, 3);
        chart.ChartFont("", 0, 0, 0, 3);
        chart.ChartTitle(128, unit->Title);
        chart.ChartFont("", 0, 0, 0, 0);
        chart.ChartMarker(0, 0, 0);
        chart.SetPenColor(0xFF0000);
        chart.ChartPlotArray(unit->Points, 0, 1, pointText);
        if (unit->ConvergedX >= 0) {
            chart.SetPenColor(0xFF00FF);
            chart.ChartMoveTo(unit->ConvergedX, 0);
            chart.ChartDrawTo(unit->ConvergedX, unit->YMax);
        }
        for (const int frame : unit->RestartFrames) {
            chart.SetPenColor(0x0000FF);
            chart.ChartMoveTo(frame, 0);
            chart.ChartDrawTo(frame, unit->YMax / 10.0);
        }
    }
    chart.ChartFinish();
}

} // namespace korvid::test
