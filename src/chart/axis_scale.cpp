#include "chart/axis_scale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace korvid::chart {

namespace {

// Far more labels than any screen holds; ends the loops when a step is lost in the precision of
// a huge offset.
constexpr int MaxLabelLoop = 100000;
constexpr int MaxDigits = 60;

std::string Fixed(double v, int digits)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(digits, 0, MaxDigits), v);
    return buffer;
}

int LabelsOnAxis(double lo, double hi, int length, double major)
{
    int count = 0;
    double v = std::trunc(lo / major - 1) * major;
    for (int i = 0; i < MaxLabelLoop; ++i) {
        const double position = std::nearbyint((v - lo) / (hi - lo) * length);
        if (position > length)
            break;
        if (position >= 0)
            ++count;
        const double next = v + major;
        if (next == v)
            break;
        v = next;
    }
    return count;
}

} // namespace

int ClampPixel(double v)
{
    if (!(v >= MinPixel))
        return MinPixel;
    if (v > MaxPixel)
        return MaxPixel;
    return static_cast<int>(std::nearbyint(v));
}

int Decimals(double x)
{
    const double a = std::abs(x);
    if (a == 0)
        return 99;
    if (!std::isfinite(a))
        return 0;
    const int t = static_cast<int>(std::trunc(std::log10(1.001 * a)));
    return a < 1 ? 1 - t : -t;
}

double RoundStep(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return 0;
    double m = 1;
    while (step > 7) {
        step /= 10;
        m *= 10;
    }
    while (step < 0.7) {
        step *= 10;
        m /= 10;
    }
    step = step > 3.2 ? 5 : step > 1.4 ? 2 : 1;
    return step * m;
}

TAxisSteps ChooseSteps(double lo, double hi, int length, int labelSpace, double requested)
{
    if (hi < lo)
        std::swap(lo, hi);
    TAxisSteps steps;
    if (!(hi > lo) || !std::isfinite(hi - lo) || length < 1)
        return steps;
    const int fit = std::max(1, length / std::max(1, labelSpace));
    const double wanted = RoundStep(requested);
    const double span = hi - lo;
    // The ratios are single precision: that decides, for instance, 5 rather than 10 for 0..100
    // over 600 pixels.
    const bool single = span < FLT_MAX;
    float factor = 1.0F;
    for (int attempt = 0; attempt < 200; ++attempt, factor *= 0.8F) {
        double r = single ? static_cast<double>(static_cast<float>(span) /
                                                (0.000001F + static_cast<float>(fit)) * factor)
                          : span / (0.000001 + fit) * factor;
        if (!(r > 0) || !std::isfinite(r))
            break;
        double m = 1;
        int d = 0;
        while (r >= 5) {
            r = single ? static_cast<float>(r) / 10.0F : r / 10;
            m *= 10;
            --d;
        }
        while (r < 0.5) {
            r = single ? static_cast<float>(r) * 10.0F : r * 10;
            m /= 10;
            ++d;
        }
        if (r < 1)
            steps = {m, m / 5, d};
        else if (r < 2)
            steps = {2 * m, m / 2, d};
        else
            steps = {5 * m, m, d};
        const int labels = LabelsOnAxis(lo, hi, length, steps.Major);
        if (steps.Minor < wanted)
            steps.Minor = wanted;
        if (steps.Major < wanted)
            steps.Major = wanted;
        else if (steps.Major > 2.4 * steps.Minor && steps.Major < 2.6 * steps.Minor)
            steps.Major *= 2;
        if (labels >= 2)
            break;
    }
    return steps;
}

std::string LabelText(double v, int decimals, double major)
{
    if (std::abs(v) < major / 2)
        v = 0;
    if (v == 0)
        return "0";
    if (decimals <= -3) {
        for (int i = 0; i < -decimals; ++i)
            v /= 10;
        // The exponent is written out in full; a single character would go past '9' from 1E10.
        return Fixed(v, 0) + "E" + std::to_string(-decimals);
    }
    if (decimals <= 0)
        return Fixed(v, 0);
    if (std::abs(v) > 0.0095)
        return Fixed(v, decimals);
    int c = 0;
    while (std::abs(v) <= 1 && c < 400) {
        v *= 10;
        ++c;
    }
    return Fixed(v, std::max(decimals - c, 0)) + "E-" + std::to_string(c);
}

std::string ReadoutText(double v, int decimals)
{
    return Fixed(v, std::min(decimals, 20));
}

} // namespace korvid::chart
