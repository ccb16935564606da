#include "chart/chart.h"

#include <algorithm>
#include <cmath>

#include "chart/axis_scale.h"
#include "chart/plot_geometry.h"
#include "util/ascii_case.h"

namespace korvid::chart {

namespace {

constexpr int MaxFontSize = 1000;
constexpr int GridMajorStyle = 4; // four pixels on, four off
constexpr int GridMinorStyle = 7; // one pixel in eight

int FontSize(double points)
{
    if (!(points >= 1))
        return 1;
    return points > MaxFontSize ? MaxFontSize : static_cast<int>(std::nearbyint(points));
}

// ChartFont's -1 and 1 turn a style off, 2 on; 0 and anything else keep it.
TFontStyleChoice StyleChoice(int setting)
{
    switch (setting) {
    case -1:
    case 1:
        return TFontStyleChoice::Off;
    case 2:
        return TFontStyleChoice::On;
    default:
        return TFontStyleChoice::Keep;
    }
}

TFontScope Scope(int scope)
{
    return scope >= 0 && scope <= 3 ? static_cast<TFontScope>(scope) : TFontScope::None;
}

} // namespace

TChart::TChart(ICursorServices& cursor) : m_mouse(m_paint, cursor, m_graphs, m_zoom) {}

const TGraph* TChart::Graph(int number) const
{
    return number >= 1 && number <= m_count ? &m_graphs[number - 1] : nullptr;
}

TZoomWindow TChart::Zoom(int graph) const
{
    return graph >= 1 && graph <= MaxGraphs ? m_zoom[graph - 1] : TZoomWindow{};
}

TGraph* TChart::CurrentGraph()
{
    if (m_paint.Canvas == nullptr || m_current < 1)
        return nullptr;
    TGraph& g = m_graphs[m_current - 1];
    return g.AreaValid ? &g : nullptr;
}

void TChart::MeasureFont()
{
    if (m_paint.Canvas == nullptr)
        return;
    m_charWidth = std::max(0, m_paint.Canvas->TextWidth("0"));
    m_charHeight = std::max(0, m_paint.Canvas->TextHeight("0"));
}

void TChart::SetPenColor(TColor color)
{
    m_paint.Pen.Color = color & ColorMask;
    m_paint.ApplyPen();
}

void TChart::ChartInit(ICanvas& surface, TColor background, TColor foreground, float scale)
{
    background &= ColorMask;
    foreground &= ColorMask;
    // The readout needs a colour that shows on the background.
    m_mouse.Reset(foreground == background ? ~background & ColorMask : foreground);
    m_paint.Canvas = &surface;
    m_width = std::max(0, surface.Width()) * Mult;
    m_height = std::max(0, surface.Height()) * Mult;
    m_defaultBackground = m_paint.Background = background;
    m_defaultForeground = m_paint.Foreground = foreground;
    m_scale = scale > 0 && std::isfinite(scale) ? scale : 1.0F;

    m_paint.Brush = {m_paint.Background, TBrushStyle::Solid};
    m_paint.Pen = {m_paint.Foreground, TPenStyle::Solid, Mult, TPenMode::Copy};
    m_paint.ApplyBrush();
    m_paint.ApplyPen();
    m_paint.Canvas->FillRect(0, 0, m_width, m_height);

    const TFontRequest& asked = m_fontRequest;
    const bool keepName = !asked.Name.empty() && asked.Scope >= TFontScope::Name;
    const bool keepSize = asked.Size >= 1 && asked.Scope >= TFontScope::NameAndSize;
    m_paint.Font.Name = keepName ? asked.Name : "Arial";
    m_paint.Font.Size = FontSize((keepSize ? asked.Size : 8.0 * m_scale) * Mult);
    m_paint.Font.Italic = asked.Italic == TFontStyleChoice::On;
    m_paint.Font.Bold = asked.Bold == TFontStyleChoice::On;
    m_paint.Font.Color = m_paint.Foreground;
    m_paint.ApplyFont();
    MeasureFont();

    for (TGraph& g : m_graphs)
        g = TGraph{};
    m_count = 0;
    m_current = 0;
    m_selectedY = 0;
    m_penPos = {};
    m_penValid = true;
    m_pending.reset();
    m_marker = TMarker{};
    m_markerSet = false;
    m_markers.clear();
}

void TChart::ChartStartGraph(double x1, double x2, double y1, double y2, int leftMargin,
                             int rightMargin, int topMargin, int bottomMargin, bool noClip)
{
    if (m_paint.Canvas == nullptr)
        return;
    if (m_count >= MaxGraphs) {
        m_current = 0;
        return;
    }
    ChartFinish();
    ++m_count;
    m_current = m_count;
    TGraph& g = m_graphs[m_current - 1];
    g = LayOutGraph(x1, x2, y1, y2, leftMargin, rightMargin, topMargin, bottomMargin, m_width,
                    m_height, Mult);
    g.Clip = !(noClip && m_zoom[m_current - 1] == TZoomWindow{});

    m_paint.Pen.Style = TPenStyle::Solid;
    m_paint.Pen.Width = Mult;
    m_paint.Pen.Mode = TPenMode::Copy;
    m_paint.Background = m_defaultBackground;
    m_paint.Foreground = m_defaultForeground;
    m_paint.Brush = {m_paint.Background, TBrushStyle::Solid};
    m_paint.ApplyPen();
    m_paint.ApplyBrush();
    m_selectedY = 0;
}

void TChart::UseAxisColor(const TAxis& axis)
{
    m_paint.Pen.Color = axis.Visible ? axis.Color : m_paint.Foreground;
    m_paint.Pen.Style = TPenStyle::Solid;
    m_paint.Font.Color = m_paint.Pen.Color;
    m_paint.ApplyPen();
    m_paint.ApplyFont();
}

// Steps and decimals for an axis of that many pixels whose labels need labelRoom pixels each;
// a step the host asked for caps the label decimals.
void TChart::ScaleAxis(TAxis& a, int pixels, int labelRoom, float step)
{
    TAxisSteps steps = ChooseSteps(a.Lo, a.Hi, pixels, labelRoom, step);
    if (step > 0)
        steps.Decimals = std::min(steps.Decimals, Decimals(RoundStep(step)));
    a.Major = steps.Major;
    a.Minor = steps.Minor;
    a.LabelDecimals = steps.Decimals;
    a.ReadoutDecimals = Decimals((a.Hi - a.Lo) / pixels);
}

void TChart::DottedLine(TPoint from, int dx, int dy, int count, int style)
{
    if (style < 0)
        return;
    for (int i = 0; i < count; ++i)
        if ((i & style) == 0)
            m_paint.Canvas->SetPixel(from.X + i * dx, from.Y + i * dy, m_paint.Pen.Color);
}

void TChart::Text(int x, int y, std::string_view text)
{
    m_paint.Canvas->TextOut(x, y, text);
}

void TChart::ChartXAxis(TColor color, std::string_view caption, bool grid, float min, float max,
                        float step, float minZoomSpan, bool logarithmic, bool dateTime)
{
    (void)logarithmic;
    (void)dateTime;
    ChartFinish();
    TGraph* g = CurrentGraph();
    if (g == nullptr || !std::isfinite(min) || !std::isfinite(max) || min == max)
        return;
    const TZoomWindow& zoom = m_zoom[m_current - 1];
    g->X = DefineAxis(color, m_paint.Background, min, max, minZoomSpan, zoom.X0, zoom.X1);
    UseAxisColor(g->X);
    g->X.MinZoomSpan = std::max(g->X.MinZoomSpan, 0.001);
    DrawXAxis(*g, caption, grid, step);
}

void TChart::DrawXAxis(TGraph& g, std::string_view caption, bool grid, float step)
{
    TAxis& a = g.X;
    std::string_view suffix;
    if (const auto bar = caption.find('|'); bar != std::string_view::npos) {
        suffix = caption.substr(bar + 1);
        caption = caption.substr(0, bar);
    }
    const int left = g.PlotLeft;
    const int right = g.PlotRight();
    const int bottom = g.PlotBottom;
    if (a.Visible) {
        m_paint.Canvas->MoveTo(left, bottom);
        m_paint.Canvas->LineTo(right + 1, bottom);
    }

    const int suffixWidth = suffix.empty() ? 0 : m_paint.Canvas->TextWidth(suffix);
    ScaleAxis(a, g.PlotWidth, 5 * m_charWidth + suffixWidth, step);

    if (a.Visible) {
        const int majorTick = MajorTick() * Mult;
        const int minorTick = MinorTick() * Mult;
        WalkTicks(
            a, left, right, [&](double v) { return XPixelDirected(g, v); },
            [&](int px, double v) {
                m_paint.Canvas->MoveTo(px, bottom);
                m_paint.Canvas->LineTo(px, bottom + majorTick);
                std::string label = LabelText(v * a.Direction, a.LabelDecimals, a.Major);
                label += suffix;
                Text(px - m_paint.Canvas->TextWidth(label) / 2, bottom + majorTick + Mult - 1,
                     label);
                if (grid && px != left)
                    DottedLine({px, bottom}, 0, -1, g.PlotHeight + 1, GridMajorStyle);
            },
            [&](int pm) {
                m_paint.Canvas->MoveTo(pm, bottom);
                m_paint.Canvas->LineTo(pm, bottom + minorTick);
                if (grid && pm != left)
                    DottedLine({pm, bottom}, 0, -1, g.PlotHeight + 1, GridMinorStyle);
            });
        if (!caption.empty())
            Text(left + g.PlotWidth / 2 - m_paint.Canvas->TextWidth(caption) / 2,
                 bottom + majorTick + m_charHeight, caption);
    }
}

void TChart::ChartYAxis(TColor color, std::string_view caption, int position, float min, float max,
                        float step, float minZoomSpan, bool grid, bool logarithmic, bool dateTime)
{
    (void)logarithmic;
    (void)dateTime;
    ChartFinish();
    TGraph* g = CurrentGraph();
    if (g == nullptr || position < 1 || position > 8 || !std::isfinite(min) ||
        !std::isfinite(max) || min == max)
        return;
    const int number = (position - 1) % MaxYAxes + 1;
    TAxis& a = g->Y[number - 1];
    const TZoomWindow& zoom = m_zoom[m_current - 1];
    a = DefineAxis(color, m_paint.Background, min, max, minZoomSpan, zoom.Y0, zoom.Y1);
    UseAxisColor(a);
    // The y ranges are single precision.
    a.Lo = static_cast<float>(a.Lo);
    a.Hi = static_cast<float>(a.Hi);
    if (!(a.Hi > a.Lo)) {
        a.Defined = false;
        return;
    }
    a.Position = position;
    m_selectedY = number;
    DrawYAxis(*g, a, caption, grid, step);
}

void TChart::DrawYAxis(TGraph& g, TAxis& a, std::string_view caption, bool grid, float step)
{
    const int left = g.PlotLeft;
    const int top = g.PlotTop();
    const int bottom = g.PlotBottom;
    const TYAxisPlace place = PlaceYAxis(g, a.Position, Mult);
    const int axisX = place.X;
    if (a.Visible) {
        m_paint.Canvas->MoveTo(axisX, bottom);
        m_paint.Canvas->LineTo(axisX, top - 1);
    }

    ScaleAxis(a, g.PlotHeight, 2 * m_charHeight, step);
    if (!a.Visible)
        return;

    const int majorTick = MajorTick() * Mult;
    const int minorTick = MinorTick() * Mult;
    int widest = 0;
    WalkTicks(
        a, bottom, top, [&](double v) { return YPixelDirected(g, a, v); },
        [&](int py, double v) {
            m_paint.Canvas->MoveTo(axisX, py);
            m_paint.Canvas->LineTo(axisX + place.Tick * majorTick, py);
            const std::string label = LabelText(v * a.Direction, a.LabelDecimals, a.Major);
            const int width = m_paint.Canvas->TextWidth(label);
            widest = std::max(widest, width);
            const int labelX =
                place.Tick < 0 ? axisX - majorTick - width - Mult + 1 : axisX + majorTick + Mult;
            Text(labelX, py - m_charHeight / 2, label);
            if (py != bottom && (grid || std::abs(v) < a.Major / 2))
                DottedLine({left, py}, 1, 0, g.PlotWidth + 1, GridMajorStyle);
        },
        [&](int pm) {
            m_paint.Canvas->MoveTo(axisX, pm);
            m_paint.Canvas->LineTo(axisX + place.Tick * minorTick, pm);
            if (grid && pm != bottom)
                DottedLine({left, pm}, 1, 0, g.PlotWidth + 1, GridMinorStyle);
        });
    DrawYCaption(g, a.Position, caption, widest + majorTick);
}

void TChart::DrawYCaption(const TGraph& g, int position, std::string_view caption, int labelRoom)
{
    // "@" moves the caption one line away from the plot.
    const bool away = !caption.empty() && caption.front() == '@';
    if (away)
        caption.remove_prefix(1);
    if (caption.empty())
        return;
    const int width = m_paint.Canvas->TextWidth(caption);
    const int left = g.PlotLeft;
    const int right = g.PlotRight();
    if (position <= 4) {
        const int y = g.PlotTop() - m_charHeight - m_charHeight / 2 - (away ? m_charHeight : 0);
        int x = std::max(0, left - labelRoom);
        if (position == 2)
            x = left;
        else if (position == 3)
            x = right - width;
        else if (position == 4)
            x = std::min(m_width, right + labelRoom) - width;
        Text(x, y, caption);
        return;
    }
    // Turned beside the labels, centred on the plot: 5 and 7 read upwards, 6 and 8 downwards.
    // The text turns about its top-left corner, so upward text lies right of its anchor.
    const int reach = labelRoom + Mult + (away ? m_charHeight : 0);
    const int middle = g.PlotTop() + g.PlotHeight / 2;
    const int band = position <= 6 ? std::max(0, left - reach - m_charHeight)
                                   : std::min(m_width - m_charHeight, right + reach + Mult);
    const bool upwards = position == 5 || position == 7;
    const TFont saved = m_paint.Font;
    m_paint.Font.Angle = upwards ? 90 : -90;
    m_paint.ApplyFont();
    if (upwards)
        Text(band, middle + width / 2, caption);
    else
        Text(band + m_charHeight, middle - width / 2, caption);
    m_paint.Font = saved;
    m_paint.ApplyFont();
}

void TChart::ChartFont(std::string_view name, int size, int italic, int bold, int scope)
{
    TFontRequest& asked = m_fontRequest;
    asked.Scope = Scope(scope);
    if (!name.empty()) {
        asked.Name = util::EqualsNoCase(name, "DEF") ? "Arial" : std::string(name);
        m_paint.Font.Name = asked.Name;
    }
    if (size != 0) {
        asked.Size = size;
        m_paint.Font.Size = FontSize(size > 0 ? size : 8.0 * m_scale);
    }
    auto style = [](TFontStyleChoice choice, bool& on, TFontStyleChoice& stored) {
        if (choice == TFontStyleChoice::Keep)
            return;
        on = choice == TFontStyleChoice::On;
        stored = choice;
    };
    style(StyleChoice(italic), m_paint.Font.Italic, asked.Italic);
    style(StyleChoice(bold), m_paint.Font.Bold, asked.Bold);
    m_paint.ApplyFont();
    MeasureFont();
}

void TChart::ChartTitle(TColor color, std::string_view text)
{
    TGraph* g = CurrentGraph();
    if (g == nullptr)
        return;
    const TFont saved = m_paint.Font;
    if (m_fontRequest.Scope != TFontScope::All) {
        m_paint.Font.Size = FontSize(m_paint.Font.Size * 1.2);
        m_paint.Font.Bold = true;
    }
    m_paint.Font.Color = color & ColorMask;
    m_paint.ApplyFont();
    int x = g->PlotLeft + g->PlotWidth / 2;
    int y = g->Outer.Top + 4 * Mult;
    if (!text.empty() && text.front() == '@') {
        text.remove_prefix(1);
        x = m_width / 2;
        y = 4 * Mult;
    }
    Text(x - m_paint.Canvas->TextWidth(text) / 2, y, text);
    m_paint.Font = saved;
    m_paint.ApplyFont();
}

void TChart::ChartReadoutSetup(TColor color, int x, int y, int alignment, int flags)
{
    m_mouse.Setup(color, x, y, alignment, flags);
}

TGesture TChart::GestureAt(TShiftState shift, int x, int y) const
{
    return m_mouse.GestureAt(m_count, shift, x, y);
}

void TChart::ChartMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    m_mouse.MouseDown(m_count, button, shift, x, y);
}

void TChart::ChartMouseMove(TShiftState shift, int x, int y)
{
    m_mouse.MouseMove(shift, x, y);
}

void TChart::ChartMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    m_mouse.MouseUp(button, shift, x, y);
}

void TChart::ChartResetZoom(int graph)
{
    if (graph == 0)
        m_zoom.fill(TZoomWindow{});
    else if (graph >= 1 && graph <= MaxGraphs)
        m_zoom[graph - 1] = TZoomWindow{};
}

} // namespace korvid::chart
