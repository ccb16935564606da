#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "window/chart_paint.h"

namespace korvid::loggen {

// A work unit as the chart view sees it: the data array (header, then frame number and minutes
// per frame), the converged line and the restart ticks.
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

// What the chart view hands the engine for the sample unit.
inline window::TChartPicture SamplePicture(const TSampleUnit& unit)
{
    window::TChartPicture picture;
    picture.Title = unit.Title;
    picture.XCaption = "Frame";
    picture.YCaption = "Temps (mn)";
    picture.XMax = static_cast<float>(unit.FramesExpected);
    picture.YMax = unit.YMax;
    picture.Points = &unit.Points;
    if (unit.ConvergedX >= 0)
        picture.ConvergedX = unit.ConvergedX;
    picture.RestartFrames = unit.RestartFrames;
    return picture;
}

// The chart view's paint sequence; no unit gives the blank chart.
inline void PaintUnitChart(chart::TChart& chart, chart::ICanvas& canvas, const TSampleUnit* unit,
                           const chart::TPointText& pointText = {})
{
    if (unit == nullptr) {
        window::PaintChart(chart, canvas, nullptr, pointText);
        return;
    }
    const window::TChartPicture picture = SamplePicture(*unit);
    window::PaintChart(chart, canvas, &picture, pointText);
}

} // namespace korvid::loggen
