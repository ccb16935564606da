#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "chart/cursor_services.h"
#include "chart/graph.h"
#include "chart/painter.h"

namespace korvid::chart {

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

// ChartReadoutSetup flags beside the mode (`flags & 7`).
constexpr int ReadoutSnapX = 8;
constexpr int ReadoutSnapY = 16;
constexpr int ReadoutIgnoreData = 64;

// The mouse on a drawn chart: the readout of the point under it while the left button is held,
// and the zoom rectangle of a Ctrl drag, which sets the graph's zoom window on release. Both
// draw on the picture in exclusive-or, so drawing a figure again removes it.
class TMouseReadout {
public:
    // Reads the engine's graphs and drawing state, writes its zoom windows.
    TMouseReadout(TPainter& paint, ICursorServices& cursor,
                  const std::array<TGraph, MaxGraphs>& graphs,
                  std::array<TZoomWindow, MaxGraphs>& zoom);

    void Setup(TColor color, int x, int y, int alignment, int flags);
    // For a new picture: ends what runs, forgets a held readout, and takes the settings back to
    // their defaults in that colour.
    void Reset(TColor color);

    // Graphs 1..graphCount are on the picture.
    void MouseDown(int graphCount, TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    [[nodiscard]] bool Held() const { return m_held; }
    // What MouseDown would start for the left button with these keys held.
    [[nodiscard]] TGesture GestureAt(int graphCount, TShiftState shift, int x, int y) const;

private:
    enum class TAction { None, Readout, Zoom };

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

    struct TSettings {
        TColor Color = 0;
        int TextX = -1;
        int TextY = -1;
        int Alignment = 0;
        int Mode = 0;
        int Flags = 0;
        [[nodiscard]] bool ShowsText() const { return TextX >= 0 || TextY >= 0; }
    };

    struct TSavedTools {
        TPen Pen;
        TBrush Brush;
    };

    struct TTarget {
        int Graph = 0; // 1..graphCount, 0 for none
        int Axis = 0;  // its lowest defined y axis
    };
    // The last graph whose outer area holds the point, when it has an x and a y axis.
    [[nodiscard]] TTarget TargetAt(int graphCount, int x, int y) const;
    [[nodiscard]] bool DataDriven(const TGraph& g) const;
    [[nodiscard]] TReadoutPoint FindPoint(const TGraph& g, int x, int y) const;
    [[nodiscard]] std::string PointText(const TGraph& g, const TReadoutPoint& p) const;
    [[nodiscard]] TSavedTools StartXorFigure();
    void EndXorFigure(const TSavedTools& saved);
    void ToggleReadout(bool showing);
    void ToggleZoomFrame(bool showing);
    void ToggleText(bool showing, const std::string& text);
    void EndAction();

    TPainter& m_paint;
    ICursorServices& m_cursor;
    const std::array<TGraph, MaxGraphs>& m_graphs;
    std::array<TZoomWindow, MaxGraphs>& m_zoom;

    TSettings m_settings;
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
