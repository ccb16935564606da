#include "window/chart_view.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chart/chart.h"
#include "testing/fake_cursor.h"
#include "testing/recording_canvas.h"
#include "testing/temp_dir.h"
#include "window/window_testing.h"

namespace korvid {
namespace {

using test::TCallKind;
using workunits::core::Gromacs;
using workunits::core::Tinker;

// The recording canvas is 560 x 400: the plot runs from x 40 to 540 and from y 360 up to 40.
class ChartViewTest : public ::testing::Test {
protected:
    translation::TTranslation catalogue = test::FrenchCatalogue();
    util::TFixedRegionalSettings regional;
    window::TChartView view{catalogue, regional};
    test::TRecordingCanvas canvas;
    test::TFakeCursor cursor;
    chart::TChart chart{cursor};

    void Paint()
    {
        canvas.Calls.clear();
        view.Paint(chart, canvas);
    }
    chart::TPoint Pixel(double x, double y) const { return test::PlotPixel(*chart.Graph(1), x, y); }
    // Vertical lines drawn with a pen of that colour, as (x, top, bottom): in the plot, or
    // above it, where the legend shows its samples.
    std::vector<std::array<int, 3>> VerticalLines(chart::TColor color, bool legend = false) const
    {
        std::vector<std::array<int, 3>> lines;
        const int plotTop = chart.Graph(1)->PlotTop();
        for (const test::TCall& call : canvas.Of(TCallKind::LineTo))
            if (call.Pen.Color == color && call.At.X == call.To.X &&
                (std::max(call.At.Y, call.To.Y) < plotTop) == legend)
                lines.push_back(
                    {call.At.X, std::min(call.At.Y, call.To.Y), std::max(call.At.Y, call.To.Y)});
        return lines;
    }
};

TEST_F(ChartViewTest, PointsHoldFrameAndMinutesAndSkipALeadingFrameZeroOfOtherCores)
{
    struct TRow {
        const char* name;
        std::uint16_t core;
        std::vector<test::TStepPlan> steps;
        chart::TDataArray points;
    };
    const std::vector<TRow> rows = {
        {"Gromacs from frame 0 loses it",
         Gromacs,
         {{0, 30}, {1, 90}, {2, 150}},
         {{0, 1}, {1, 1.5F}, {2, 2.5F}}},
        {"Gromacs from frame 1 keeps all",
         Gromacs,
         {{1, 90}, {2, 150}},
         {{0, 1}, {1, 1.5F}, {2, 2.5F}}},
        {"Tinker keeps frame 0", Tinker, {{0, 30}, {1, 90}}, {{0, 1}, {0, 0.5F}, {1, 1.5F}}},
        {"Gromacs without steps has no rows at all", Gromacs, {}, {}},
        {"Tinker without steps has the header alone", Tinker, {}, {{0, 1}}},
        {"only frame 0 leaves the header", Gromacs, {{0, 60}}, {{0, 1}}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto wu = test::MakeUnit("p1", row.core, 100, row.steps);
        view.BuildPoints(wu.get());
        EXPECT_EQ(view.Points(), row.points);
    }
}

TEST_F(ChartViewTest, YAxisEndsAtTheLongestFrameInMinutesRoundedHalfToEvenPlusFive)
{
    for (const auto& row : test::CaseTable("window/data/chart_y_max.cases", 3)) {
        SCOPED_TRACE(row[0]);
        const auto wu =
            test::MakeUnit("p1", Gromacs, 100, {{1, 10}, {2, std::stoi(row[1])}, {3, 5}});
        EXPECT_EQ(window::ChartYMax(*wu), std::stof(row[2]));
        view.BuildPoints(wu.get());
        Paint();
        EXPECT_EQ(chart.Graph(1)->Y[0].Max, std::stof(row[2]));
    }
}

TEST_F(ChartViewTest, PaintShowsTitleCaptionsDataAndTheFullExpectedRange)
{
    const auto wu = test::MakeUnit("p1234_abc", Gromacs, 100, test::EvenSteps(0, 20, 150));
    view.BuildPoints(wu.get());
    Paint();
    const test::TCall* title = canvas.FindText("p1234_abc (Run 3, Clone 12, Gen 45)");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Font.Color, window::ChartMaroon);
    EXPECT_NE(canvas.FindText("Frame"), nullptr);
    EXPECT_NE(canvas.FindText("Temps (mn)"), nullptr);
    EXPECT_EQ(chart.Graph(1)->X.Max, 100); // fewer frames done than expected
    std::set<int> expected;
    std::set<int> blue;
    for (int frame = 1; frame <= 20; ++frame)
        expected.insert(Pixel(frame, 2.5).X);
    for (const test::TCall& call : canvas.Of(TCallKind::SetPixel))
        if (call.Color == window::ChartData)
            blue.insert(call.At.X);
    EXPECT_EQ(blue, expected);
}

// The converged line follows the first converged step unless it is the first step; restart
// ticks rise a tenth of the y range at their frames; the legend names the marks drawn, in one
// line above the plot's right end, the converged mark first, where it fits.
TEST_F(ChartViewTest, MarksStandAtTheirFramesAndTheLegendNamesThem)
{
    struct TRow {
        const char* name;
        int converged; // step index, -1: none; steps are frames 0 to 20
        std::vector<int> restarts;
        std::optional<double> convergedX;
        int width = 560;
    };
    const TRow rows[] = {
        {"converged after frame 4, a restart", 4, {9}, 5.5},
        {"converged after frame 1", 1, {}, 2.5},
        {"converged on the first step", 0, {}, std::nullopt},
        {"two restarts", -1, {11, 19}, std::nullopt},
        {"no mark", -1, {}, std::nullopt},
        {"too narrow beside the y caption for a legend", 4, {9}, 5.5, 200},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<test::TStepPlan> steps = test::EvenSteps(0, 20, 150);
        if (row.converged >= 0) {
            steps[static_cast<std::size_t>(row.converged)].ConvergedAfter = true;
            steps[8].ConvergedAfter = true; // only the first one counts
        }
        for (const int frame : row.restarts)
            steps[static_cast<std::size_t>(frame)].RestartAfter = true;
        const auto wu = test::MakeUnit("p1", Gromacs, 100, steps);
        view.BuildPoints(wu.get());
        EXPECT_EQ(view.Picture()->ConvergedX, row.convergedX);
        EXPECT_EQ(view.Picture()->RestartFrames, row.restarts);
        canvas.SurfaceWidth = row.width;
        Paint();
        const chart::TGraph& g = *chart.Graph(1);

        // A mark as VerticalLines gives it: the converged line spans the plot, a tick a tenth.
        auto mark = [&](double x, double top) {
            return std::array<int, 3>{Pixel(x, 0).X, Pixel(x, top).Y, Pixel(x, 0).Y};
        };
        std::vector<std::array<int, 3>> line;
        std::vector<std::array<int, 3>> ticks;
        if (row.convergedX)
            line.push_back(mark(*row.convergedX, g.Y[0].Hi));
        for (const int frame : row.restarts)
            ticks.push_back(mark(frame, g.Y[0].Hi / 10));
        EXPECT_EQ(VerticalLines(window::ChartConverged), line);
        EXPECT_EQ(VerticalLines(window::ChartRestart), ticks);

        const bool fits = row.width == 560;
        const bool converged = row.convergedX.has_value() && fits;
        const bool restart = !row.restarts.empty() && fits;
        const test::TCall* convergedText = canvas.FindText("Fin de convergence");
        const test::TCall* restartText = canvas.FindText("Redémarrage du client");
        EXPECT_EQ(convergedText != nullptr, converged);
        EXPECT_EQ(restartText != nullptr, restart);
        EXPECT_EQ(VerticalLines(window::ChartConverged, true).size(), converged ? 1U : 0U);
        EXPECT_EQ(VerticalLines(window::ChartRestart, true).size(), restart ? 1U : 0U);
        const test::TCall* last = restart ? restartText : convergedText;
        if (last == nullptr)
            continue;
        EXPECT_LT(last->At.Y + canvas.CharHeight, g.PlotTop());
        EXPECT_LE(last->At.X + canvas.TextWidth(last->Text), g.PlotRight());
        EXPECT_GT(last->At.X + canvas.TextWidth(last->Text), g.PlotRight() - canvas.CharWidth);
        if (converged && restart) {
            EXPECT_EQ(convergedText->At.Y, restartText->At.Y);
            EXPECT_LT(convergedText->At.X + canvas.TextWidth(convergedText->Text),
                      restartText->At.X);
        }
    }
}

// The hint is the engine's readout text, drawn where the view placed the readout.
TEST_F(ChartViewTest, PointHintNamesFrameTimeAndDurationInTheReadout)
{
    // What the hint makes of the engine's text for that row and column.
    auto hint = [&](std::size_t row, std::size_t column) {
        std::string text = "engine";
        view.PointHint(row, column, text);
        return text;
    };
    EXPECT_EQ(hint(1, 1), "engine") << "no unit yet";
    const auto wu = test::MakeUnit("p1", Gromacs, 100, test::EvenSteps(0, 10, 150));
    view.BuildPoints(wu.get());
    // Frame 0 is skipped, so row 5 is frame 5, 6 x 150 s after 19:41.
    EXPECT_EQ(hint(5, 1), "Frame #5 @ 19:56 : 2 mn. 30 sec.");
    EXPECT_EQ(view.PointStep(5), wu->FindStep(5));
    Paint();
    const chart::TPoint at = Pixel(5, 1);
    canvas.Calls.clear();
    chart.ChartMouseDown(chart::TMouseButton::Left, chart::LeftButton, at.X + 1, at.Y);
    const test::TCall* readout = canvas.FindText(hint(5, 1));
    ASSERT_NE(readout, nullptr);
    EXPECT_EQ(readout->At, (chart::TPoint{560 - 200, 40}));

    for (const std::size_t pastTheLast : {11U, 1000U}) {
        EXPECT_EQ(hint(pastTheLast, 1), "engine") << pastTheLast;
        EXPECT_EQ(view.PointStep(pastTheLast), nullptr) << pastTheLast;
    }
    const auto fromOne = test::MakeUnit("p1", Gromacs, 100, test::EvenSteps(1, 10, 150));
    view.BuildPoints(fromOne.get());
    EXPECT_EQ(hint(0, 0), "engine") << "the header's frame 0 has no step here";
}

} // namespace
} // namespace korvid
