#include "chart/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/axis_scale.h"
#include "util/ascii_case.h"

namespace korvid::chart {

namespace {

constexpr int MaxFontSize = 1000;
// Far more ticks than any axis holds; ends the loop when a step is lost in a huge offset.
constexpr int MaxTicks = 100000;
constexpr int GridMajorStyle = 4; // four pixels on, four off
constexpr int GridMinorStyle = 7; // one pixel in eight

int FontSize(double points)
{
    if (!(points >= 1))
        return 1;
    return points > MaxFontSize ? MaxFontSize : static_cast<int>(std::nearbyint(points));
}

int ClampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

TChart::TChart(ICursorServices& cursor) : m_cursor(cursor) {}

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
    if (m_canvas == nullptr || m_current < 1)
        return nullptr;
    TGraph& g = m_graphs[m_current - 1];
    return g.AreaValid ? &g : nullptr;
}

int TChart::XPixel(const TGraph& g, double v) const
{
    const TAxis& a = g.X;
    return ClampPixel(g.PlotLeft + g.PlotWidth * (v * a.Direction - a.Lo) / (a.Hi - a.Lo));
}

int TChart::YPixel(const TGraph& g, const TAxis& axis, double v) const
{
    return ClampPixel(g.PlotBottom -
                      g.PlotHeight * (v * axis.Direction - axis.Lo) / (axis.Hi - axis.Lo));
}

double TChart::XValue(const TGraph& g, int px) const
{
    const TAxis& a = g.X;
    return (a.Lo + (a.Hi - a.Lo) * (px - g.PlotLeft) / g.PlotWidth) * a.Direction;
}

double TChart::YValue(const TGraph& g, const TAxis& axis, int py) const
{
    return (axis.Lo + (axis.Hi - axis.Lo) * (g.PlotBottom - py) / g.PlotHeight) * axis.Direction;
}

void TChart::ApplyPen()
{
    if (m_canvas != nullptr)
        m_canvas->SetPen(m_pen);
}

void TChart::ApplyBrush()
{
    if (m_canvas != nullptr)
        m_canvas->SetBrush(m_brush);
}

void TChart::ApplyFont()
{
    if (m_canvas != nullptr)
        m_canvas->SetFont(m_font);
}

void TChart::MeasureFont()
{
    if (m_canvas == nullptr)
        return;
    m_charWidth = std::max(0, m_canvas->TextWidth("0"));
    m_charHeight = std::max(0, m_canvas->TextHeight("0"));
}

void TChart::SetPenColor(TColor color)
{
    m_pen.Color = color & ColorMask;
    ApplyPen();
}

void TChart::ChartInit(ICanvas& surface, TColor background, TColor foreground, float scale)
{
    EndAction();
    m_held = false;
    m_canvas = &surface;
    m_width = std::max(0, surface.Width()) * Mult;
    m_height = std::max(0, surface.Height()) * Mult;
    m_defaultBackground = m_background = background & ColorMask;
    m_defaultForeground = m_foreground = foreground & ColorMask;
    m_scale = scale > 0 && std::isfinite(scale) ? scale : 1.0F;

    m_brush = {m_background, TBrushStyle::Solid};
    m_pen = {m_foreground, TPenStyle::Solid, Mult, TPenMode::Copy};
    ApplyBrush();
    ApplyPen();
    m_canvas->FillRect(0, 0, m_width, m_height);

    const bool keepName = !m_storedFontName.empty() && m_fontScope >= 1;
    const bool keepSize = m_storedFontSize >= 1 && m_fontScope >= 2;
    m_font.Name = keepName ? m_storedFontName : "Arial";
    m_font.Size = FontSize((keepSize ? m_storedFontSize : 8.0 * m_scale) * Mult);
    m_font.Italic = m_storedItalic == 2;
    m_font.Bold = m_storedBold == 2;
    m_font.Color = m_foreground;
    ApplyFont();
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
    m_readout = TReadoutSettings{};
    m_readout.Color = m_foreground == m_background ? ~m_background & ColorMask : m_foreground;
}

void TChart::ChartStartGraph(double x1, double x2, double y1, double y2, int leftMargin,
                             int rightMargin, int topMargin, int bottomMargin, bool noClip)
{
    if (m_canvas == nullptr)
        return;
    if (m_count >= MaxGraphs) {
        m_current = 0;
        return;
    }
    ChartFinish();
    ++m_count;
    m_current = m_count;
    TGraph& g = m_graphs[m_current - 1];
    g = TGraph{};

    auto order = [](double& lo, double& hi) {
        if (std::isnan(lo))
            lo = 0;
        if (std::isnan(hi))
            hi = 100;
        if (hi < lo)
            std::swap(lo, hi);
        lo = std::max(lo, 0.0);
        hi = std::min(hi, 100.0);
    };
    order(x1, x2);
    order(y1, y2);
    auto at = [](double percent, int size) {
        return static_cast<int>(std::nearbyint(std::clamp(percent, 0.0, 100.0) / 100 * size));
    };
    g.Outer = {at(x1, m_width), at(y1, m_height), at(x2, m_width), at(y2, m_height)};

    const std::int64_t left = std::int64_t{g.Outer.Left} + std::int64_t{leftMargin} * Mult;
    const std::int64_t right = std::int64_t{g.Outer.Right} - std::int64_t{rightMargin} * Mult;
    const std::int64_t top = std::int64_t{g.Outer.Top} + std::int64_t{topMargin} * Mult;
    const std::int64_t bottom = std::int64_t{g.Outer.Bottom} - std::int64_t{bottomMargin} * Mult;
    g.AreaValid = right > left && bottom > top;
    if (g.AreaValid) {
        g.PlotLeft = ClampInt(left);
        g.PlotBottom = ClampInt(bottom);
        g.PlotWidth = ClampInt(right - left);
        g.PlotHeight = ClampInt(bottom - top);
    }
    g.Clip = !(noClip && m_zoom[m_current - 1] == TZoomWindow{});

    m_pen.Style = TPenStyle::Solid;
    m_pen.Width = Mult;
    m_pen.Mode = TPenMode::Copy;
    m_background = m_defaultBackground;
    m_foreground = m_defaultForeground;
    m_brush = {m_background, TBrushStyle::Solid};
    ApplyPen();
    ApplyBrush();
    m_selectedY = 0;
}

void TChart::DefineAxis(TAxis& axis, TColor color, float min, float max, float minZoomSpan,
                        double z0, double z1)
{
    axis = TAxis{};
    axis.Defined = true;
    axis.Color = color & ColorMask;
    axis.Visible = axis.Color != m_background;
    axis.Min = min;
    axis.Max = max;
    axis.Direction = min > max ? -1 : 1;
    const double lo = axis.Min * axis.Direction;
    const double hi = axis.Max * axis.Direction;
    axis.Lo = (hi - lo) * z0 + lo;
    axis.Hi = (hi - lo) * z1 + lo;
    const double span = std::isfinite(minZoomSpan) ? minZoomSpan / (hi - lo) : 0;
    axis.MinZoomSpan = std::clamp(span, 0.0, 1.0);

    m_pen.Color = axis.Visible ? axis.Color : m_foreground;
    m_pen.Style = TPenStyle::Solid;
    m_font.Color = m_pen.Color;
    ApplyPen();
    ApplyFont();
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
            m_canvas->SetPixel(from.X + i * dx, from.Y + i * dy, m_pen.Color);
}

void TChart::Text(int x, int y, std::string_view text)
{
    m_canvas->TextOut(x, y, text);
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
    DefineAxis(g->X, color, min, max, minZoomSpan, zoom.X0, zoom.X1);
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
        m_canvas->MoveTo(left, bottom);
        m_canvas->LineTo(right + 1, bottom);
    }

