#pragma once

#include <string>

namespace korvid::chart {

// What the canvas calls can take without overflow.
constexpr int MinPixel = -32768;
constexpr int MaxPixel = 32767;

// Nearest pixel (ties to even) after clamping to MinPixel..MaxPixel; NaN gives MinPixel.
[[nodiscard]] int ClampPixel(double v);

// Digits after the point needed to show x: 99 for 0, negative from 10 up (10 gives -1).
[[nodiscard]] int Decimals(double x);

// A requested axis step rounded to 1, 2 or 5 times a power of ten; 0 and below give 0.
[[nodiscard]] double RoundStep(double step);

struct TAxisSteps {
    double Major = 1;
    double Minor = 1;
    int Decimals = 0; // for the labels
};

// Round steps for the range [lo, hi] drawn over `length` pixels, `labelSpace` pixels per label,
// such that at least two labels fall on the axis. `requested` is a wanted major step or 0.
[[nodiscard]] TAxisSteps ChooseSteps(double lo, double hi, int length, int labelSpace,
                                     double requested);

// The tick label of v, with `decimals` as chosen with `major`.
[[nodiscard]] std::string LabelText(double v, int decimals, double major);

// v with max(decimals, 0) digits after the point, as the readout shows it.
[[nodiscard]] std::string ReadoutText(double v, int decimals);

} // namespace korvid::chart
