#include "png/png_stats.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using png::TImage;

TImage Row(std::initializer_list<std::uint32_t> pixels)
{
    TImage image(static_cast<std::uint32_t>(pixels.size()), 1);
    std::uint32_t x = 0;
    for (const std::uint32_t pixel : pixels)
        image.SetPixel(x++, 0, pixel);
    return image;
}

TEST(NbColors, CountsWhatTheFlagsCompareAndStopsAt257)
{
    TImage many(300, 4);
    for (std::uint32_t x = 0; x < 300; ++x)
        many.SetPixel(x, 3, 0xFF000000 | x);
    // Transparent and opaque red, transparent green, opaque blue, half-transparent blue.
    const TImage mixed = Row({0x00FF0000, 0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0x800000FF});
    const struct {
        const char* name;
        const TImage& image;
        bool withAlpha, keepTransparentRGB;
        std::size_t count;
    } rows[] = {
        {"300 colours count as 257", many, false, false, 257},
        {"without alpha only red, green and blue count", mixed, false, true, 3},
        {"with alpha every word counts", mixed, true, true, 5},
        {"transparent pixels merge without keepTransparentRGB", mixed, true, false, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(png::NbColors(row.image, row.withAlpha, row.keepTransparentRGB), row.count);
        EXPECT_EQ(png::ColorList(row.image, row.withAlpha, row.keepTransparentRGB).size(),
                  row.count);
    }
    EXPECT_EQ(png::ColorList(mixed, true, false),
              (png::TMyPalette{0x00FFFFFF, 0xFFFF0000, 0xFF0000FF, 0x800000FF}));
}

TEST(Transparence, TellsOpaqueFromBinaryFromPartial)
{
    const struct {
        const char* name;
        TImage image;
        png::TTransparence kind;
    } rows[] = {
        {"all alpha 255", Row({0xFF000000, 0xFFFFFFFF}), png::TTransparence::Opaque},
        {"alphas 0 and 255", Row({0xFF000000, 0x00FFFFFF}), png::TTransparence::Binary},
        {"every alpha 0", Row({0x00000000, 0x00FFFFFF}), png::TTransparence::Binary},
        {"an alpha of 254", Row({0x00000000, 0xFE000000, 0xFF000000}), png::TTransparence::Partial},
        {"an alpha of 1", Row({0x01000000}), png::TTransparence::Partial},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(png::Transparence(row.image), row.kind);
    }
}

} // namespace
} // namespace korvid
