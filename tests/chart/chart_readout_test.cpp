#include "chart/chart.h"
#include "chart/zoom.h"

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_cursor.h"
#include "testing/recording_canvas.h"
#include "testing/temp_dir.h"

namespace korvid {
namespace {

using chart::TMouseButton;
using test::TCallKind;

constexpr chart::TColor XorColor = 0xFFFFFF ^ 128;

// Frames 1..9 on an x axis from 0 to 10 (50 pixels a frame, from x 40), minutes 2 + frame / 2
// on a y axis from 0 to 32 (10 pixels a minute, up from y 360).
class ChartReadoutTest : public ::testing::Test {
protected:
    test::TRecordingCanvas canvas;
    test::TFakeCursor cursor;
    chart::TChart chart{cursor};
    chart::TDataArray points;
    std::vector<std::pair<std::size_t, std::size_t>> asked;

    void SetUp() override
    {
        points.push_back({0, 1});
        for (int frame = 1; frame <= 9; ++frame)
            points.push_back({static_cast<float>(frame), 2 + static_cast<float>(frame) / 2});
        Paint();
    }
    void Paint(bool withData = true, int readoutFlags = 3)
    {
        chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
        chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
        chart.ChartXAxis(0, "Frame", false, 0, 10, 0, 0, false, false);
        chart.ChartYAxis(0, "Temps (mn)", 1, 0, 32, 0, 0, false, false, false);
        chart.ChartReadoutSetup(128, 560 - 200, 40, 1, readoutFlags);
        chart.ChartMarker(0, 0, 0);
        chart.SetPenColor(0xFF0000);
        if (withData)
            chart.ChartPlotArray(points, 0, 1,
                                 [this](std::size_t row, std::size_t column, std::string& text) {
                                     asked.emplace_back(row, column);
                                     if (row > 0)
                                         text = "Frame #" + std::to_string(row);
                                 });
        chart.ChartFinish();
        canvas.Calls.clear();
    }
    static chart::TPoint PointOf(int frame)
    {
        return {40 + 50 * frame, 360 - static_cast<int>(10 * (2 + frame / 2.0))};
    }
    // Plays mouse events: "d215,200L" a left press ("r": right), "m225,150L" a move,
    // "u215,200S" a release, "p" a repaint; L after the point holds the left button, C Ctrl,
    // S Shift. Gives what was drawn, split by " ; ": "o4" the readout's circle on frame 4, a text
    // as it reads ("~" before one in the background colour), "x,y>x,y" an exclusive-or line.
    std::string Play(std::string_view script)
    {
        std::istringstream events{std::string(script)};
        for (std::string event; events >> event;) {
            int x = 0;
            int y = 0;
            char keys[4] = "";
            std::sscanf(event.c_str() + 1, "%d,%d%3s", &x, &y, keys);
            chart::TShiftState shift = 0;
            for (const char* k = keys; *k != '\0'; ++k)
                shift |= *k == 'L'   ? chart::LeftButton
                         : *k == 'C' ? chart::CtrlKey
                                     : chart::ShiftKey;
            const auto button = event[0] == 'r' ? TMouseButton::Right : TMouseButton::Left;
            if (event[0] == 'd' || event[0] == 'r')
                chart.ChartMouseDown(button, shift, x, y);
            else if (event[0] == 'm')
                chart.ChartMouseMove(shift, x, y);
            else if (event[0] == 'u')
                chart.ChartMouseUp(button, shift, x, y);
            else
                Paint();
        }
        std::string drawn;
        for (const test::TCall& call : canvas.Calls) {
            std::string item;
            if (call.Kind == TCallKind::Ellipse) {
                EXPECT_EQ(call.Brush.Style, chart::TBrushStyle::Clear);
                const int frame = (call.At.X + 5 - 40 + 25) / 50; // the nearest
                const chart::TPoint p = PointOf(frame);
                if (call.At == chart::TPoint{p.X - 5, p.Y - 5} &&
                    call.To == chart::TPoint{p.X + 6, p.Y + 6})
                    item = "o" + std::to_string(frame);
            } else if (call.Kind == TCallKind::TextOut) {
                EXPECT_EQ(call.At, (chart::TPoint{360, 40}));
                item = (call.Font.Color == 0xFFFFFF ? "~" : "") + call.Text;
            } else if (call.Kind == TCallKind::LineTo) {
                item = std::to_string(call.At.X) + "," + std::to_string(call.At.Y) + ">" +
                       std::to_string(call.To.X) + "," + std::to_string(call.To.Y);
            }
            if (call.Kind != TCallKind::TextOut) {
                EXPECT_EQ(call.Pen.Mode, chart::TPenMode::Xor) << item;
                EXPECT_EQ(call.Pen.Color, XorColor) << item;
            }
            drawn += (drawn.empty() ? "" : " ; ") + (item.empty() ? "?" : item);
        }
        canvas.Calls.clear();
        return drawn;
    }
    void Drag(int x0, int y0, int x1, int y1, chart::TShiftState keys = chart::CtrlKey)
    {
        chart.ChartMouseDown(TMouseButton::Left, keys | chart::LeftButton, x0, y0);
        chart.ChartMouseMove(keys | chart::LeftButton, x1, y1);
        chart.ChartMouseUp(TMouseButton::Left, keys, x1, y1);
        Paint();
    }
};

TEST_F(ChartReadoutTest, PressShowsACircleOnTheNearestFrameAndItsText)
{
    for (const auto& row : test::CaseTable("chart/data/readout_presses.cases", 3)) {
        SCOPED_TRACE(row[0]);
        const std::string& x = row[1];
        const std::string& frame = row[2];
        const int mouseX = std::stoi(x);
        EXPECT_EQ(Play("d" + x + ",200L"), "o" + frame + " ; Frame #" + frame);
        EXPECT_EQ(cursor.Shape, chart::TCursorShape::Hand);
        ASSERT_TRUE(cursor.Confined);
        const int dx = cursor.Position.X - mouseX; // the plot in screen pixels
        EXPECT_EQ(*cursor.Confined, (chart::TRect{40 + dx, 40 + 300, 541 + dx, 361 + 300}));
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked.back(), (std::pair<std::size_t, std::size_t>{std::stoul(frame), 1}));
        EXPECT_EQ(Play("u" + x + ",200"), "o" + frame + " ; ~Frame #" + frame);
    }
}

TEST_F(ChartReadoutTest, ScriptedMouseEventsDrawAndRemoveTheReadout)
{
    for (const auto& row : test::CaseTable("chart/data/readout_scripts.cases", 4)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(Play(row[1]), row[2]);
        const std::string& after = row[3];
        EXPECT_EQ(cursor.Shape == chart::TCursorShape::Hand, after == "hand");
        EXPECT_EQ(cursor.Confined.has_value(), after == "hand");
        EXPECT_EQ(chart.ReadoutHeld(), after == "held");
        if (after == "free") {
            EXPECT_EQ(canvas.Pen.Mode, chart::TPenMode::Copy);
        }
        Paint();
    }
    // A graph without axes takes no readout and no zoom.
    chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
    chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
    canvas.Calls.clear();
    EXPECT_EQ(Play("d215,200L d215,200LC"), "");
}

TEST_F(ChartReadoutTest, WithoutDataTheCrossHairShowsTheValues)
{
    Paint(false, 0);
    // One pixel is 0.02 frame and 0.1 minute: two and one decimals.
    EXPECT_EQ(Play("d290,200L"), "290,40>290,361 ; 40,200>541,200 ; 5.00 / 16.0");
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Cross);
}

