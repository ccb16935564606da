#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/canvas.h"
#include "chart/cursor_services.h"

namespace korvid::chart {

// Rows of equal length n + 1. Row 0 is the header: element 0 above 0.5 means rows 1 to 7 hold
// styles and the data start at row 8; element j names the y axis (1..4) column j is drawn on.
// In a data row element 0 is x and element j the y value of column j.
using TDataArray = std::vector<std::vector<float>>;

// The y axis 1..4 the header row puts column j on; 0 for none.
[[nodiscard]] int ColumnAxis(const std::vector<float>& header, std::size_t column);

// Gives the readout text of the point at (row, column) of the data array. The text comes in
// holding the engine's own text, which stays when the host leaves it alone.
using TPointText = std::function<void(std::size_t row, std::size_t column, std::string& text)>;

enum class TMouseButton { Left, Right, Middle };

// What a left press would start where the mouse is, for a host that shows it before the press.
enum class TGesture { None, Readout, Zoom };

// Keys and buttons held during a mouse event.
using TShiftState = unsigned;
constexpr TShiftState ShiftKey = 1;
constexpr TShiftState AltKey = 2;
constexpr TShiftState CtrlKey = 4;
constexpr TShiftState LeftButton = 8;
constexpr TShiftState RightButton = 16;
constexpr TShiftState MiddleButton = 32;

constexpr int MaxGraphs = 8;
constexpr int MaxYAxes = 4;

// ChartReadoutSetup flags beside the mode (`flags & 7`).
constexpr int ReadoutSnapX = 8;
constexpr int ReadoutSnapY = 16;
constexpr int ReadoutIgnoreData = 64;

// ChartPlotArray style flags beside the snapping kind (`flags & 7`).
constexpr int PlotNoReadout = 8;

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

struct TAxis {
    bool Defined = false;
    bool Visible = false; // false when drawn in the background colour: scaled, not drawn
    TColor Color = 0;
    double Min = 0; // as passed
    double Max = 0;
    double Direction = 1; // -1 when Min > Max; the axis works on values times Direction
    double Lo = 0;        // the range shown, times Direction
    double Hi = 0;
    double Major = 0;
    double Minor = 0;
    int LabelDecimals = 0;
    int ReadoutDecimals = 0;
    double MinZoomSpan = 0.001; // a fraction of the range
    int Position = 0;           // y axes: 1..8
};

// The part of the base ranges a graph shows, as fractions; kept across repaints.
struct TZoomWindow {
    double X0 = 0;
    double X1 = 1;
    float Y0 = 0;
    float Y1 = 1;
    bool operator==(const TZoomWindow&) const = default;
};

struct TGraph {
    TRect Outer;
    int PlotLeft = 0;
    int PlotBottom = 0;
    int PlotWidth = 0;
    int PlotHeight = 0;
    bool AreaValid = false;
    bool Clip = true;
    TAxis X;
    std::array<TAxis, MaxYAxes> Y; // y axis n is Y[n - 1]

    // What the last ChartPlotArray left for the readout.
    const TDataArray* Data = nullptr;
    TPointText PointText;
    std::size_t FirstRow = 1;
    int Snapping = 0;
    bool ReadoutUsesData = false;
    int FirstAxis = 0;
    std::size_t FirstColumn = 0;

    [[nodiscard]] int PlotRight() const { return PlotLeft + PlotWidth; }
    [[nodiscard]] int PlotTop() const { return PlotBottom - PlotHeight; }
};

// Immediate-mode line charts: the host repaints by calling, in order, ChartInit,
// ChartStartGraph, the axes, ChartTitle, the data and ChartFinish; every call draws at once on
// the surface given to ChartInit. Kept between repaints: the layout the mouse readout maps
// through, and the zoom windows. A call whose preconditions fail draws nothing; nothing throws.
class TChart {
public:
    explicit TChart(ICursorServices& cursor);

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
    [[nodiscard]] TColor PenColor() const { return m_pen.Color; }

