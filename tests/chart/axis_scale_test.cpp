#include "chart/axis_scale.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

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
    struct TRow {
        const char* name;
        int length;
        double major, minor;
        int decimals;
    };
    const TRow rows[] = {
        {"0..100 over 500 px: labels every 10", 500, 10, 2, -1},
        // 100 / 20.000001 stays just below 5 in single precision.
        {"0..100 over 600 px: labels every 5", 600, 5, 1, 0},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const chart::TAxisSteps steps = chart::ChooseSteps(0, 100, row.length, 30, 0);
        EXPECT_DOUBLE_EQ(steps.Major, row.major);
        EXPECT_DOUBLE_EQ(steps.Minor, row.minor);
        EXPECT_EQ(steps.Decimals, row.decimals);
    }
}

TEST(ChooseSteps, AlwaysEndsWithTwoLabelsOnAwkwardAxes)
{
    struct TRow {
        const char* name;
        double lo, hi;
        int length, space;
    };
    const TRow rows[] = {
        {"one pixel long", 0, 100, 1, 30},
        {"labels wider than the axis", 0, 7, 40, 500},
        {"the whole float range", -3.4e38, 3.4e38, 500, 30},
        {"a narrow range far from zero", 16777216, 16777220, 500, 30},
        {"a tiny range", 0, 1e-30, 300, 26},
        {"reversed ends", 50, 0, 400, 30},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const chart::TAxisSteps steps =
            chart::ChooseSteps(row.lo, row.hi, row.length, row.space, 0);
        const double lo = std::min(row.lo, row.hi);
        const double hi = std::max(row.lo, row.hi);
        EXPECT_GE(LabelsFitting(lo, hi, row.length, steps.Major), 2);
        EXPECT_LE(steps.Minor, steps.Major);
    }
}

TEST(RoundStep, GivesOneTwoOrFiveTimesAPowerOfTen)
{
    const std::vector<std::pair<double, double>> rows = {{3, 2},    {4, 5},   {1.5, 2}, {0.3, 0.2},
                                                         {7.5, 10}, {45, 50}, {0, 0},   {-2, 0}};
    for (const auto& [requested, rounded] : rows) {
        SCOPED_TRACE(requested);
        EXPECT_NEAR(chart::RoundStep(requested), rounded, rounded * 1e-12);
    }
}

TEST(Decimals, CountsDigitsAfterThePoint)
{
    const std::vector<std::pair<double, int>> rows = {{0.5, 1},  {0.01, 2}, {1, 0}, {10, -1},
                                                      {250, -2}, {-0.5, 1}, {0, 99}};
    for (const auto& [value, decimals] : rows) {
        SCOPED_TRACE(value);
        EXPECT_EQ(chart::Decimals(value), decimals);
    }
}

TEST(LabelText, WritesTickValues)
{
    struct TRow {
        const char* name;
        double value;
        int decimals;
        double major;
        const char* text;
    };
    const TRow rows[] = {
        {"rounding residue at the origin", 0.0000001, 0, 1, "0"},
        {"whole tens", 250, -2, 50, "250"},
        {"negative", -20, -1, 10, "-20"},
        {"two decimals", 0.25, 2, 0.05, "0.25"},
        {"thousands as a power", 5000, -3, 1000, "5E3"},
        {"small value as a negative power", 0.005, 3, 0.001, "5E-3"},
        {"exponent of two digits", 2e12, -12, 1e12, "2E12"},
        {"negative exponent of two digits", 3e-11, 11, 1e-11, "3E-11"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(chart::LabelText(row.value, row.decimals, row.major), row.text);
    }
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
