#include "chart/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "chart/axis_scale.h"
#include "chart/plot_geometry.h"

namespace korvid::chart {

namespace {

double ValueAt(const TDataArray& data, std::size_t row, std::size_t column)
{
    return row < data.size() && column < data[row].size()
               ? data[row][column]
               : std::numeric_limits<double>::quiet_NaN();
}

bool StrictlyInPlot(const TGraph& g, int x, int y)
{
    return x > g.PlotLeft && x < g.PlotRight() && y > g.PlotTop() && y < g.PlotBottom;
}

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

void TChart::ChartReadoutSetup(TColor color, int x, int y, int alignment, int flags)
{
    m_readout.Color = color & ColorMask;
    m_readout.TextX = x;
    m_readout.TextY = y;
    m_readout.Alignment = std::clamp(alignment, -1, 1);
    m_readout.Mode = std::min(flags & 7, 3);
    m_readout.Flags = flags;
}

bool TChart::DataDriven(const TGraph& g) const
{
    return g.Data != nullptr && (m_readout.Flags & ReadoutIgnoreData) == 0 && g.ReadoutUsesData &&
           g.Snapping >= 1;
}

TChart::TReadoutPoint TChart::FindPoint(const TGraph& g, int x, int y) const
{
    const TAxis& axis = g.Y[m_actionAxis - 1];
    TReadoutPoint p;
    p.At = {x, y};
    p.XValue = XValue(g, x);
    p.YValue = YValue(g, axis, y);
    if (m_snapping >= 1 && g.Data != nullptr && g.FirstRow < g.Data->size()) {
        const TDataArray& data = *g.Data;
        const std::size_t first = g.FirstRow;
        const std::size_t last = data.size() - 1;
        auto xOf = [&](std::size_t r) { return ValueAt(data, r, 0); };
        // Rows are taken as sorted by x; the later row wins at the exact middle.
        const double v = p.XValue;
        std::size_t row = v <= xOf(first) ? first : last;
        if (v > xOf(first) && v < xOf(last)) {
            std::size_t lo = first;
            std::size_t hi = last;
            while (hi - lo > 1) {
                const std::size_t middle = lo + (hi - lo) / 2;
                if (xOf(middle) <= v)
                    lo = middle;
                else
                    hi = middle;
            }
            row = v - xOf(hi - 1) < xOf(hi) - v ? hi - 1 : hi;
        }
        p.Row = row;
        p.XValue = xOf(row);
        p.At.X = XPixel(g, p.XValue);
        p.Column = g.FirstColumn;

        const std::vector<float>& header = data[0];
        if (m_snapping == 2) {
            std::size_t column = g.FirstAxis == m_actionAxis ? g.FirstColumn : 0;
            for (std::size_t j = 1; j < header.size(); ++j)
                if (ColumnAxis(header, j) == m_actionAxis) {
                    column = j;
                    break;
                }
            const double value = ValueAt(data, row, column);
            if (column > 0 && !std::isnan(value)) {
                p.Column = column;
                p.YValue = value;
                p.At.Y = YPixel(g, axis, value);
            }
        } else if (m_snapping >= 3) {
            long best = std::numeric_limits<long>::max();
            for (std::size_t j = 1; j < header.size(); ++j) {
                const int a = ColumnAxis(header, j);
                const double value = ValueAt(data, row, j);
                if (a == 0 || !g.Y[a - 1].Defined || std::isnan(value))
                    continue;
                const int py = YPixel(g, g.Y[a - 1], value);
                const long distance = std::labs(static_cast<long>(py) - y);
                if (distance < best) {
                    best = distance;
                    p.Column = j;
                    p.YValue = value;
                    p.At.Y = py;
                }
            }
        }
        return p;
    }
    if ((m_readout.Flags & ReadoutSnapX) != 0 && g.X.Major > 0) {
        p.XValue = std::nearbyint(p.XValue / g.X.Major) * g.X.Major;
        p.At.X = XPixel(g, p.XValue);
    }
    if ((m_readout.Flags & ReadoutSnapY) != 0 && axis.Major > 0) {
        p.YValue = std::nearbyint(p.YValue / axis.Major) * axis.Major;
        p.At.Y = YPixel(g, axis, p.YValue);
    }
    return p;
}

std::string TChart::PointText(const TGraph& g, const TReadoutPoint& p) const
{
    std::string text = ReadoutText(p.XValue, g.X.ReadoutDecimals) + " / " +
                       ReadoutText(p.YValue, g.Y[m_actionAxis - 1].ReadoutDecimals);
    if (m_snapping >= 1 && g.PointText)
        g.PointText(p.Row, p.Column, text);
    return text;
}

TChart::TDrawingState TChart::StartXorFigure()
{
    const TDrawingState saved{m_pen, m_brush};
    m_pen = {(m_background ^ m_readout.Color) & ColorMask, TPenStyle::Solid, 1, TPenMode::Xor};
    m_brush.Style = TBrushStyle::Clear;
    ApplyPen();
    ApplyBrush();
    return saved;
}

void TChart::EndXorFigure(const TDrawingState& saved)
{
    m_pen = saved.Pen;
    m_brush = saved.Brush;
    ApplyPen();
    ApplyBrush();
}

void TChart::ToggleText(bool showing, const std::string& text)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const int width = m_readout.Alignment <= 0 ? m_canvas->TextWidth(text) : 0;
    const int offset = m_readout.Alignment < 0 ? width : width / 2;
    const TFont saved = m_font;
    m_font.Color = showing ? g.X.Color : m_background;
    ApplyFont();
    m_canvas->TextOut(m_readout.TextX - offset, m_readout.TextY, text);
    m_font = saved;
    ApplyFont();
}

void TChart::ToggleReadout(bool showing)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const TDrawingState saved = StartXorFigure();
    const TPoint p = m_point.At;
    if (m_circle) {
        if (p.X >= g.PlotLeft && p.X <= g.PlotRight() && p.Y >= g.PlotTop() && p.Y <= g.PlotBottom)
            m_canvas->Ellipse(p.X - 5, p.Y - 5, p.X + 6, p.Y + 6);
    } else {
        const int x = std::clamp(p.X, g.PlotLeft, g.PlotRight());
        const int y = std::clamp(p.Y, g.PlotTop(), g.PlotBottom);
        if (m_readout.Mode == 0 || m_readout.Mode == 1) {
            m_canvas->MoveTo(x, g.PlotTop());
            m_canvas->LineTo(x, g.PlotBottom + 1);
        }
        if (m_readout.Mode == 0 || m_readout.Mode == 2) {
            m_canvas->MoveTo(g.PlotLeft, y);
            m_canvas->LineTo(g.PlotRight() + 1, y);
        }
    }
    EndXorFigure(saved);
    if (m_readout.ShowsText()) {
        if (showing)
            m_shownText = PointText(g, m_point);
        ToggleText(showing, m_shownText);
    }
}

