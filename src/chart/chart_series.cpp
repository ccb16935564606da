#include "chart/chart.h"

#include <algorithm>
#include <cmath>

#include "chart/axis_scale.h"
#include "chart/plot_geometry.h"

namespace korvid::chart {

namespace {

constexpr int MaxMarkerSize = 1000;

bool InPlot(const TGraph& g, TPoint p)
{
    return p.X >= g.PlotLeft && p.X <= g.PlotRight() && p.Y >= g.PlotTop() && p.Y <= g.PlotBottom;
}

} // namespace

int ColumnAxis(const std::vector<float>& header, std::size_t column)
{
    const float v = column < header.size() ? header[column] : 0.0F;
    return v > 0.5F && v < 4.5F ? static_cast<int>(std::nearbyint(v)) : 0;
}

TGraph* TChart::DrawingGraph()
{
    TGraph* g = CurrentGraph();
    if (g == nullptr || !g->X.Defined || m_selectedY < 1 || !g->Y[m_selectedY - 1].Defined)
        return nullptr;
    return g;
}

void TChart::FlushPending()
{
    if (m_pending && m_paint.Canvas != nullptr)
        m_paint.Canvas->SetPixel(m_pending->At.X, m_pending->At.Y, m_pending->Color);
    m_pending.reset();
}

void TChart::ChartMoveTo(double x, double y)
{
    FlushPending();
    const TGraph* g = DrawingGraph();
    if (g == nullptr)
        return;
    // A value that is not a number leaves a gap: the next point starts a new line.
    m_penValid = !std::isnan(x) && !std::isnan(y);
    if (m_penValid)
        m_penPos = {XPixel(*g, x), YPixel(*g, g->Y[m_selectedY - 1], y)};
}

void TChart::ChartDrawTo(double x, double y)
{
    const TGraph* g = DrawingGraph();
    if (g == nullptr)
        return;
    if (std::isnan(x) || std::isnan(y)) {
        FlushPending();
        m_penValid = false;
        return;
    }
    const TPoint to{XPixel(*g, x), YPixel(*g, g->Y[m_selectedY - 1], y)};
    if (m_penValid)
        DrawSegment(m_penPos, to);
    m_penPos = to;
    m_penValid = true;
}

void TChart::DrawSegment(TPoint from, TPoint to)
{
    const TGraph& g = *CurrentGraph();
    const int left = g.PlotLeft;
    const int right = g.PlotRight();
    const int top = g.PlotTop();
    const int bottom = g.PlotBottom;
    TPoint a = from;
    TPoint b = to;
    if (a.X > b.X)
        std::swap(a, b);
    auto inY = [&](int y) { return y >= top && y <= bottom; };

    if (g.Clip && !(a.X > left && b.X < right && inY(a.Y) && inY(b.Y))) {
        if (b.X < left || a.X > right || std::max(a.Y, b.Y) < top || std::min(a.Y, b.Y) > bottom)
            return;
        double ax = a.X;
        double ay = a.Y;
        double bx = b.X;
        double by = b.Y;
        if (ax < left) {
            ay += (by - ay) * (left - ax) / (bx - ax);
            ax = left;
        }
        if (bx > right) {
            by = ay + (by - ay) * (right - ax) / (bx - ax);
            bx = right;
        }
        ay = std::nearbyint(ay);
        by = std::nearbyint(by);
        // Moves (px, py) along the segment onto the top or bottom edge; false when the whole
        // segment lies beyond that edge.
        auto clipY = [&](double& px, double& py, double qx, double qy) {
            const double edge = py < top ? top : py > bottom ? bottom : py;
            if (edge == py)
                return true;
            if ((edge == top && qy < top) || (edge == bottom && qy > bottom))
                return false;
            px += (qx - px) * (edge - py) / (qy - py);
            py = edge;
            return true;
        };
        if (!clipY(ax, ay, bx, by) || !clipY(bx, by, ax, ay))
            return;
        a = {static_cast<int>(std::nearbyint(ax)), static_cast<int>(ay)};
        b = {static_cast<int>(std::nearbyint(bx)), static_cast<int>(by)};
        if (a == b)
            return;
    }
    m_paint.Canvas->MoveTo(a.X, a.Y);
    m_paint.Canvas->LineTo(b.X, b.Y);
    // The canvas leaves the end pixel out; it is painted later unless the next line starts there.
    if (m_paint.Pen.Width <= 1 && b.X < right && b.Y > top && b.Y < bottom)
        m_pending = TPending{b, m_paint.Pen.Color};
    else
        m_pending.reset();
}

void TChart::ChartMarker(int shape, int size, int fill)
{
    if (shape < 0 || shape > 8)
        return;
    m_marker.Shape = static_cast<std::uint8_t>(shape);
    m_marker.Size = static_cast<std::int16_t>(size == 0 ? std::max(1, m_charWidth)
                                                        : std::clamp(size, 0, MaxMarkerSize));
    m_marker.Fill = fill != 0;
    m_marker.PenWidth = static_cast<std::int16_t>(std::clamp(m_paint.Pen.Width, 1, MaxMarkerSize));
    m_marker.Color = m_paint.Pen.Color;
    m_markerSet = true;
    const TGraph* g = CurrentGraph();
    if (g != nullptr && g->X.Defined && m_penValid && m_penPos.X >= 0 && m_penPos.X < m_width &&
        m_penPos.Y >= 0 && m_penPos.Y < m_height && InPlot(*g, m_penPos)) {
        TMarker queued = m_marker;
        queued.X = static_cast<std::int16_t>(m_penPos.X);
        queued.Y = static_cast<std::int16_t>(m_penPos.Y);
        m_markers.push_back(queued);
    }
}

void TChart::ChartFinish()
{
    FlushPending();
    if (!m_markers.empty() && m_paint.Canvas != nullptr) {
        const TPen pen = m_paint.Pen;
        const TBrush brush = m_paint.Brush;
        for (const TMarker& marker : m_markers)
            DrawMarker(marker);
        if (!(m_paint.Pen == pen)) {
            m_paint.Pen = pen;
            m_paint.ApplyPen();
        }
        if (!(m_paint.Brush == brush)) {
            m_paint.Brush = brush;
            m_paint.ApplyBrush();
        }
    }
    m_markers.clear();
    m_markerSet = false;
}

void TChart::DrawMarker(const TMarker& marker)
{
    const int h = marker.Size / 2;
    const int x = marker.X;
    const int y = marker.Y;
    if (marker.Shape == 0 || h == 0) {
        m_paint.Canvas->SetPixel(x, y, marker.Color);
        return;
    }
    const TPen pen{marker.Color, TPenStyle::Solid, marker.PenWidth, TPenMode::Copy};
    if (!(m_paint.Pen == pen)) {
        m_paint.Pen = pen;
        m_paint.ApplyPen();
    }
    const TBrush brush{marker.Color, marker.Fill ? TBrushStyle::Solid : TBrushStyle::Clear};
    if (!(m_paint.Brush == brush)) {
        m_paint.Brush = brush;
        m_paint.ApplyBrush();
    }
    switch (marker.Shape) {
    case 1:
        m_paint.Canvas->Ellipse(x - h, y - h, x + h + 1, y + h + 1);
        break;
    case 2: {
        const TPoint square[] = {{x - h, y - h}, {x + h, y - h}, {x + h, y + h}, {x - h, y + h}};
        m_paint.Canvas->Polygon(square);
        break;
    }
    case 3: {
        const TPoint up[] = {{x, y - h}, {x + h, y + h}, {x - h, y + h}};
        m_paint.Canvas->Polygon(up);
        break;
    }
    case 4: {
        const TPoint down[] = {{x, y + h}, {x - h, y - h}, {x + h, y - h}};
        m_paint.Canvas->Polygon(down);
        break;
    }
    case 5: {
        const TPoint leftward[] = {{x - h, y}, {x + h, y - h}, {x + h, y + h}};
        m_paint.Canvas->Polygon(leftward);
        break;
    }
    case 6: {
        const TPoint rightward[] = {{x + h, y}, {x - h, y + h}, {x - h, y - h}};
        m_paint.Canvas->Polygon(rightward);
        break;
    }
    case 7:
        m_paint.Canvas->MoveTo(x - h, y);
        m_paint.Canvas->LineTo(x + h + 1, y);
        m_paint.Canvas->MoveTo(x, y - h);
        m_paint.Canvas->LineTo(x, y + h + 1);
        break;
    default:
        m_paint.Canvas->MoveTo(x - h, y - h);
        m_paint.Canvas->LineTo(x + h + 1, y + h + 1);
        m_paint.Canvas->MoveTo(x + h, y - h);
        m_paint.Canvas->LineTo(x - h - 1, y + h + 1);
        break;
    }
}

void TChart::ChartPlotArray(const TDataArray& data, int plotType, int styleFlags,
                            TPointText pointText)
{
    TGraph* g = CurrentGraph();
    if (g == nullptr || !g->X.Defined || data.size() < 2 || data[1].size() < 2)
        return;
    const std::size_t lastRow = data.size() - 1;
    const std::size_t lastColumn = data[1].size() - 1;
    const std::vector<float>& header = data[0];
    const std::size_t firstRow = !header.empty() && header[0] > 0.5F ? 8 : 1;
    if (firstRow > lastRow)
        return;
    if (!m_markerSet) {
        m_marker.Shape = 1;
        m_marker.Size = 6;
        m_marker.Fill = true;
    }
    m_markers.clear();

    // Rows reaching the column at hand, in array order. A row too short for a column has no
    // point in it; dropping rows as the columns go keeps the walk linear in the array's size.
    std::vector<std::size_t> rows;
    rows.reserve(lastRow - firstRow + 1);
    for (std::size_t r = firstRow; r <= lastRow; ++r)
        rows.push_back(r);

    int firstAxis = 0;
    std::size_t firstColumn = 0;
    bool named = false;
    for (std::size_t j = 1; j <= lastColumn && !rows.empty(); ++j) {
        std::erase_if(rows, [&](std::size_t r) { return data[r].size() <= j; });
        const int axis = ColumnAxis(header, j);
        if (axis == 0)
            continue;
        named = true;
        m_selectedY = axis;
        if (!g->Y[axis - 1].Defined)
            continue;
        DrawColumn(data, rows, j, plotType);
        if (firstAxis == 0) {
            firstAxis = axis;
            firstColumn = j;
        }
    }
    if (!named && m_selectedY >= 1 && g->Y[m_selectedY - 1].Defined) {
        rows.clear();
        for (std::size_t r = firstRow; r <= lastRow; ++r)
            if (data[r].size() > 1)
                rows.push_back(r);
        DrawColumn(data, rows, 1, plotType);
        firstAxis = m_selectedY;
        firstColumn = 1;
    }

    g->Data = &data;
    g->PointText = std::move(pointText);
    g->FirstRow = firstRow;
    g->Snapping = styleFlags & 7;
    g->ReadoutUsesData = (styleFlags & PlotNoReadout) == 0;
    g->FirstAxis = firstAxis;
    g->FirstColumn = firstColumn;
}

void TChart::DrawColumn(const TDataArray& data, const std::vector<std::size_t>& rows,
                        std::size_t column, int plotType)
{
    if (rows.empty())
        return;
    if (plotType == 0 || plotType == 1) {
        ChartMoveTo(data[rows.front()][0], data[rows.front()][column]);
        for (std::size_t i = 1; i < rows.size(); ++i)
            ChartDrawTo(data[rows[i]][0], data[rows[i]][column]);
    }
    if (plotType == 0 || plotType == 2) {
        const TGraph& g = *CurrentGraph();
        const TAxis& axis = g.Y[m_selectedY - 1];
        TMarker marker = m_marker;
        marker.PenWidth =
            static_cast<std::int16_t>(std::clamp(m_paint.Pen.Width, 1, MaxMarkerSize));
        marker.Color = m_paint.Pen.Color;
        m_markers.reserve(m_markers.size() + rows.size());
        for (const std::size_t r : rows) {
            const float x = data[r][0];
            const float y = data[r][column];
            if (std::isnan(x) || std::isnan(y))
                continue;
            const TPoint p{XPixel(g, x), YPixel(g, axis, y)};
            if (g.Clip ? !InPlot(g, p) : p.X < 0 || p.X >= m_width || p.Y < 0 || p.Y >= m_height)
                continue;
            marker.X = static_cast<std::int16_t>(p.X);
            marker.Y = static_cast<std::int16_t>(p.Y);
            m_markers.push_back(marker);
        }
        ChartFinish();
    }
}

} // namespace korvid::chart
