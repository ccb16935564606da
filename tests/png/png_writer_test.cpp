#include "png/png_writer.h"

#include <algorithm>
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "png/png_decode.h"
#include "testing/zlib_helpers.h"
#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {
namespace {

using png::TFilterMode;
using png::TImage;
using png::TPngKind;

TImage Make(std::uint32_t width, std::uint32_t height,
            const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& pixel)
{
    TImage image(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, pixel(x, y));
    return image;
}

TImage Row(const std::vector<std::uint32_t>& pixels)
{
    return Make(static_cast<std::uint32_t>(pixels.size()), 1,
                [&](std::uint32_t x, std::uint32_t) { return pixels[x]; });
}

// Opaque, never grey, a different colour for each i below 2^16.
std::uint32_t Colour(std::uint32_t i)
{
    return 0xFF000080 | (i & 0xFF) << 16 | (i >> 8) << 8;
}

// Many colours, not grey; pixels on the diagonal get the given one instead.
TImage ManyColours(std::uint32_t diagonal)
{
    return Make(40, 30, [=](std::uint32_t x, std::uint32_t y) {
        return x == y ? diagonal : Colour(y * 40 + x);
    });
}

TImage Noise(std::uint32_t width, std::uint32_t height)
{
    std::mt19937 random(7);
    return Make(width, height, [&](std::uint32_t, std::uint32_t) {
        return 0xFF000000 | static_cast<std::uint32_t>(random() & 0xFFFFFF);
    });
}

TEST(SaveToFilePng, PicksTheSmallestFormatAndDecodesToTheSourcePixels)
{
    const std::uint32_t red = 0xFFFF0000;
    const std::uint32_t clear = 0x00123456;
    const struct {
        const char* name;
        TImage image;
        TPngKind kind;
        const char* chunks;
    } rows[] = {
        {"1x1 opaque colour: palette of one, no tRNS", TImage(1, 1, red), TPngKind::Palette,
         "IHDR PLTE IDAT IEND"},
        {"opaque white: grey", TImage(9, 4, 0xFFFFFFFF), TPngKind::Grey, "IHDR IDAT IEND"},
        {"16 opaque greys: grey comes before the colour count",
         Make(16, 3, [](std::uint32_t x, std::uint32_t) { return 0xFF000000 | x * 0x111111; }),
         TPngKind::Grey, "IHDR IDAT IEND"},
        {"256 opaque colours: palette",
         Make(16, 16, [](std::uint32_t x, std::uint32_t y) { return Colour(y * 16 + x); }),
         TPngKind::Palette, "IHDR PLTE IDAT IEND"},
        {"257 opaque colours: truecolour",
         Make(257, 2, [](std::uint32_t x, std::uint32_t) { return Colour(x); }),
         TPngKind::Truecolour, "IHDR IDAT IEND"},
        {"few colours, some fully transparent: palette with tRNS",
         Make(7, 5, [&](std::uint32_t x, std::uint32_t y) { return x < y ? clear : red | x; }),
         TPngKind::Palette, "IHDR PLTE tRNS IDAT IEND"},
        {"every pixel fully transparent: palette with tRNS",
         Make(6, 6, [](std::uint32_t x, std::uint32_t) { return x * 0x10; }), TPngKind::Palette,
         "IHDR PLTE tRNS IDAT IEND"},
        {"grey with many alphas: grey and alpha",
         Make(64, 8, [](std::uint32_t x, std::uint32_t y) { return y << 29 | x * 0x030303; }),
         TPngKind::GreyAlpha, "IHDR IDAT IEND"},
        {"many colours, one transparent colour: truecolour with tRNS", ManyColours(clear),
         TPngKind::Truecolour, "IHDR tRNS IDAT IEND"},
        {"many colours, transparent pixels differ: truecolour and alpha",
         Make(40, 30, [](std::uint32_t x, std::uint32_t y) { return x == y ? x : Colour(x * y); }),
         TPngKind::TruecolourAlpha, "IHDR IDAT IEND"},
        {"many colours, one half-transparent: truecolour and alpha", ManyColours(0x80FF0000),
         TPngKind::TruecolourAlpha, "IHDR IDAT IEND"},
        {"an alpha of 254 is not opaque", ManyColours(0xFEFF0000), TPngKind::TruecolourAlpha,
         "IHDR IDAT IEND"},
        {"an alpha of 1 beside a transparent colour is not transparent",
         Make(40, 30,
              [&](std::uint32_t x, std::uint32_t y) {
                  return x == y ? clear : x == y + 1 ? 0x01FF0000 : Colour(y * 40 + x);
              }),
         TPngKind::TruecolourAlpha, "IHDR IDAT IEND"},
        {"many colours, the transparent colour also shown opaque: truecolour and alpha",
         ManyColours(Colour(5) & 0x00FFFFFF), TPngKind::TruecolourAlpha, "IHDR IDAT IEND"},
        {"100000 x 1 of noise: one IDAT over many blocks", Noise(100000, 1), TPngKind::Truecolour,
         "IHDR IDAT IEND"},
        {"1 x 20000 of noise", Noise(1, 20000), TPngKind::Truecolour, "IHDR IDAT IEND"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(png::ChoosePngFormat(row.image, true).Kind, row.kind);
        for (int mode = 0; mode <= 5; ++mode) {
            SCOPED_TRACE("filter mode " + std::to_string(mode));
            const std::string bytes = png::EncodePng(row.image, TFilterMode(mode), true);
            EXPECT_EQ(test::ChunkTypes(bytes), row.chunks);
            EXPECT_EQ(test::DecodePng(bytes), test::AsDecoded(row.image));
        }
    }
}

TEST(SaveToFilePng, PaletteHasNonOpaqueEntriesFirstInFirstMetOrder)
{
    const TImage image = Row({0xFFFF0000, 0x000000FF, 0x8000FF00, 0xFF00FF00, 0x00FFFFFF});
    const std::string bytes = png::EncodePng(image, TFilterMode::None, true);
    EXPECT_EQ(test::ChunkData(bytes, "PLTE"), std::string("\x00\x00\xFF"
                                                          "\xFF\xFF\xFF"
                                                          "\x00\xFF\x00"
                                                          "\xFF\x00\x00"
                                                          "\x00\xFF\x00",
                                                          15));
    EXPECT_EQ(test::ChunkData(bytes, "tRNS"), std::string("\x00\x00\x80", 3));
}

TEST(SaveToFilePng, WithoutKeepTransparentRGBTransparentColoursAreDisregarded)
{
    // Fully transparent pixels of 570 colours beside 3 opaque ones.
    const TImage mixed = Make(30, 20, [](std::uint32_t x, std::uint32_t y) {
        return x < 3 ? Colour(x) : Colour(y * 30 + x) & 0x00FFFFFF;
    });
    // Greys with 8 alphas, and fully transparent pixels that are not grey.
    const TImage greyish = Make(64, 8, [](std::uint32_t x, std::uint32_t y) {
        return x == 0 ? Colour(y) & 0x00FFFFFF : y << 29 | 0x1F000000 | x * 0x030303;
    });
    const struct {
        const char* name;
        const TImage& image;
        TPngKind kind;
        std::function<std::uint32_t(std::uint32_t)> transparentBecomes;
    } rows[] = {
        {"merged into one white palette entry", mixed, TPngKind::Palette,
         [](std::uint32_t) { return 0x00FFFFFFu; }},
        {"taken as grey: they keep only their blue", greyish, TPngKind::GreyAlpha,
         [](std::uint32_t pixel) { return (pixel & 0xFF) * 0x010101; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(png::ChoosePngFormat(row.image, true).Kind, TPngKind::TruecolourAlpha);
        EXPECT_EQ(png::ChoosePngFormat(row.image, false).Kind, row.kind);
        test::TDecodedPng expected = test::AsDecoded(row.image);
        for (std::uint32_t& pixel : expected.Pixels)
            pixel = png::Alpha(pixel) == 0 ? row.transparentBecomes(pixel) : pixel;
        EXPECT_EQ(test::DecodePng(png::EncodePng(row.image, TFilterMode::None, false)), expected);
    }
}

TEST(SaveToFilePng, FixedGreyFormatMakesItsTransparentLevelTransparent)
{
    const TImage ramp =
        Make(8, 2, [](std::uint32_t x, std::uint32_t) { return 0xFF000000 | x * 0x202020; });
    const png::TPngFormat format{TPngKind::Grey, false, true, 0xFF404040};
    const std::string bytes = png::EncodePng(ramp, format, TFilterMode::Paeth);
    EXPECT_EQ(test::ChunkData(bytes, "tRNS"), std::string("\x00\x40", 2));
    test::TDecodedPng expected = test::AsDecoded(ramp);
    std::replace(expected.Pixels.begin(), expected.Pixels.end(), 0xFF404040U, 0x00404040U);
    EXPECT_EQ(test::DecodePng(bytes), expected);
}

TEST(SaveToFilePng, EveryRowCarriesTheFilterTypeOfTheMode)
{
    const TImage image = Noise(50, 9);
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE("filter mode " + std::to_string(mode));
        const std::string bytes = png::EncodePng(image, TFilterMode(mode), true);
        const std::string filtered = test::Inflate(test::ChunkData(bytes, "IDAT"));
        ASSERT_EQ(filtered.size(), (50u * 3 + 1) * 9);
        for (std::size_t y = 0; y < 9; ++y)
            EXPECT_EQ(filtered[y * (50 * 3 + 1)], mode) << "row " << y;
    }
}

TEST(SaveToFilePngFile, FailureNamesTheFileAndLeavesTheTargetAsItWasElseReplacesIt)
{
    test::TTempDir dir;
    const std::filesystem::path target = dir / "chart.png";
    const TImage image(20, 10, 0xFF336699);
    dir.Write("chart.png", "old picture");
    util::TAtomicWriteHooks diskFull;
    diskFull.BeforeRename = [&] {
        throw util::TError("Cannot write " + target.string() + ": disk full");
    };
    const std::filesystem::path fileAsFolder = dir / "chart.png" / "chart.png";
    const struct {
        const char* name;
        std::function<void()> save;
        const char* cause;
        const std::filesystem::path& named;
    } rows[] = {
        {"0 x 0 image", [&] { png::SaveToFilePng(TImage(), target); }, "empty", target},
        {"7 x 0 image", [&] { png::SaveToFilePng(TImage(7, 0), target); }, "empty", target},
        {"257 colours for a palette",
         [&] {
             const TImage many =
                 Make(257, 1, [](std::uint32_t x, std::uint32_t) { return Colour(x); });
             png::SaveToFilePng(many, target, png::TPngFormat{TPngKind::Palette, false, true, {}},
                                TFilterMode::None);
         },
         "Number of unique colors exceded capability of palette (256)", target},
        {"write fails before the rename",
         [&] { png::SaveToFilePng(image, target, TFilterMode::None, true, diskFull); }, "disk full",
         target},
        {"a file where the folder should be", [&] { png::SaveToFilePng(image, fileAsFolder); }, "",
         fileAsFolder},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::ExpectErrorNaming(row.save, {row.cause, row.named.string()});
        // The target as it was and no temporary file left beside it.
        EXPECT_EQ(dir.Read("chart.png"), "old picture");
        EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"chart.png"});
    }
    png::SaveToFilePng(image, target);
    EXPECT_EQ(test::DecodePng(dir.Read("chart.png")), test::AsDecoded(image));
}

} // namespace
} // namespace korvid
