#include "chart/chart.h"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_cursor.h"
#include "testing/recording_canvas.h"

namespace korvid {
namespace {

using test::TCallKind;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();
constexpr chart::TColor Blue = 0xFF0000;

struct TSegment {
    chart::TPoint From;
    chart::TPoint To;
    bool operator==(const TSegment&) const = default;
};

// x from 0 to 100 and y from 0 to 32 on the 500 x 320 plot of a 560 x 400 canvas: a point
// (x, y) lies at pixel (40 + 5x, 360 - 10y).
class ChartSeriesTest : public ::testing::Test {
protected:
    test::TRecordingCanvas canvas;
    test::TFakeCursor cursor;
    chart::TChart chart{cursor};

    void SetUp() override
    {
        chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
        chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
        chart.ChartXAxis(0, "", false, 0, 100, 0, 0, false, false);
        chart.ChartYAxis(0, "", 1, 0, 32, 0, 0, false, false, false);
        chart.SetPenColor(Blue);
        canvas.Calls.clear();
    }
    std::vector<TSegment> Segments() const
    {
        std::vector<TSegment> segments;
        for (const test::TCall& call : canvas.Of(TCallKind::LineTo))
            segments.push_back({call.At, call.To});
        return segments;
    }
    // Every line's ends and every pixel drawn lie in the plot.
    void ExpectAllInsidePlot() const
    {
        for (const test::TCall& call : canvas.Calls)
            for (const chart::TPoint p :
                 {call.At, call.Kind == TCallKind::LineTo ? call.To : call.At}) {
                EXPECT_GE(p.X, 40);
                EXPECT_LE(p.X, 540);
                EXPECT_GE(p.Y, 40);
                EXPECT_LE(p.Y, 360);
            }
    }
};

void ExpectNear(chart::TPoint actual, chart::TPoint expected)
{
    EXPECT_LE(std::abs(actual.X - expected.X), 1) << actual.X << " for " << expected.X;
    EXPECT_LE(std::abs(actual.Y - expected.Y), 1) << actual.Y << " for " << expected.Y;
}

TEST_F(ChartSeriesTest, DrawToClipsSegmentsToThePlot)
{
    struct TRow {
        const char* name;
        double x0, y0, x1, y1;
        std::optional<TSegment> drawn; // left end first
    };
    const TRow rows[] = {
        {"inside", 10, 10, 20, 20, TSegment{{90, 260}, {140, 160}}},
        {"inside to far above", 50, 10, 50, 1000, TSegment{{290, 260}, {290, 40}}},
        {"inside to far above, slanted", 50, 10, 60, 1e6, TSegment{{290, 260}, {290, 40}}},
        {"right to left, drawn left first", 60, 10, 40, 10, TSegment{{240, 260}, {340, 260}}},
        {"across the whole plot", -50, 16, 150, 16, TSegment{{40, 200}, {540, 200}}},
        {"to a huge value", 50, 10, 1e30, -1e30, TSegment{{290, 260}, {390, 360}}},
        {"from a value below -32768 pixels", -1e9, 16, 50, 16, TSegment{{40, 200}, {290, 200}}},
        {"left of the plot", -50, 5, -10, 20, std::nullopt},
        {"right of the plot", 110, 5, 150, 20, std::nullopt},
        {"above the plot", 10, 40, 90, 50, std::nullopt},
        {"below the plot", 10, -5, 90, -1, std::nullopt},
        {"past the top left corner", -4, 31, 4, 35, std::nullopt},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        canvas.Calls.clear();
        chart.ChartMoveTo(row.x0, row.y0);
        chart.ChartDrawTo(row.x1, row.y1);
        const auto segments = Segments();
        ASSERT_EQ(segments.size(), row.drawn ? 1U : 0U);
        if (!row.drawn)
            continue;
        ExpectNear(segments[0].From, row.drawn->From);
        ExpectNear(segments[0].To, row.drawn->To);
        EXPECT_EQ(canvas.Of(TCallKind::LineTo)[0].Pen.Color, Blue);
    }
}

TEST_F(ChartSeriesTest, EndPixelInsideThePlotIsPaintedAtFinishOrTheNextMove)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"finish", [&] { chart.ChartFinish(); }},
        {"next move, before it", [&] { chart.ChartMoveTo(30, 30); }},
    };
    for (const auto& [name, then] : rows) {
        SCOPED_TRACE(name);
        canvas.Calls.clear();
        chart.ChartMoveTo(10, 10);
        chart.ChartDrawTo(20, 20);
        EXPECT_TRUE(canvas.Of(TCallKind::SetPixel).empty());
        then();
        const auto pixels = canvas.Of(TCallKind::SetPixel);
        ASSERT_EQ(pixels.size(), 1U);
        EXPECT_EQ(std::pair(pixels[0].At, pixels[0].Color),
                  std::pair(chart::TPoint{140, 160}, Blue));
    }
    canvas.Calls.clear();
    chart.ChartMoveTo(50, 10);
    chart.ChartDrawTo(50, 1000); // ends on the plot's top edge
    chart.ChartFinish();
    EXPECT_TRUE(canvas.Of(TCallKind::SetPixel).empty());
}

