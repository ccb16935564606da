#include "chart/chart.h"
#include "chart/zoom.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_cursor.h"
#include "testing/recording_canvas.h"

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
    struct TRow {
        const char* name;
        int mouseX;
        int frame;
    };
    const TRow rows[] = {
        {"nearer to frame 3", 210, 3},       {"exactly between 3 and 4: the later frame", 215, 4},
        {"nearer to frame 4", 220, 4},       {"left of the first frame", 41, 1},
        {"right of the last frame", 515, 9},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        canvas.Calls.clear();
        chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, row.mouseX, 200);
        const auto circles = canvas.Of(TCallKind::Ellipse);
        ASSERT_EQ(circles.size(), 1U);
        const chart::TPoint p = PointOf(row.frame);
        EXPECT_EQ(circles[0].At, (chart::TPoint{p.X - 5, p.Y - 5}));
        EXPECT_EQ(circles[0].To, (chart::TPoint{p.X + 6, p.Y + 6}));
        EXPECT_EQ(circles[0].Pen.Color, XorColor);
        EXPECT_EQ(circles[0].Pen.Mode, chart::TPenMode::Xor);
        EXPECT_EQ(circles[0].Brush.Style, chart::TBrushStyle::Clear);
        const auto texts = canvas.Of(TCallKind::TextOut);
        ASSERT_EQ(texts.size(), 1U);
        EXPECT_EQ(texts[0].Text, "Frame #" + std::to_string(row.frame));
        EXPECT_EQ(texts[0].At, (chart::TPoint{360, 40}));
        EXPECT_EQ(texts[0].Font.Color, 0U);
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked.back(), (std::pair<std::size_t, std::size_t>{row.frame, 1}));
        chart.ChartMouseUp(TMouseButton::Left, 0, row.mouseX, 200);
    }
}

TEST_F(ChartReadoutTest, ReleaseRemovesTheReadoutAndFreesTheCursor)
{
    cursor.Position = {1000, 500};
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 215, 200);
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Hand);
    ASSERT_TRUE(cursor.Confined);
    EXPECT_EQ(*cursor.Confined, (chart::TRect{40 + 785, 40 + 300, 541 + 785, 361 + 300}));

    canvas.Calls.clear();
    chart.ChartMouseUp(TMouseButton::Left, 0, 215, 200);
    const auto circles = canvas.Of(TCallKind::Ellipse);
    ASSERT_EQ(circles.size(), 1U);
    EXPECT_EQ(circles[0].At, (chart::TPoint{PointOf(4).X - 5, PointOf(4).Y - 5}));
    EXPECT_EQ(circles[0].Pen.Mode, chart::TPenMode::Xor);
    const auto texts = canvas.Of(TCallKind::TextOut);
    ASSERT_EQ(texts.size(), 1U);
    EXPECT_EQ(texts[0].Text, "Frame #4");
    EXPECT_EQ(texts[0].Font.Color, 0xFFFFFFU);
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Default);
    EXPECT_FALSE(cursor.Confined);
    EXPECT_EQ(canvas.Pen.Mode, chart::TPenMode::Copy);
    EXPECT_FALSE(chart.ReadoutHeld());
}

TEST_F(ChartReadoutTest, MovingRedrawsOnlyWhenTheFrameChanges)
{
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 215, 200);
    canvas.Calls.clear();
    chart.ChartMouseMove(chart::LeftButton, 225, 150);
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
    chart.ChartMouseMove(chart::LeftButton, 270, 150);
    const auto circles = canvas.Of(TCallKind::Ellipse);
    ASSERT_EQ(circles.size(), 2U);
    EXPECT_EQ(circles[0].At.X, PointOf(4).X - 5);
    EXPECT_EQ(circles[1].At.X, PointOf(5).X - 5);
    EXPECT_EQ(canvas.TextsOut(), (std::vector<std::string>{"Frame #4", "Frame #5"}));
    canvas.Calls.clear();
    chart.ChartMouseMove(0, 400, 150); // button no longer held
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
}

TEST_F(ChartReadoutTest, ShiftReleaseKeepsTheReadoutUntilTheNextPress)
{
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 215, 200);
    canvas.Calls.clear();
    chart.ChartMouseUp(TMouseButton::Left, chart::ShiftKey, 215, 200);
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
    EXPECT_TRUE(chart.ReadoutHeld());
    EXPECT_FALSE(cursor.Confined);

    chart.ChartMouseDown(TMouseButton::Right, 0, 700, 700);
    EXPECT_EQ(canvas.Of(TCallKind::Ellipse).size(), 1U);
    EXPECT_EQ(canvas.TextsOut(), std::vector<std::string>{"Frame #4"});
    EXPECT_FALSE(chart.ReadoutHeld());
}

TEST_F(ChartReadoutTest, RepaintDuringAReadoutEndsIt)
{
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 215, 200);
    Paint();
    EXPECT_FALSE(cursor.Confined);
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Default);
    chart.ChartMouseMove(chart::LeftButton, 400, 200);
    chart.ChartMouseUp(TMouseButton::Left, 0, 400, 200);
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
}