TEST_F(ChartReadoutTest, CtrlDragZoomsTheAxesUntilACtrlClickOrReset)
{
    for (const bool byClick : {true, false}) {
        SCOPED_TRACE(byClick ? "Ctrl click" : "ChartResetZoom");
        Drag(290, 40, 540, 360);
        EXPECT_EQ(chart.Zoom(1), (chart::TZoomWindow{0.5, 1, 0, 1}));
        EXPECT_DOUBLE_EQ(chart.Graph(1)->X.Lo, 5);
        EXPECT_DOUBLE_EQ(chart.Graph(1)->X.Hi, 10);
        if (byClick)
            Drag(300, 300, 300, 301);
        else
            chart.ChartResetZoom(0);
        Paint();
        EXPECT_EQ(chart.Zoom(1), chart::TZoomWindow{});
        EXPECT_DOUBLE_EQ(chart.Graph(1)->X.Lo, 0);
    }
}

// On the fixture's plot, x 40..540 and y 40..360; both minimum spans 0.001.
TEST_F(ChartReadoutTest, ZoomIntoTakesTheRectangleWithinTheViewAndStaysInTheRange)
{
    const chart::TGraph& g = *chart.Graph(1);
    struct TRow {
        const char* name;
        chart::TZoomWindow view;
        chart::TPoint start, end;
        chart::TZoomWindow zoom;
    };
    const TRow rows[] = {
        {"right half, full height", {}, {290, 40}, {540, 360}, {0.5, 1, 0, 1}},
        {"corners in the other order", {}, {540, 360}, {290, 40}, {0.5, 1, 0, 1}},
        {"left half of a zoomed view", {0.5, 1, 0, 1}, {40, 40}, {290, 360}, {0.5, 0.75, 0, 1}},
        {"dragged far beyond the plot", {}, {-100, -100}, {2000, 2000}, {0, 1, 0, 1}},
        {"y upside down, lower half", {}, {40, 360}, {540, 200}, {0, 1, 0, 0.5F}},
        {"one pixel high: y widened to 0.001", {}, {40, 200}, {540, 200}, {0, 1, 0.4995F, 0.5005F}},
        {"under 2 pixels both ways: all", {0.5, 1, 0, 1}, {300, 300}, {301, 301}, {}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const chart::TZoomWindow zoom = chart::ZoomInto(row.view, g, g.Y[0], row.start, row.end);
        EXPECT_NEAR(zoom.X0, row.zoom.X0, 1e-9);
        EXPECT_NEAR(zoom.X1, row.zoom.X1, 1e-9);
        EXPECT_NEAR(zoom.Y0, row.zoom.Y0, 1e-6);
        EXPECT_NEAR(zoom.Y1, row.zoom.Y1, 1e-6);
    }
}

TEST_F(ChartReadoutTest, ZoomRectangleIsDrawnAndRemovedInExclusiveOr)
{
    // The first, empty rectangle, then it is removed and the dragged one drawn.
    const std::string empty =
        "100,100>100,100 ; 100,100>100,100 ; 100,100>100,100 ; 100,100>100,100";
    const std::string dragged =
        "100,100>200,100 ; 200,100>200,150 ; 200,150>100,150 ; 100,150>100,100";
    EXPECT_EQ(Play("d100,100LC m200,150LC"), empty + " ; 1.20 / 26.0 ; " + empty +
                                                 " ; ~1.20 / 26.0 ; " + dragged + " ; 3.20 / 21.0");
    // No point is looked up while zooming: the host is asked for row 0.
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), (std::pair<std::size_t, std::size_t>{0, 0}));
    EXPECT_EQ(Play("u200,150"), dragged + " ; ~3.20 / 21.0"); // Ctrl let go: removed, no zoom
    EXPECT_EQ(chart.Zoom(1), chart::TZoomWindow{});
}

