#include "chart/chart.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_cursor.h"
#include "testing/recording_canvas.h"
#include "sample_chart.h"

namespace korvid {
namespace {

using test::TCallKind;

// The recording canvas is 560 x 400 with "0" 6 x 13 pixels: the program's graph has its plot
// from x 40 to 540 (500 pixels) and from y 40 to 360; major ticks are 7 pixels long.
class ChartTest : public ::testing::Test {
protected:
    test::TRecordingCanvas canvas;
    test::TFakeCursor cursor;
    chart::TChart chart{cursor};

    void Start(int left = 40, int right = 20)
    {
        canvas.Calls.clear();
        chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
        chart.ChartStartGraph(0, 100, 0, 100, left, right, 40, 40, false);
    }
};

TEST_F(ChartTest, BlankOrTooSmallChartIsTheBackgroundAlone)
{
    struct TRow {
        const char* name;
        int width, height;
        bool withUnit;
    };
    const TRow rows[] = {{"no unit", 560, 400, false},
                         {"60 wide", 60, 400, true},
                         {"80 high", 560, 80, true},
                         {"0 x 0", 0, 0, true},
                         {"1 x 1", 1, 1, true}};
    const loggen::TSampleUnit unit = loggen::MakeSampleUnit(50, 60);
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        canvas.SurfaceWidth = row.width;
        canvas.SurfaceHeight = row.height;
        canvas.Calls.clear();
        loggen::PaintUnitChart(chart, canvas, row.withUnit ? &unit : nullptr);
        ASSERT_EQ(canvas.Calls.size(), 1U);
        const test::TCall& fill = canvas.Calls[0];
        EXPECT_EQ(fill.Kind, TCallKind::FillRect);
        EXPECT_EQ(fill.At, (chart::TPoint{0, 0}));
        EXPECT_EQ(fill.To, (chart::TPoint{row.width, row.height}));
        EXPECT_EQ(fill.Brush, (chart::TBrush{0xFFFFFF, chart::TBrushStyle::Solid}));
    }
}

TEST_F(ChartTest, XAxisDrawsLineTicksLabelsAndCaption)
{
    Start();
    chart.ChartXAxis(0, "Frame", false, 0, 100, 0, 0, false, false);
    const auto lines = canvas.Of(TCallKind::LineTo);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].At, (chart::TPoint{40, 360}));
    EXPECT_EQ(lines[0].To, (chart::TPoint{541, 360}));

    std::vector<std::string> labels;
    for (const test::TCall& call : canvas.Of(TCallKind::TextOut))
        if (call.At.Y == 367)
            labels.push_back(call.Text);
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "10", "20", "30", "40", "50", "60", "70", "80",
                                                "90", "100"}));
    const test::TCall* fifty = canvas.FindText("50");
    ASSERT_NE(fifty, nullptr);
    EXPECT_EQ(fifty->At, (chart::TPoint{290 - 6, 367}));
    EXPECT_EQ(fifty->Font.Color, 0U);

    // Ticks by where they end below the axis: 7 pixels for major ones, 4 for minor ones.
    std::map<int, int> ticks;
    for (const test::TCall& line : lines)
        ticks[line.At.X == line.To.X && line.At.Y == 360 ? line.To.Y : 0] += 1;
    EXPECT_EQ(ticks[367], 11);
    EXPECT_EQ(ticks[364], 40);
    const test::TCall* caption = canvas.FindText("Frame");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->At, (chart::TPoint{290 - 15, 360 + 7 + 13}));
}

