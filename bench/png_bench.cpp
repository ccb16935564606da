// Encodes a chart-like and a photo-like image with our writer and with libpng's defaults, in
// memory, and compares time (median of several runs) and output size.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <png.h>

#include "bench_util.h"
#include "png/png_writer.h"

namespace {

using korvid::png::TFilterMode;
using korvid::png::TImage;

constexpr std::uint32_t White = 0xFFFFFFFF;

void FillRect(TImage& image, std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
              std::uint32_t colour)
{
    for (std::uint32_t y = y0; y < std::min(y1, image.Height()); ++y)
        for (std::uint32_t x = x0; x < std::min(x1, image.Width()); ++x)
            image.SetPixel(x, y, colour);
}

void Line(TImage& image, int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    // Bresenham, as a non-antialiased canvas draws it.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (x0 >= 0 && y0 >= 0 && std::uint32_t(x0) < image.Width() &&
            std::uint32_t(y0) < image.Height())
            image.SetPixel(std::uint32_t(x0), std::uint32_t(y0), colour);
        if (x0 == x1 && y0 == y1)
            return;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

// White background, grid, axes, tick labels as glyph-like marks, a noisy frame-time polyline.
TImage ChartImage(std::uint32_t width, std::uint32_t height)
{
    TImage image(width, height, White);
    std::mt19937 random(1234);
    const int left = int(width) / 12, right = int(width) - int(width) / 30;
    const int top = int(height) / 12, bottom = int(height) - int(height) / 10;
    for (int i = 1; i < 10; ++i) {
        const int x = left + (right - left) * i / 10, y = top + (bottom - top) * i / 10;
        Line(image, x, top, x, bottom, 0xFFD0D0D0);
        Line(image, left, y, right, y, 0xFFD0D0D0);
    }
    Line(image, left, top, left, bottom, 0xFF000000);
    Line(image, left, bottom, right, bottom, 0xFF000000);
    std::uniform_int_distribution<int> bit(0, 1);
    auto glyphs = [&](int x, int y, int count) {
        for (int c = 0; c < count; ++c)
            for (int gy = 0; gy < 9; ++gy)
                for (int gx = 0; gx < 6; ++gx)
                    if (bit(random) != 0 && gx % 5 != 0)
                        FillRect(image, std::uint32_t(x + c * 7 + gx), std::uint32_t(y + gy),
                                 std::uint32_t(x + c * 7 + gx + 1), std::uint32_t(y + gy + 1),
                                 0xFF000000);
    };
    for (int i = 0; i <= 10; ++i) {
        glyphs(left + (right - left) * i / 10 - 10, bottom + 6, 3);
        glyphs(std::max(0, left - 30), top + (bottom - top) * i / 10 - 4, 3);
    }
    glyphs(int(width) / 2 - 100, top / 3, 30);
    std::normal_distribution<double> noise(0.0, 0.04);
    int previousX = left, previousY = (top + bottom) / 2;
    const int points = 400;
    for (int i = 1; i <= points; ++i) {
        const int x = left + (right - left) * i / points;
        const double v = 0.5 + 0.2 * std::sin(i / 37.0) + noise(random);
        const int y = bottom - int((bottom - top) * std::clamp(v, 0.0, 1.0));
        Line(image, previousX, previousY, x, y, 0xFF0000FF);
        FillRect(image, std::uint32_t(x - 1), std::uint32_t(y - 1), std::uint32_t(x + 2),
                 std::uint32_t(y + 2), 0xFFFF0000);
        previousX = x;
        previousY = y;
    }
    return image;
}

// Smooth gradients in each channel with a little noise, as a photograph has.
TImage PhotoImage(std::uint32_t width, std::uint32_t height)
{
    TImage image(width, height);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> noise(-3, 3);
    auto channel = [&](double value) {
        return std::uint32_t(std::clamp(int(std::lround(value)) + noise(random), 0, 255));
    };
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double r = 128 + 100 * std::sin(3 * u + 1.5 * v);
            const double g = 128 + 90 * std::cos(2 * v - u);
            const double b = 60 + 150 * u * v;
            image.SetPixel(x, y, 0xFF000000 | channel(r) << 16 | channel(g) << 8 | channel(b));
        }
    return image;
}

void AppendToString(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

// libpng with its default compression and filters, given the opaque image as RGB.
std::string EncodeWithLibpng(const TImage& image)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed");
    }
    png_set_write_fn(png, &out, AppendToString, nullptr);
    png_set_IHDR(png, info, image.Width(), image.Height(), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Our pixels are the bytes blue, green, red, alpha: swap to RGB and drop the fourth byte.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (std::uint32_t y = 0; y < image.Height(); ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image.Row(y).data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void Measure(const char* name, const TImage& image, TFilterMode mode, int runs)
{
    std::size_t ourSize = 0;
    std::size_t refSize = 0;
    const double ours = korvid::bench::MedianSeconds(
        runs, [&] { ourSize = korvid::png::EncodePng(image, mode, true).size(); });
    const double ref =
        korvid::bench::MedianSeconds(runs, [&] { refSize = EncodeWithLibpng(image).size(); });
    const std::string what = std::string("SaveToFilePng ") + name + " " +
                             std::to_string(image.Width()) + "x" + std::to_string(image.Height()) +
                             " filter " + std::to_string(static_cast<int>(mode));
    korvid::bench::Report(what + " time", ours, ref, 2.0);
    korvid::bench::Report(what + " size", double(ourSize) / 1000, double(refSize) / 1000, 1.0,
                          "kB");
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = korvid::bench::QuickRun(argc, argv);
    const std::uint32_t width = quick ? 100 : 1000, height = quick ? 70 : 700;
    const int runs = quick ? 3 : 9;
    const TImage chart = ChartImage(width, height);
    const TImage photo = PhotoImage(width, height);
    // Filter mode 0 is what the chart export asks for; 5 is the per-row choice.
    for (const TFilterMode mode : {TFilterMode::None, TFilterMode::PerRow}) {
        Measure("chart", chart, mode, runs);
        Measure("photo", photo, mode, runs);
    }
    return 0;
}
