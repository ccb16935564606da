#include "chart/plot_geometry.h"

#include <cstdint>

#include "chart/axis_scale.h"

namespace korvid::chart {
namespace {

int ClampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Percentages in order and inside 0..100; NaN stands for the whole width.
void OrderPercent(double& lo, double& hi)
{
    if (std::isnan(lo))
        lo = 0;
    if (std::isnan(hi))
        hi = 100;
    if (hi < lo)
        std::swap(lo, hi);
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 100.0);
}

int AtPercent(double percent, int size)
{
    return static_cast<int>(std::nearbyint(std::clamp(percent, 0.0, 100.0) / 100 * size));
}

} // namespace

TGraph LayOutGraph(double x1, double x2, double y1, double y2, int leftMargin, int rightMargin,
                   int topMargin, int bottomMargin, int width, int height, int mult)
{
    TGraph g;
    OrderPercent(x1, x2);
    OrderPercent(y1, y2);
    g.Outer = {AtPercent(x1, width), AtPercent(y1, height), AtPercent(x2, width),
               AtPercent(y2, height)};
    const std::int64_t left = std::int64_t{g.Outer.Left} + std::int64_t{leftMargin} * mult;
    const std::int64_t right = std::int64_t{g.Outer.Right} - std::int64_t{rightMargin} * mult;
    const std::int64_t top = std::int64_t{g.Outer.Top} + std::int64_t{topMargin} * mult;
    const std::int64_t bottom = std::int64_t{g.Outer.Bottom} - std::int64_t{bottomMargin} * mult;
    g.AreaValid = right > left && bottom > top;
    if (g.AreaValid) {
        g.PlotLeft = ClampInt(left);
        g.PlotBottom = ClampInt(bottom);
        g.PlotWidth = ClampInt(right - left);
        g.PlotHeight = ClampInt(bottom - top);
    }
    return g;
}

int XPixelDirected(const TGraph& g, double directed)
{
    const TAxis& a = g.X;
    return ClampPixel(g.PlotLeft + g.PlotWidth * (directed - a.Lo) / (a.Hi - a.Lo));
}

int YPixelDirected(const TGraph& g, const TAxis& axis, double directed)
{
    return ClampPixel(g.PlotBottom - g.PlotHeight * (directed - axis.Lo) / (axis.Hi - axis.Lo));
}

int XPixel(const TGraph& g, double v)
{
    return XPixelDirected(g, v * g.X.Direction);
}

int YPixel(const TGraph& g, const TAxis& axis, double v)
{
    return YPixelDirected(g, axis, v * axis.Direction);
}

double XValue(const TGraph& g, int px)
{
    const TAxis& a = g.X;
    return (a.Lo + (a.Hi - a.Lo) * (px - g.PlotLeft) / g.PlotWidth) * a.Direction;
}

double YValue(const TGraph& g, const TAxis& axis, int py)
{
    return (axis.Lo + (axis.Hi - axis.Lo) * (g.PlotBottom - py) / g.PlotHeight) * axis.Direction;
}

TYAxisPlace PlaceYAxis(const TGraph& g, int position, int mult)
{
    switch (position) {
    case 2:
        return {g.PlotLeft + mult, 1};
    case 3:
        return {g.PlotRight() - mult, -1};
    case 4:
    case 7:
    case 8:
        return {g.PlotRight(), 1};
    default:
        return {g.PlotLeft, -1};
    }
}

TAxis DefineAxis(TColor color, TColor background, float min, float max, float minZoomSpan,
                 double z0, double z1)
{
    TAxis axis;
    axis.Defined = true;
    axis.Color = color & ColorMask;
    axis.Visible = axis.Color != background;
    axis.Min = min;
    axis.Max = max;
    axis.Direction = min > max ? -1 : 1;
    const double lo = axis.Min * axis.Direction;
    const double hi = axis.Max * axis.Direction;
    axis.Lo = (hi - lo) * z0 + lo;
    axis.Hi = (hi - lo) * z1 + lo;
    const double span = std::isfinite(minZoomSpan) ? minZoomSpan / (hi - lo) : 0;
    axis.MinZoomSpan = std::clamp(span, 0.0, 1.0);
    return axis;
}

} // namespace korvid::chart