    const int suffixWidth = suffix.empty() ? 0 : m_canvas->TextWidth(suffix);
    ScaleAxis(a, g.PlotWidth, 5 * m_charWidth + suffixWidth, step);

    if (a.Visible) {
        auto pixel = [&](double v) {
            return ClampPixel(left + g.PlotWidth * (v - a.Lo) / (a.Hi - a.Lo));
        };
        const int minors = std::clamp(static_cast<int>(std::nearbyint(a.Major / a.Minor)), 1, 100);
        const int majorTick = MajorTick() * Mult;
        const int minorTick = MinorTick() * Mult;
        double v = std::trunc(a.Lo / a.Major - 1) * a.Major;
        for (int i = 0; i < MaxTicks; ++i) {
            const int px = pixel(v);
            if (px > right)
                break;
            if (px >= left) {
                m_canvas->MoveTo(px, bottom);
                m_canvas->LineTo(px, bottom + majorTick);
                std::string label = LabelText(v * a.Direction, a.LabelDecimals, a.Major);
                label += suffix;
                Text(px - m_canvas->TextWidth(label) / 2, bottom + majorTick + Mult - 1, label);
                if (grid && px != left)
                    DottedLine({px, bottom}, 0, -1, g.PlotHeight + 1, GridMajorStyle);
            }
            for (int k = 1; k < minors; ++k) {
                const int pm = pixel(v + k * a.Minor);
                if (pm < left || pm > right)
                    continue;
                m_canvas->MoveTo(pm, bottom);
                m_canvas->LineTo(pm, bottom + minorTick);
                if (grid && pm != left)
                    DottedLine({pm, bottom}, 0, -1, g.PlotHeight + 1, GridMinorStyle);
            }
            const double next = v + a.Major;
            if (next == v)
                break;
            v = next;
        }
        if (!caption.empty())
            Text(left + g.PlotWidth / 2 - m_canvas->TextWidth(caption) / 2,
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
    DefineAxis(a, color, min, max, minZoomSpan, zoom.Y0, zoom.Y1);
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
    const int right = g.PlotRight();
    const int top = g.PlotTop();
    const int bottom = g.PlotBottom;
    int axisX = left;
    int direction = -1;
    switch (a.Position) {
    case 2:
        axisX = left + Mult;
        direction = 1;
        break;
    case 3:
        axisX = right - Mult;
        break;
    case 4:
    case 7:
    case 8:
        axisX = right;
        direction = 1;
        break;
    default:
        break;
    }
    if (a.Visible) {
        m_canvas->MoveTo(axisX, bottom);
        m_canvas->LineTo(axisX, top - 1);
    }

    ScaleAxis(a, g.PlotHeight, 2 * m_charHeight, step);
    if (!a.Visible)
        return;

    auto pixel = [&](double v) {
        return ClampPixel(bottom - g.PlotHeight * (v - a.Lo) / (a.Hi - a.Lo));
    };
    const int minors = std::clamp(static_cast<int>(std::nearbyint(a.Major / a.Minor)), 1, 100);
    const int majorTick = MajorTick() * Mult;
    const int minorTick = MinorTick() * Mult;
    int widest = 0;
    double v = std::trunc(a.Lo / a.Major - 1) * a.Major;
    for (int i = 0; i < MaxTicks; ++i) {
        const int py = pixel(v);
        if (py < top)
            break;
        if (py <= bottom) {
            m_canvas->MoveTo(axisX, py);
            m_canvas->LineTo(axisX + direction * majorTick, py);
            const std::string label = LabelText(v * a.Direction, a.LabelDecimals, a.Major);
            const int width = m_canvas->TextWidth(label);
            widest = std::max(widest, width);
            const int labelX =
                direction < 0 ? axisX - majorTick - width - Mult + 1 : axisX + majorTick + Mult;
            Text(labelX, py - m_charHeight / 2, label);
            if (py != bottom && (grid || std::abs(v) < a.Major / 2))
                DottedLine({left, py}, 1, 0, g.PlotWidth + 1, GridMajorStyle);
        }
        for (int k = 1; k < minors; ++k) {
            const int pm = pixel(v + k * a.Minor);
            if (pm < top || pm > bottom)
                continue;
            m_canvas->MoveTo(axisX, pm);
            m_canvas->LineTo(axisX + direction * minorTick, pm);
            if (grid && pm != bottom)
                DottedLine({left, pm}, 1, 0, g.PlotWidth + 1, GridMinorStyle);
        }
        const double next = v + a.Major;
        if (next == v)
            break;
        v = next;
    }

    int captionTop = top - m_charHeight - m_charHeight / 2;
    if (!caption.empty() && caption.front() == '@') {
        caption.remove_prefix(1);
        captionTop -= m_charHeight;
    }
    if (caption.empty())
        return;
    const int captionWidth = m_canvas->TextWidth(caption);
    int captionX = 0;
    switch (a.Position) {
    case 2:
        captionX = left;
        break;
    case 3:
        captionX = right - captionWidth;
        break;
    case 4:
    case 7:
    case 8:
        captionX = std::min(m_width, right + widest + majorTick) - captionWidth;
        break;
    default:
        captionX = std::max(0, left - widest - majorTick);
        break;
    }
    Text(captionX, captionTop, caption);
}

void TChart::ChartFont(std::string_view name, int size, int italic, int bold, int scope)
{
    m_fontScope = scope >= 0 && scope <= 3 ? scope : 0;
    if (!name.empty()) {
        m_storedFontName = util::EqualsNoCase(name, "DEF") ? "Arial" : std::string(name);
        m_font.Name = m_storedFontName;
    }
    if (size != 0) {
        m_storedFontSize = size;
        m_font.Size = FontSize(size > 0 ? size : 8.0 * m_scale);
    }
    auto style = [](int setting, bool& on, int& stored) {
        if (setting < -1 || setting > 2)
            setting = 0;
        if (setting == 2)
            on = true;
        else if (setting != 0)
            on = false;
        if (setting != 0)
            stored = setting;
    };
    style(italic, m_font.Italic, m_storedItalic);
    style(bold, m_font.Bold, m_storedBold);
    ApplyFont();
    MeasureFont();
}

void TChart::ChartTitle(TColor color, std::string_view text)
{
    TGraph* g = CurrentGraph();
    if (g == nullptr)
        return;
    const TFont saved = m_font;
    if (m_fontScope < 3) {
        m_font.Size = FontSize(m_font.Size * 1.2);
        m_font.Bold = true;
    }
    m_font.Color = color & ColorMask;
    ApplyFont();
    int x = g->PlotLeft + g->PlotWidth / 2;
    int y = g->Outer.Top + 4 * Mult;
    if (!text.empty() && text.front() == '@') {
        text.remove_prefix(1);
        x = m_width / 2;
        y = 4 * Mult;
    }
    Text(x - m_canvas->TextWidth(text) / 2, y, text);
    m_font = saved;
    ApplyFont();
}

void TChart::ChartResetZoom(int graph)
{
    if (graph == 0)
        m_zoom.fill(TZoomWindow{});
    else if (graph >= 1 && graph <= MaxGraphs)
        m_zoom[graph - 1] = TZoomWindow{};
}

} // namespace korvid::chart
