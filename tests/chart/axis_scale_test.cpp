#include "chart/axis_scale.h"

#include <cmath>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {
namespace {

int LabelsFitting(double lo, double hi, int length, double major)
{
    int count = 0;
    for (double v = std::trunc(lo / major - 1) * major;; v += major) {
        const double position = std::nearbyint((v - lo) / (hi - lo) * length);
        if (position > length)
            return count;
        count += position >= 0 ? 1 : 0;
    }
}

TEST(ChooseSteps, FitsLabelsOfFiveDigitsAlongTheAxis)
{
    // Major step, minor step and decimals for 0..100 over that many pixels.
    auto steps = [](int length) {
        const chart::TAxisSteps s = chart::ChooseSteps(0, 100, length, 30, 0);
        return std::tuple(s.Major, s.Minor, s.Decimals);
    };
    EXPECT_EQ(steps(500), std::tuple(10.0, 2.0, -1));
    // 100 / 20.000001 stays just below 5 in single precision: labels every 5.
    EXPECT_EQ(steps(600), std::tuple(5.0, 1.0, 0));
}

TEST(ChooseSteps, AlwaysEndsWithTwoLabelsOnAwkwardAxes)
{
    for (const auto& row : test::CaseTable("chart/data/awkward_axes.cases", 5)) {
        SCOPED_TRACE(row[0]);
        const double lo = std::stod(row[1]);
        const double hi = std::stod(row[2]);
        const int length = std::stoi(row[3]);
        const chart::TAxisSteps steps = chart::ChooseSteps(lo, hi, length, std::stoi(row[4]), 0);
        EXPECT_GE(LabelsFitting(std::min(lo, hi), std::max(lo, hi), length, steps.Major), 2);
        EXPECT_LE(steps.Minor, steps.Major);
    }
}

TEST(RoundStep, GivesOneTwoOrFiveTimesAPowerOfTen)
{
    const std::vector<std::pair<double, double>> rows = {{3, 2},    {4, 5},   {1.5, 2}, {0.3, 0.2},
                                                         {7.5, 10}, {45, 50}, {0, 0},   {-2, 0}};
    for (const auto& [requested, rounded] : rows)
        EXPECT_NEAR(chart::RoundStep(requested), rounded, rounded * 1e-12) << requested;
}

TEST(Decimals, CountsDigitsAfterThePoint)
{
    const std::vector<std::pair<double, int>> rows = {{0.5, 1},  {0.01, 2}, {1, 0}, {10, -1},
                                                      {250, -2}, {-0.5, 1}, {0, 99}};
    for (const auto& [value, decimals] : rows)
        EXPECT_EQ(chart::Decimals(value), decimals) << value;
}

TEST(LabelText, WritesTickValues)
{
    for (const auto& row : test::CaseTable("chart/data/label_texts.cases", 5))
        EXPECT_EQ(chart::LabelText(std::stod(row[1]), std::stoi(row[2]), std::stod(row[3])), row[4])
            << row[0];
}

TEST(ClampPixel, KeepsCoordinatesInTheCanvasRange)
{
    EXPECT_EQ(chart::ClampPixel(1e30), chart::MaxPixel);
    EXPECT_EQ(chart::ClampPixel(-INFINITY), chart::MinPixel);
    EXPECT_EQ(chart::ClampPixel(NAN), chart::MinPixel);
    EXPECT_EQ(chart::ClampPixel(2.5), 2); // ties to even
    EXPECT_EQ(chart::ClampPixel(3.5), 4);
}

} // namespace
} // namespace korvid