    // Graphs 1..GraphCount() of the last repaint; none outside.
    [[nodiscard]] const TGraph* Graph(int number) const;
    [[nodiscard]] int GraphCount() const { return m_count; }
    [[nodiscard]] TZoomWindow Zoom(int graph) const;
    // A data readout left on screen by releasing the button with Shift held.
    [[nodiscard]] bool ReadoutHeld() const { return m_held; }
    // As ChartMouseDown would decide it for the left button with these keys held.
    [[nodiscard]] TGesture GestureAt(TShiftState shift, int x, int y) const;

private:
    // Scales the pixel lengths the engine derives from its own constants: 1 on screen, the only
    // surface offered.
    static constexpr int Mult = 1;

    enum class TAction { None, Readout, Zoom };

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

    struct TReadoutPoint {
        TPoint At;
        std::size_t Row = 0;
        std::size_t Column = 0;
        double XValue = 0;
        double YValue = 0;
        bool operator==(const TReadoutPoint& other) const
        {
            return At == other.At && Row == other.Row && Column == other.Column;
        }
    };

    struct TReadoutSettings {
        TColor Color = 0;
        int TextX = -1;
        int TextY = -1;
        int Alignment = 0;
        int Mode = 0;
        int Flags = 0;
        [[nodiscard]] bool ShowsText() const { return TextX >= 0 || TextY >= 0; }
    };

    [[nodiscard]] TGraph* CurrentGraph();
    [[nodiscard]] TGraph* DrawingGraph();

    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    void MeasureFont();
    [[nodiscard]] int MajorTick() const { return m_charWidth + 1; }
    [[nodiscard]] int MinorTick() const { return MajorTick() / 2 + 1; }

    void ScaleAxis(TAxis& a, int pixels, int labelRoom, float step);
    // Axis lines, ticks and labels take the axis colour; a hidden axis leaves the foreground.
    void UseAxisColor(const TAxis& axis);
    void DrawXAxis(TGraph& g, std::string_view caption, bool grid, float step);
    void DrawYAxis(TGraph& g, TAxis& axis, std::string_view caption, bool grid, float step);
    void DottedLine(TPoint from, int dx, int dy, int count, int style);
    void Text(int x, int y, std::string_view text);

    void DrawSegment(TPoint from, TPoint to);
    void FlushPending();
    void DrawMarker(const TMarker& marker);
    void DrawColumn(const TDataArray& data, const std::vector<std::size_t>& rows,
                    std::size_t column, int plotType);

    struct TTarget {
        int Graph = 0; // 1..m_count, 0 for none
        int Axis = 0;  // its lowest defined y axis
    };
    // The last graph whose outer area holds the point, when it has an x and a y axis.
    [[nodiscard]] TTarget TargetAt(int x, int y) const;
    [[nodiscard]] bool DataDriven(const TGraph& g) const;
    [[nodiscard]] TReadoutPoint FindPoint(const TGraph& g, int x, int y) const;
    [[nodiscard]] std::string PointText(const TGraph& g, const TReadoutPoint& p) const;
    struct TDrawingState {
        TPen Pen;
        TBrush Brush;
    };
    // Readout figures are drawn in exclusive-or: drawn again, they are gone.
    [[nodiscard]] TDrawingState StartXorFigure();
    void EndXorFigure(const TDrawingState& saved);
    void ToggleReadout(bool showing);
    void ToggleZoomFrame(bool showing);
    void ToggleText(bool showing, const std::string& text);
    void ApplyZoom(TPoint start, TPoint end);
    void EndAction();

    ICursorServices& m_cursor;
    ICanvas* m_canvas = nullptr;
    int m_width = 0;
    int m_height = 0;
    TColor m_defaultBackground = 0xFFFFFF;
    TColor m_defaultForeground = 0;
    TColor m_background = 0xFFFFFF;
    TColor m_foreground = 0;
    float m_scale = 1;

    TPen m_pen;
    TBrush m_brush;
    TFont m_font;
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

    TReadoutSettings m_readout;
    TAction m_action = TAction::None;
    int m_actionGraph = 0;
    int m_actionAxis = 0;
    bool m_circle = false;
    int m_snapping = 0;
    bool m_held = false;
    TReadoutPoint m_point;
    TPoint m_zoomStart;
    TPoint m_zoomCorner;
    std::string m_shownText;
};

} // namespace korvid::chart
