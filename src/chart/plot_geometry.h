#pragma once

#include <algorithm>
#include <cmath>

#include "chart/graph.h"

// The pure geometry of a graph: where its plot area lies, values to pixels and back, and the
// walk over an axis's ticks. Nothing here draws.
namespace korvid::chart {

// The plot area from the graph's rectangle in percent of the surface and margins in pixels; its
// AreaValid is false when the margins leave no room.
[[nodiscard]] TGraph LayOutGraph(double x1, double x2, double y1, double y2, int leftMargin,
                                 int rightMargin, int topMargin, int bottomMargin, int width,
                                 int height, int mult);

// Pixels of a value already multiplied by the axis direction (the scale Lo..Hi works on).
[[nodiscard]] int XPixelDirected(const TGraph& g, double directed);
[[nodiscard]] int YPixelDirected(const TGraph& g, const TAxis& axis, double directed);

// Data values to pixels and back.
[[nodiscard]] int XPixel(const TGraph& g, double v);
[[nodiscard]] int YPixel(const TGraph& g, const TAxis& axis, double v);
[[nodiscard]] double XValue(const TGraph& g, int px);
[[nodiscard]] double YValue(const TGraph& g, const TAxis& axis, int py);

// The axis as defined by the host: colour, range, zoom window z0..z1 of the range. Visible is
// false when the colour is the background's.
[[nodiscard]] TAxis DefineAxis(TColor color, TColor background, float min, float max,
                               float minZoomSpan, double z0, double z1);

// Where a y axis at position 1..8 stands and which way its ticks and labels point: -1 out of
// the left edge, +1 right. Positions 5..8 stand as 1 and 4 and differ in the caption only.
struct TYAxisPlace {
    int X = 0;
    int Tick = -1;
};
[[nodiscard]] TYAxisPlace PlaceYAxis(const TGraph& g, int position, int mult);

// Walks the majors of a scaled axis from below its range upwards, each followed by its minors,
// until a major lies past the far end. pixel maps a directed value; near and far are the pixels
// of the range's ends. onMajor(pixel, directed value) is called for majors inside near..far,
// onMinor(pixel) for minors inside it.
template <class Pixel, class OnMajor, class OnMinor>
void WalkTicks(const TAxis& a, int near, int far, Pixel pixel, OnMajor onMajor, OnMinor onMinor)
{
    // Far more ticks than any axis holds; ends the loop when a step is lost in a huge offset.
    constexpr int MaxTicks = 100000;
    const bool up = far >= near;
    const auto past = [&](int p) { return up ? p > far : p < far; };
    const auto inside = [&](int p) { return up ? p >= near && p <= far : p <= near && p >= far; };
    const int minors = std::clamp(static_cast<int>(std::nearbyint(a.Major / a.Minor)), 1, 100);
    double v = std::trunc(a.Lo / a.Major - 1) * a.Major;
    for (int i = 0; i < MaxTicks; ++i) {
        const int p = pixel(v);
        if (past(p))
            break;
        if (inside(p))
            onMajor(p, v);
        for (int k = 1; k < minors; ++k)
            if (const int pm = pixel(v + k * a.Minor); inside(pm))
                onMinor(pm);
        const double next = v + a.Major;
        if (next == v)
            break;
        v = next;
    }
}

} // namespace korvid::chart