TEST_F(ChartSeriesTest, PlotArrayJoinsRowsInArrayOrderWithAMarkerOnEachPoint)
{
    chart.ChartMarker(0, 0, 0);
    const chart::TDataArray data = {{0, 1}, {10, 10}, {30, 10}, {20, 20}};
    chart.ChartPlotArray(data, 0, 1, {});
    // Back-tracking is drawn left end first.
    EXPECT_EQ(Segments(),
              (std::vector<TSegment>{{{90, 260}, {190, 260}}, {{140, 160}, {190, 260}}}));
    // Then, on top of the line, its end pixel and the markers in row order.
    std::vector<chart::TPoint> pixels;
    for (std::size_t i = 2; i < canvas.Calls.size(); ++i) {
        EXPECT_EQ(canvas.Calls[i].Kind, TCallKind::SetPixel);
        pixels.push_back(canvas.Calls[i].At);
    }
    EXPECT_EQ(pixels, (std::vector<chart::TPoint>{{190, 260}, {90, 260}, {190, 260}, {140, 160}}));
}

TEST_F(ChartSeriesTest, ArraysDrawOnlyTheirUsablePointsInsideThePlot)
{
    struct TRow {
        const char* name;
        chart::TDataArray data;
        std::size_t lines, fewestPixels, mostPixels; // a last line's end inside adds a pixel
    };
    const TRow rows[] = {
        {"empty", {}, 0, 0, 0},
        {"header alone", {{0, 1}}, 0, 0, 0},
        {"no y column", {{0}, {10}, {20}}, 0, 0, 0},
        {"one data row: its marker alone", {{0, 1}, {10, 10}}, 0, 1, 1},
        {"style rows and nothing after them", {{1, 1}, {1, 1}, {2, 2}}, 0, 0, 0},
        {"data after seven style rows: two markers and the line's end",
         {{1, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {10, 10}, {20, 10}},
         1,
         3,
         3},
        {"NaN y breaks the line", {{0, 1}, {10, 10}, {20, NaN}, {30, 10}, {40, 12}}, 1, 3, 4},
        {"NaN x breaks the line", {{0, 1}, {NaN, 10}, {20, 10}, {30, 10}}, 1, 2, 3},
        {"infinite y is a steep clipped segment", {{0, 1}, {10, 10}, {20, Inf}, {30, 10}}, 2, 2, 3},
        {"-infinite x", {{0, 1}, {-Inf, 10}, {20, 10}}, 1, 1, 2},
        {"short row has no point", {{0, 1}, {10, 10}, {20}, {30, 10}}, 1, 2, 3},
        {"long rows are read up to the header's columns",
         {{0, 1}, {10, 10, 5, 5}, {20, 10}},
         1,
         2,
         3},
        {"all NaN", {{0, 1}, {NaN, NaN}, {NaN, NaN}}, 0, 0, 1},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        chart.ChartMoveTo(-10, -10); // else ChartMarker queues a marker where the last row ended
        canvas.Calls.clear();
        chart.ChartMarker(0, 0, 0);
        chart.ChartPlotArray(row.data, 0, 1, {});
        chart.ChartFinish();
        EXPECT_EQ(Segments().size(), row.lines);
        ExpectAllInsidePlot();
        const auto pixels = canvas.Of(TCallKind::SetPixel);
        EXPECT_GE(pixels.size(), row.fewestPixels);
        EXPECT_LE(pixels.size(), row.mostPixels);
    }
}

} // namespace
} // namespace korvid