void TChart::ToggleZoomFrame(bool showing)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const TDrawingState saved = StartXorFigure();
    const TPoint s = m_zoomStart;
    const TPoint c = m_zoomCorner;
    m_canvas->MoveTo(s.X, s.Y);
    m_canvas->LineTo(c.X, s.Y);
    m_canvas->LineTo(c.X, c.Y);
    m_canvas->LineTo(s.X, c.Y);
    m_canvas->LineTo(s.X, s.Y);
    EndXorFigure(saved);
    if (m_readout.ShowsText()) {
        if (showing) {
            // No data point is looked up while zooming: the host is asked about row 0.
            TReadoutPoint corner;
            corner.At = c;
            corner.XValue = XValue(g, c.X);
            corner.YValue = YValue(g, g.Y[m_actionAxis - 1], c.Y);
            m_shownText = PointText(g, corner);
        }
        ToggleText(showing, m_shownText);
    }
}

void TChart::EndAction()
{
    if (m_action == TAction::None)
        return;
    m_action = TAction::None;
    m_cursor.SetCursorShape(TCursorShape::Default);
    m_cursor.ReleaseCursor();
}

TChart::TTarget TChart::TargetAt(int x, int y) const
{
    int found = 0;
    for (int i = 1; i <= m_count; ++i) {
        const TGraph& g = m_graphs[i - 1];
        if (g.AreaValid && x >= g.Outer.Left && x <= g.Outer.Right && y >= g.Outer.Top &&
            y <= g.Outer.Bottom)
            found = i;
    }
    if (found == 0)
        return {};
    const TGraph& g = m_graphs[found - 1];
    int axis = 0;
    for (int i = MaxYAxes; i >= 1; --i)
        if (g.Y[i - 1].Defined)
            axis = i;
    if (axis == 0 || !g.X.Defined)
        return {};
    return {found, axis};
}

TGesture TChart::GestureAt(TShiftState shift, int x, int y) const
{
    if (m_canvas == nullptr || m_action != TAction::None)
        return TGesture::None;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    const TTarget target = TargetAt(x, y);
    if (target.Graph == 0)
        return TGesture::None;
    if ((shift & CtrlKey) != 0)
        return TGesture::Zoom;
    return StrictlyInPlot(m_graphs[target.Graph - 1], x, y) ? TGesture::Readout : TGesture::None;
}

