#include "chart/zoom.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace korvid::chart {
namespace {

// Keeps a zoom window inside [0, 1] and at least `span` wide.
void FitWindow(double& lo, double& hi, double span)
{
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 1.0);
    if (hi - lo >= span)
        return;
    const double middle = (lo + hi) / 2;
    lo = middle - span / 2;
    hi = middle + span / 2;
    if (lo < 0) {
        hi -= lo;
        lo = 0;
    }
    if (hi > 1) {
        lo = std::max(0.0, lo - (hi - 1));
        hi = 1;
    }
}

} // namespace

TZoomWindow ZoomInto(const TZoomWindow& view, const TGraph& g, const TAxis& yAxis, TPoint start,
                     TPoint end)
{
    if (std::abs(end.X - start.X) < 2 && std::abs(end.Y - start.Y) < 2)
        return {};
    if (start.X > end.X)
        std::swap(start.X, end.X);
    if (start.Y < end.Y)
        std::swap(start.Y, end.Y);
    const double fx0 = static_cast<double>(start.X - g.PlotLeft) / g.PlotWidth;
    const double fx1 = static_cast<double>(end.X - g.PlotLeft) / g.PlotWidth;
    const double fy0 = static_cast<double>(g.PlotBottom - start.Y) / g.PlotHeight;
    const double fy1 = static_cast<double>(g.PlotBottom - end.Y) / g.PlotHeight;

    double x0 = view.X0 + (view.X1 - view.X0) * fx0;
    double x1 = view.X0 + (view.X1 - view.X0) * fx1;
    double y0 = view.Y0 + (view.Y1 - view.Y0) * fy0;
    double y1 = view.Y0 + (view.Y1 - view.Y0) * fy1;
    FitWindow(x0, x1, g.X.MinZoomSpan);
    FitWindow(y0, y1, std::max(yAxis.MinZoomSpan, 0.001));
    return {x0, x1, static_cast<float>(y0), static_cast<float>(y1)};
}

} // namespace korvid::chart
