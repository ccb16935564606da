#pragma once

#include "chart/canvas.h"
#include "chart/graph.h"

namespace korvid::chart {

// The window after a zoom rectangle from start to end (pixels) is drawn on a graph showing
// `view`, the y fractions taken on `yAxis`. A rectangle under 2 pixels both ways gives the whole
// range back; the result stays inside [0, 1] and at least each axis's minimum span wide.
[[nodiscard]] TZoomWindow ZoomInto(const TZoomWindow& view, const TGraph& g, const TAxis& yAxis,
                                   TPoint start, TPoint end);

} // namespace korvid::chart
