#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "chart/canvas.h"

// What the engine keeps of a graph between calls: its layout, its axes and the data the readout
// reads. Plain values; the engine and the readout fill and read them.
namespace korvid::chart {

// Rows of equal length n + 1. Row 0 is the header: element 0 above 0.5 means rows 1 to 7 hold
// styles and the data start at row 8; element j names the y axis (1..4) column j is drawn on.
// In a data row element 0 is x and element j the y value of column j.
using TDataArray = std::vector<std::vector<float>>;

// The y axis 1..4 the header row puts column j on; 0 for none.
[[nodiscard]] int ColumnAxis(const std::vector<float>& header, std::size_t column);

// Gives the readout text of the point at (row, column) of the data array. The text comes in
// holding the engine's own text, which stays when the host leaves it alone.
using TPointText = std::function<void(std::size_t row, std::size_t column, std::string& text)>;

constexpr int MaxGraphs = 8;
constexpr int MaxYAxes = 4;

// ChartPlotArray style flags beside the snapping kind (`flags & 7`).
constexpr int PlotNoReadout = 8;

struct TAxis {
    bool Defined = false;
    bool Visible = false; // false when drawn in the background colour: scaled, not drawn
    TColor Color = 0;
    double Min = 0; // as passed
    double Max = 0;
    double Direction = 1; // -1 when Min > Max; the axis works on values times Direction
    double Lo = 0;        // the range shown, times Direction
    double Hi = 0;
    double Major = 0;
    double Minor = 0;
    int LabelDecimals = 0;
    int ReadoutDecimals = 0;
    double MinZoomSpan = 0.001; // a fraction of the range
    int Position = 0;           // y axes: 1..8
};

// The part of the base ranges a graph shows, as fractions; kept across repaints.
struct TZoomWindow {
    double X0 = 0;
    double X1 = 1;
    float Y0 = 0;
    float Y1 = 1;
    bool operator==(const TZoomWindow&) const = default;
};

struct TGraph {
    TRect Outer;
    int PlotLeft = 0;
    int PlotBottom = 0;
    int PlotWidth = 0;
    int PlotHeight = 0;
    bool AreaValid = false;
    bool Clip = true;
    TAxis X;
    std::array<TAxis, MaxYAxes> Y; // y axis n is Y[n - 1]

    // What the last ChartPlotArray left for the readout.
    const TDataArray* Data = nullptr;
    TPointText PointText;
    std::size_t FirstRow = 1;
    int Snapping = 0;
    bool ReadoutUsesData = false;
    int FirstAxis = 0;
    std::size_t FirstColumn = 0;

    [[nodiscard]] int PlotRight() const { return PlotLeft + PlotWidth; }
    [[nodiscard]] int PlotTop() const { return PlotBottom - PlotHeight; }
};

} // namespace korvid::chart