void TChart::ChartMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (m_canvas == nullptr)
        return;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    if (m_held) {
        ToggleReadout(false);
        m_held = false;
    }
    if (m_action != TAction::None) {
        if (button != TMouseButton::Right || !m_readout.ShowsText())
            return;
        const TGraph& g = m_graphs[m_actionGraph - 1];
        const bool readout = m_action == TAction::Readout;
        if (readout)
            ToggleReadout(false);
        else
            ToggleZoomFrame(false);
        for (int i = 1; i <= MaxYAxes; ++i) {
            const int next = (m_actionAxis - 1 + i) % MaxYAxes + 1;
            if (g.Y[next - 1].Defined) {
                m_actionAxis = next;
                break;
            }
        }
        if (readout) {
            m_point = FindPoint(g, x, y);
            ToggleReadout(true);
        } else {
            ToggleZoomFrame(true);
        }
        return;
    }

    const TTarget target = TargetAt(x, y);
    if (target.Graph == 0 || button != TMouseButton::Left)
        return;
    const TGraph& g = m_graphs[target.Graph - 1];
    m_actionGraph = target.Graph;
    m_actionAxis = target.Axis;
    const bool data = DataDriven(g);
    m_snapping = data ? g.Snapping : 0;

    if ((shift & CtrlKey) != 0) {
        m_action = TAction::Zoom;
        m_zoomStart = m_zoomCorner = {x, y};
        ToggleZoomFrame(true);
        return;
    }
    if (!StrictlyInPlot(g, x, y))
        return;
    m_action = TAction::Readout;
    m_circle = data && m_readout.Mode == 3;
    if (m_snapping == 1)
        m_snapping = 2;
    m_cursor.SetCursorShape(data                  ? TCursorShape::Hand
                            : m_readout.Mode <= 2 ? TCursorShape::Cross
                                                  : TCursorShape::Hidden);
    const TPoint screen = m_cursor.CursorPos();
    const int dx = screen.X - x;
    const int dy = screen.Y - y;
    m_cursor.ConfineCursor(
        {g.PlotLeft + dx, g.PlotTop() + dy, g.PlotRight() + 1 + dx, g.PlotBottom + 1 + dy});
    m_point = FindPoint(g, x, y);
    ToggleReadout(true);
}

void TChart::ChartMouseMove(TShiftState shift, int x, int y)
{
    if ((shift & LeftButton) == 0 || m_action == TAction::None)
        return;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    if (m_action == TAction::Readout) {
        const TReadoutPoint p = FindPoint(m_graphs[m_actionGraph - 1], x, y);
        if (p == m_point)
            return;
        ToggleReadout(false);
        m_point = p;
        ToggleReadout(true);
    } else {
        ToggleZoomFrame(false);
        m_zoomCorner = {x, y};
        ToggleZoomFrame(true);
    }
}

void TChart::ChartMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button != TMouseButton::Left || m_action == TAction::None)
        return;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    if (m_action == TAction::Readout) {
        if (m_snapping >= 1 && (shift & ShiftKey) != 0)
            m_held = true;
        else
            ToggleReadout(false);
        EndAction();
        return;
    }
    ToggleZoomFrame(false);
    EndAction();
    if ((shift & CtrlKey) != 0)
        ApplyZoom(m_zoomStart, {x, y});
}

void TChart::ApplyZoom(TPoint start, TPoint end)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    TZoomWindow& zoom = m_zoom[m_actionGraph - 1];
    if (std::abs(end.X - start.X) < 2 && std::abs(end.Y - start.Y) < 2) {
        zoom = TZoomWindow{};
        return;
    }
    if (start.X > end.X)
        std::swap(start.X, end.X);
    if (start.Y < end.Y)
        std::swap(start.Y, end.Y);
    const double fx0 = static_cast<double>(start.X - g.PlotLeft) / g.PlotWidth;
    const double fx1 = static_cast<double>(end.X - g.PlotLeft) / g.PlotWidth;
    const double fy0 = static_cast<double>(g.PlotBottom - start.Y) / g.PlotHeight;
    const double fy1 = static_cast<double>(g.PlotBottom - end.Y) / g.PlotHeight;

    double x0 = zoom.X0 + (zoom.X1 - zoom.X0) * fx0;
    double x1 = zoom.X0 + (zoom.X1 - zoom.X0) * fx1;
    double y0 = zoom.Y0 + (zoom.Y1 - zoom.Y0) * fy0;
    double y1 = zoom.Y0 + (zoom.Y1 - zoom.Y0) * fy1;
    FitWindow(x0, x1, g.X.MinZoomSpan);
    FitWindow(y0, y1, std::max(g.Y[m_actionAxis - 1].MinZoomSpan, 0.001));
    zoom = {x0, x1, static_cast<float>(y0), static_cast<float>(y1)};
}

} // namespace korvid::chart