TEST_F(ChartReadoutTest, GestureAtTellsWhatAPressThereStarts)
{
    using chart::TGesture;
    const std::map<std::string, TGesture> gestures = {
        {"readout", TGesture::Readout}, {"zoom", TGesture::Zoom}, {"none", TGesture::None}};
    for (const auto& cells : test::CaseTable("chart/data/gestures.cases", 5)) {
        SCOPED_TRACE(cells[0]);
        const int x = std::stoi(cells[1]);
        const int y = std::stoi(cells[2]);
        const chart::TShiftState keys = cells[3] == "ctrl" ? chart::CtrlKey : 0U;
        const TGesture told = chart.GestureAt(keys, x, y);
        EXPECT_EQ(told, gestures.at(cells[4]));
        // What the press then does agrees: a readout takes the cursor, a zoom draws its frame.
        chart.ChartMouseDown(TMouseButton::Left, keys | chart::LeftButton, x, y);
        EXPECT_EQ(cursor.Shape == chart::TCursorShape::Hand, told == TGesture::Readout);
        EXPECT_EQ(!canvas.Of(TCallKind::LineTo).empty(), told == TGesture::Zoom);
        if (told != TGesture::None) {
            EXPECT_EQ(chart.GestureAt(keys, 300, 200), TGesture::None)
                << "nothing new starts while one runs";
        }
        chart.ChartMouseUp(TMouseButton::Left, 0, x, y);
        Paint();
    }
}

} // namespace
} // namespace korvid