TEST_F(ChartReadoutTest, PressesOutsideAGraphWithAxesAreIgnored)
{
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 600, 200);
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 20, 200); // beside the plot
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Default);

    chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
    chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
    canvas.Calls.clear();
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 215, 200);
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton | chart::CtrlKey, 215, 200);
    EXPECT_EQ(canvas.DrawingCalls(), 0U);
}

TEST_F(ChartReadoutTest, WithoutDataTheCrossHairShowsTheValues)
{
    Paint(false, 0);
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton, 290, 200);
    EXPECT_EQ(cursor.Shape, chart::TCursorShape::Cross);
    const auto lines = canvas.Of(TCallKind::LineTo);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0].At, (chart::TPoint{290, 40}));
    EXPECT_EQ(lines[0].To, (chart::TPoint{290, 361}));
    EXPECT_EQ(lines[1].At, (chart::TPoint{40, 200}));
    EXPECT_EQ(lines[1].To, (chart::TPoint{541, 200}));
    EXPECT_EQ(lines[1].Pen.Mode, chart::TPenMode::Xor);
    // One pixel is 0.02 frame and 0.1 minute: two and one decimals.
    EXPECT_EQ(canvas.TextsOut(), std::vector<std::string>{"5.00 / 16.0"});
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

// The program's plot: x 40..540, y 40..360; both minimum spans 0.001.
TEST(ZoomInto, TakesTheRectangleWithinTheViewAndStaysInTheRange)
{
    chart::TGraph g;
    g.PlotLeft = 40;
    g.PlotWidth = 500;
    g.PlotBottom = 360;
    g.PlotHeight = 320;
    const chart::TAxis y;
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
        const chart::TZoomWindow zoom = chart::ZoomInto(row.view, g, y, row.start, row.end);
        EXPECT_NEAR(zoom.X0, row.zoom.X0, 1e-9);
        EXPECT_NEAR(zoom.X1, row.zoom.X1, 1e-9);
        EXPECT_NEAR(zoom.Y0, row.zoom.Y0, 1e-6);
        EXPECT_NEAR(zoom.Y1, row.zoom.Y1, 1e-6);
    }
}

TEST_F(ChartReadoutTest, ZoomRectangleIsDrawnAndRemovedInExclusiveOr)
{
    chart.ChartMouseDown(TMouseButton::Left, chart::LeftButton | chart::CtrlKey, 100, 100);
    chart.ChartMouseMove(chart::LeftButton | chart::CtrlKey, 200, 150);
    std::vector<chart::TPoint> corners;
    for (const test::TCall& line : canvas.Of(TCallKind::LineTo)) {
        EXPECT_EQ(line.Pen.Mode, chart::TPenMode::Xor);
        corners.push_back(line.To);
    }
    const std::vector<chart::TPoint> expected = {
        {100, 100}, {100, 100}, {100, 100}, {100, 100}, // the first, empty rectangle
        {100, 100}, {100, 100}, {100, 100}, {100, 100}, // removed
        {200, 100}, {200, 150}, {100, 150}, {100, 100}};
    EXPECT_EQ(corners, expected);
    // No point is looked up while zooming: the host is asked for row 0.
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), (std::pair<std::size_t, std::size_t>{0, 0}));

    canvas.Calls.clear();
    chart.ChartMouseUp(TMouseButton::Left, 0, 200, 150); // Ctrl let go: no zoom
    EXPECT_EQ(canvas.Of(TCallKind::LineTo).size(), 4U);
    EXPECT_EQ(chart.Zoom(1), chart::TZoomWindow{});
}

TEST_F(ChartReadoutTest, GestureAtTellsWhatAPressThereStarts)
{
    using chart::TGesture;
    struct TRow {
        const char* name;
        int x;
        int y;
        chart::TShiftState keys;
        TGesture gesture;
    };
    const TRow rows[] = {
        {"inside the plot", 300, 200, 0, TGesture::Readout},
        {"inside the plot with Ctrl", 300, 200, chart::CtrlKey, TGesture::Zoom},
        {"in the margin", 20, 200, 0, TGesture::None},
        {"in the margin with Ctrl", 20, 200, chart::CtrlKey, TGesture::Zoom},
        {"on the plot's edge", 40, 200, 0, TGesture::None},
        {"off the surface", 700, 200, chart::CtrlKey, TGesture::None},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TGesture told = chart.GestureAt(row.keys, row.x, row.y);
        EXPECT_EQ(told, row.gesture);
        // What the press then does agrees: a readout takes the cursor, a zoom draws its frame.
        chart.ChartMouseDown(TMouseButton::Left, row.keys | chart::LeftButton, row.x, row.y);
        EXPECT_EQ(cursor.Shape == chart::TCursorShape::Hand, told == TGesture::Readout);
        EXPECT_EQ(!canvas.Of(TCallKind::LineTo).empty(), told == TGesture::Zoom);
        if (told != TGesture::None)
            EXPECT_EQ(chart.GestureAt(row.keys, 300, 200), TGesture::None)
                << "nothing new starts while one runs";
        chart.ChartMouseUp(TMouseButton::Left, 0, row.x, row.y);
        Paint();
    }
}

} // namespace
} // namespace korvid
