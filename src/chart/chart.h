#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/graph.h"
#include "chart/painter.h"
#include "chart/readout.h"

namespace korvid::chart {

// How much of the ChartFont request outlives ChartInit (scope 0..3); All also leaves the title
// in the font as set instead of larger and bold.
enum class TFontScope { None, Name, NameAndSize, All };
// A style ChartFont turns on or off, or leaves as it is.
enum class TFontStyleChoice { Keep, Off, On };

struct TFontRequest {
    std::string Name; // empty: none asked for
    int Size = 0;     // 0: none asked for; negative: the default size
    TFontStyleChoice Italic = TFontStyleChoice::Keep;
    TFontStyleChoice Bold = TFontStyleChoice::Keep;
    TFontScope Scope = TFontScope::None;
};

// Immediate-mode line charts: the host repaints by calling, in order, ChartInit,
// ChartStartGraph, the axes, ChartTitle, the data and ChartFinish; every call draws at once on
// the surface given to ChartInit. Kept between repaints: the layout the mouse readout maps
// through, and the zoom windows. A call whose preconditions fail draws nothing; nothing throws.
class TChart {
public:
    explicit TChart(ICursorServices& cursor);
    // The readout holds on to the engine's own members.
    TChart(const TChart&) = delete;
    TChart& operator=(const TChart&) = delete;

    // The surface stays in use, also by the mouse calls, until the next ChartInit.
    void ChartInit(ICanvas& surface, TColor background, TColor foreground, float scale);
    // Percentages of the surface, margins in pixels.
    void ChartStartGraph(double x1, double x2, double y1, double y2, int leftMargin,
                         int rightMargin, int topMargin, int bottomMargin, bool noClip);
    // Logarithmic and date axes are not offered: such axes are drawn linear.
    void ChartXAxis(TColor color, std::string_view caption, bool grid, float min, float max,
                    float step, float minZoomSpan, bool logarithmic, bool dateTime);
    void ChartYAxis(TColor color, std::string_view caption, int position, float min, float max,
                    float step, float minZoomSpan, bool grid, bool logarithmic, bool dateTime);
    void ChartReadoutSetup(TColor color, int x, int y, int alignment, int flags);
    void ChartFont(std::string_view name, int size, int italic, int bold, int scope);
    void ChartTitle(TColor color, std::string_view text);
    void ChartMarker(int shape, int size, int fill);
    // The array must stay unchanged while the readout may read it: until the next ChartInit.
    void ChartPlotArray(const TDataArray& data, int plotType, int styleFlags, TPointText pointText);
    void ChartMoveTo(double x, double y);
    void ChartDrawTo(double x, double y);
    void ChartFinish();

    void ChartMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void ChartMouseMove(TShiftState shift, int x, int y);
    void ChartMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Graph 0 means all of them.
    void ChartResetZoom(int graph);

    // The pen the host colours its data and lines with.
    void SetPenColor(TColor color);
    [[nodiscard]] TColor PenColor() const { return m_paint.Pen.Color; }

    // Graphs 1..GraphCount() of the last repaint; none outside.
    [[nodiscard]] const TGraph* Graph(int number) const;
    [[nodiscard]] int GraphCount() const { return m_count; }
    [[nodiscard]] TZoomWindow Zoom(int graph) const;
    // A data readout left on screen by releasing the button with Shift held.
    [[nodiscard]] bool ReadoutHeld() const { return m_mouse.Held(); }
    // As ChartMouseDown would decide it for the left button with these keys held.
    [[nodiscard]] TGesture GestureAt(TShiftState shift, int x, int y) const;

private:
    // Scales the pixel lengths the engine derives from its own constants: 1 on screen, the only
    // surface offered.
    static constexpr int Mult = 1;

    struct TMarker {
        std::int16_t X = 0;
        std::int16_t Y = 0;
        std::uint8_t Shape = 0;
        bool Fill = false;
        std::int16_t Size = 0;
        std::int16_t PenWidth = 1;
        TColor Color = 0;
    };

    struct TPending {
        TPoint At;
        TColor Color = 0;
    };

    [[nodiscard]] TGraph* CurrentGraph();
    [[nodiscard]] TGraph* DrawingGraph();

    void MeasureFont();
    [[nodiscard]] int MajorTick() const { return m_charWidth + 1; }
    [[nodiscard]] int MinorTick() const { return MajorTick() / 2 + 1; }

    void ScaleAxis(TAxis& a, int pixels, int labelRoom, float step);
    // Axis lines, ticks and labels take the axis colour; a hidden axis leaves the foreground.
    void UseAxisColor(const TAxis& axis);
    void DrawXAxis(TGraph& g, std::string_view caption, bool grid, float step);
    void DrawYAxis(TGraph& g, TAxis& axis, std::string_view caption, bool grid, float step);
    // labelRoom: how far the ticks and labels reach out from the axis.
    void DrawYCaption(const TGraph& g, int position, std::string_view caption, int labelRoom);
    void DottedLine(TPoint from, int dx, int dy, int count, int style);
    void Text(int x, int y, std::string_view text);

    void DrawSegment(TPoint from, TPoint to);
    void FlushPending();
    void DrawMarker(const TMarker& marker);
    void DrawColumn(const TDataArray& data, const std::vector<std::size_t>& rows,
                    std::size_t column, int plotType);

    TPainter m_paint;
    int m_width = 0;
    int m_height = 0;
    TColor m_defaultBackground = 0xFFFFFF;
    TColor m_defaultForeground = 0;
    float m_scale = 1;

    TFontRequest m_fontRequest;
    int m_charWidth = 0;
    int m_charHeight = 0;

    std::array<TGraph, MaxGraphs> m_graphs;
    std::array<TZoomWindow, MaxGraphs> m_zoom;
    int m_count = 0;
    int m_current = 0; // 0: none, later calls draw nothing
    int m_selectedY = 0;

    TPoint m_penPos;
    bool m_penValid = true;
    std::optional<TPending> m_pending;
    TMarker m_marker;
    bool m_markerSet = false;
    std::vector<TMarker> m_markers;

    TMouseReadout m_mouse;
};

} // namespace korvid::chart