// Margins of 80 leave room on both sides: the plot spans x 80..480, y 40..360 (middle 200).
// The axis 0..32 has the label "10" at y 260, widest label 12 pixels; the caption is 60 wide.
// The window draws at position 1, with "@" when a language file's caption starts so; one right
// and one turned position keep the other branches.
TEST_F(ChartTest, YAxisPositionsPlaceAxisTicksLabelsAndCaption)
{
    struct TRow {
        int position;
        const char* caption;
        int axisX, tickEnd, labelX;
        chart::TPoint captionAt;
        int angle;
    };
    const TRow rows[] = {
        {1, "Temps (mn)", 80, 73, 61, {61, 21}, 0},
        {1, "@Temps (mn)", 80, 73, 61, {61, 8}, 0},
        {4, "Temps (mn)", 480, 487, 488, {439, 21}, 0},
        {8, "@Temps (mn)", 480, 487, 488, {527, 170}, -90},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.position) + row.caption);
        Start(80, 80);
        chart.ChartYAxis(0, row.caption, row.position, 0, 32, 0, 0, false, false, false);
        const auto lines = canvas.Of(TCallKind::LineTo);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].At, (chart::TPoint{row.axisX, 360}));
        EXPECT_EQ(lines[0].To, (chart::TPoint{row.axisX, 39}));
        bool tick = false;
        for (const test::TCall& line : lines)
            tick = tick || (line.At == chart::TPoint{row.axisX, 260} &&
                            line.To == chart::TPoint{row.tickEnd, 260});
        EXPECT_TRUE(tick);
        const test::TCall* ten = canvas.FindText("10");
        ASSERT_NE(ten, nullptr);
        EXPECT_EQ(ten->At, (chart::TPoint{row.labelX, 254}));
        EXPECT_EQ(ten->Font.Angle, 0);
        const test::TCall* caption = canvas.FindText("Temps (mn)");
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->At, row.captionAt);
        EXPECT_EQ(caption->Font.Angle, row.angle);
        EXPECT_EQ(canvas.Font.Angle, 0);
    }
}

TEST_F(ChartTest, UndefinedAxesDrawNothingOfTheirOwn)
{
    struct TRow {
        const char* name;
        float xMax, yMax;
        chart::TColor xColor;
        bool xLabels, yLabels, data;
    };
    const TRow rows[] = {
        {"both defined", 60, 10, 0, true, true, true},
        // No frame count expected: no data and no lines, only the y axis and the title.
        {"x from 0 to 0", 0, 10, 0, false, true, false},
        {"y from 0 to 0", 60, 0, 0, true, false, false},
        {"x in the background colour", 60, 10, 0xFFFFFF, false, true, true},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        loggen::TSampleUnit unit = loggen::MakeSampleUnit(50, 60);
        Start();
        chart.ChartXAxis(row.xColor, "Frame", false, 0, row.xMax, 0, 0, false, false);
        chart.ChartYAxis(0, "Temps (mn)", 1, 0, row.yMax, 0, 0, false, false, false);
        chart.ChartTitle(128, "title");
        chart.SetPenColor(0xFF0000);
        chart.ChartPlotArray(unit.Points, 0, 1, {});
        chart.ChartMoveTo(20, 0);
        chart.ChartDrawTo(20, 5);
        chart.ChartFinish();
        EXPECT_EQ(canvas.FindText("Frame") != nullptr, row.xLabels);
        EXPECT_EQ(canvas.FindText("Temps (mn)") != nullptr, row.yLabels);
        EXPECT_NE(canvas.FindText("title"), nullptr);
        bool blue = false;
        for (const test::TCall& call : canvas.Calls)
            blue = blue || (call.Kind == TCallKind::LineTo && call.Pen.Color == 0xFF0000) ||
                   (call.Kind == TCallKind::SetPixel && call.Color == 0xFF0000);
        EXPECT_EQ(blue, row.data);
    }
}

TEST_F(ChartTest, TitleIsCentredAboveThePlot)
{
    struct TRow {
        const char* name;
        int scope;
        std::string text;
        chart::TPoint at;
        int size;
        bool bold;
    };
    const TRow rows[] = {
        {"axis font at scope 3", 3, "abcd", {290 - 12, 4}, 8, false},
        {"enlarged and bold below scope 3", 0, "abcd", {290 - 12, 4}, 10, true},
        {"centred on the surface after @", 3, "@abcdef", {280 - 18, 4}, 8, false},
        {"100000 characters, drawn once", 3, std::string(100000, 'x'), {290 - 300000, 4}, 8, false},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        Start();
        chart.ChartFont("", 0, 0, 0, row.scope);
        chart.ChartTitle(128, row.text);
        const auto texts = canvas.Of(TCallKind::TextOut);
        ASSERT_EQ(texts.size(), 1U);
        EXPECT_EQ(texts[0].At, row.at);
        EXPECT_EQ(texts[0].Font, (chart::TFont{"Arial", row.size, row.bold, false, 128}));
        EXPECT_EQ(canvas.Font.Size, 8); // restored
    }
}

} // namespace
} // namespace korvid
