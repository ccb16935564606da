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
