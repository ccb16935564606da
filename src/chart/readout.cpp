#include "chart/readout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "chart/axis_scale.h"
#include "chart/plot_geometry.h"
#include "chart/zoom.h"

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

} // namespace

TMouseReadout::TMouseReadout(TPainter& paint, ICursorServices& cursor,
                             const std::array<TGraph, MaxGraphs>& graphs,
                             std::array<TZoomWindow, MaxGraphs>& zoom)
    : m_paint(paint), m_cursor(cursor), m_graphs(graphs), m_zoom(zoom)
{
}

void TMouseReadout::Reset(TColor color)
{
    EndAction();
    m_held = false;
    m_settings = TSettings{};
    m_settings.Color = color;
}

void TMouseReadout::Setup(TColor color, int x, int y, int alignment, int flags)
{
    m_settings.Color = color & ColorMask;
    m_settings.TextX = x;
    m_settings.TextY = y;
    m_settings.Alignment = std::clamp(alignment, -1, 1);
    m_settings.Mode = std::min(flags & 7, 3);
    m_settings.Flags = flags;
}

bool TMouseReadout::DataDriven(const TGraph& g) const
{
    return g.Data != nullptr && (m_settings.Flags & ReadoutIgnoreData) == 0 && g.ReadoutUsesData &&
           g.Snapping >= 1;
}

TMouseReadout::TReadoutPoint TMouseReadout::FindPoint(const TGraph& g, int x, int y) const
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
    if ((m_settings.Flags & ReadoutSnapX) != 0 && g.X.Major > 0) {
        p.XValue = std::nearbyint(p.XValue / g.X.Major) * g.X.Major;
        p.At.X = XPixel(g, p.XValue);
    }
    if ((m_settings.Flags & ReadoutSnapY) != 0 && axis.Major > 0) {
        p.YValue = std::nearbyint(p.YValue / axis.Major) * axis.Major;
        p.At.Y = YPixel(g, axis, p.YValue);
    }
    return p;
}

std::string TMouseReadout::PointText(const TGraph& g, const TReadoutPoint& p) const
{
    std::string text = ReadoutText(p.XValue, g.X.ReadoutDecimals) + " / " +
                       ReadoutText(p.YValue, g.Y[m_actionAxis - 1].ReadoutDecimals);
    if (m_snapping >= 1 && g.PointText)
        g.PointText(p.Row, p.Column, text);
    return text;
}

TMouseReadout::TSavedTools TMouseReadout::StartXorFigure()
{
    const TSavedTools saved{m_paint.Pen, m_paint.Brush};
    m_paint.Pen = {(m_paint.Background ^ m_settings.Color) & ColorMask, TPenStyle::Solid, 1,
                   TPenMode::Xor};
    m_paint.Brush.Style = TBrushStyle::Clear;
    m_paint.ApplyPen();
    m_paint.ApplyBrush();
    return saved;
}

void TMouseReadout::EndXorFigure(const TSavedTools& saved)
{
    m_paint.Pen = saved.Pen;
    m_paint.Brush = saved.Brush;
    m_paint.ApplyPen();
    m_paint.ApplyBrush();
}

void TMouseReadout::ToggleText(bool showing, const std::string& text)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const int width = m_settings.Alignment <= 0 ? m_paint.Canvas->TextWidth(text) : 0;
    const int offset = m_settings.Alignment < 0 ? width : width / 2;
    const TFont saved = m_paint.Font;
    m_paint.Font.Color = showing ? g.X.Color : m_paint.Background;
    m_paint.ApplyFont();
    m_paint.Canvas->TextOut(m_settings.TextX - offset, m_settings.TextY, text);
    m_paint.Font = saved;
    m_paint.ApplyFont();
}

void TMouseReadout::ToggleReadout(bool showing)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const TSavedTools saved = StartXorFigure();
    const TPoint p = m_point.At;
    if (m_circle) {
        if (p.X >= g.PlotLeft && p.X <= g.PlotRight() && p.Y >= g.PlotTop() && p.Y <= g.PlotBottom)
            m_paint.Canvas->Ellipse(p.X - 5, p.Y - 5, p.X + 6, p.Y + 6);
    } else {
        const int x = std::clamp(p.X, g.PlotLeft, g.PlotRight());
        const int y = std::clamp(p.Y, g.PlotTop(), g.PlotBottom);
        if (m_settings.Mode == 0 || m_settings.Mode == 1) {
            m_paint.Canvas->MoveTo(x, g.PlotTop());
            m_paint.Canvas->LineTo(x, g.PlotBottom + 1);
        }
        if (m_settings.Mode == 0 || m_settings.Mode == 2) {
            m_paint.Canvas->MoveTo(g.PlotLeft, y);
            m_paint.Canvas->LineTo(g.PlotRight() + 1, y);
        }
    }
    EndXorFigure(saved);
    if (m_settings.ShowsText()) {
        if (showing)
            m_shownText = PointText(g, m_point);
        ToggleText(showing, m_shownText);
    }
}

void TMouseReadout::ToggleZoomFrame(bool showing)
{
    const TGraph& g = m_graphs[m_actionGraph - 1];
    const TSavedTools saved = StartXorFigure();
    const TPoint s = m_zoomStart;
    const TPoint c = m_zoomCorner;
    m_paint.Canvas->MoveTo(s.X, s.Y);
    m_paint.Canvas->LineTo(c.X, s.Y);
    m_paint.Canvas->LineTo(c.X, c.Y);
    m_paint.Canvas->LineTo(s.X, c.Y);
    m_paint.Canvas->LineTo(s.X, s.Y);
    EndXorFigure(saved);
    if (m_settings.ShowsText()) {
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

void TMouseReadout::EndAction()
{
    if (m_action == TAction::None)
        return;
    m_action = TAction::None;
    m_cursor.SetCursorShape(TCursorShape::Default);
    m_cursor.ReleaseCursor();
}

TMouseReadout::TTarget TMouseReadout::TargetAt(int graphCount, int x, int y) const
{
    int found = 0;
    for (int i = 1; i <= graphCount; ++i) {
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

TGesture TMouseReadout::GestureAt(int graphCount, TShiftState shift, int x, int y) const
{
    if (m_paint.Canvas == nullptr || m_action != TAction::None)
        return TGesture::None;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    const TTarget target = TargetAt(graphCount, x, y);
    if (target.Graph == 0)
        return TGesture::None;
    if ((shift & CtrlKey) != 0)
        return TGesture::Zoom;
    return StrictlyInPlot(m_graphs[target.Graph - 1], x, y) ? TGesture::Readout : TGesture::None;
}

void TMouseReadout::MouseDown(int graphCount, TMouseButton button, TShiftState shift, int x, int y)
{
    if (m_paint.Canvas == nullptr)
        return;
    x = std::clamp(x, MinPixel, MaxPixel);
    y = std::clamp(y, MinPixel, MaxPixel);
    if (m_held) {
        ToggleReadout(false);
        m_held = false;
    }
    if (m_action != TAction::None) {
        if (button != TMouseButton::Right || !m_settings.ShowsText())
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

    const TTarget target = TargetAt(graphCount, x, y);
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
    m_circle = data && m_settings.Mode == 3;
    if (m_snapping == 1)
        m_snapping = 2;
    m_cursor.SetCursorShape(data                   ? TCursorShape::Hand
                            : m_settings.Mode <= 2 ? TCursorShape::Cross
                                                   : TCursorShape::Hidden);
    const TPoint screen = m_cursor.CursorPos();
    const int dx = screen.X - x;
    const int dy = screen.Y - y;
    m_cursor.ConfineCursor(
        {g.PlotLeft + dx, g.PlotTop() + dy, g.PlotRight() + 1 + dx, g.PlotBottom + 1 + dy});
    m_point = FindPoint(g, x, y);
    ToggleReadout(true);
}

void TMouseReadout::MouseMove(TShiftState shift, int x, int y)
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

void TMouseReadout::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
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
        m_zoom[m_actionGraph - 1] =
            ZoomInto(m_zoom[m_actionGraph - 1], m_graphs[m_actionGraph - 1],
                     m_graphs[m_actionGraph - 1].Y[m_actionAxis - 1], m_zoomStart, {x, y});
}

} // namespace korvid::chart
