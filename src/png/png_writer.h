#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "png/image.h"
#include "png/png_filter.h"
#include "util/file_io.h"

namespace korvid::png {

// The PNG pixel formats the writer produces; every one has 8 bits per sample and no interlace.
enum class TPngKind {
    Grey,            // colour type 0: the blue byte of each pixel
    Palette,         // colour type 3: an index into PLTE, with tRNS for non-opaque entries
    Truecolour,      // colour type 2: red, green, blue
    GreyAlpha,       // colour type 4: the blue byte and alpha
    TruecolourAlpha, // colour type 6: red, green, blue, alpha
};

struct TPngFormat {
    TPngKind Kind = TPngKind::TruecolourAlpha;
    // Palette: colours are told apart by all 32 bits, the palette is ordered by alpha and a tRNS
    // chunk lists the non-opaque entries. Without it alpha is dropped and the image is opaque.
    bool WithAlpha = false;
    // Palette with alpha: false merges every fully transparent pixel into the colour 0x00FFFFFF.
    bool KeepTransparentRGB = true;
    // Grey: pixels of this word's blue byte are transparent (tRNS grey level). Truecolour:
    // pixels of its red, green and blue are transparent (tRNS colour).
    std::optional<std::uint32_t> TransparentColour;

    bool operator==(const TPngFormat&) const = default;
};

// The smallest suitable format for the image, from its transparency, greyness and colour count.
// A tRNS colour is only chosen when no visible pixel shares it, or those pixels would vanish.
[[nodiscard]] TPngFormat ChoosePngFormat(const TImage& image, bool keepTransparentRGB);

// The whole PNG file in memory: signature, IHDR, PLTE and tRNS as the format needs, one IDAT,
// IEND. Throws util::TError (without a file name) for an image with no pixels, one larger than
// PNG allows, or a palette format asked for more than 256 colours.
[[nodiscard]] std::string EncodePng(const TImage& image, const TPngFormat& format,
                                    TFilterMode filterMode);
[[nodiscard]] std::string EncodePng(const TImage& image, TFilterMode filterMode,
                                    bool keepTransparentRGB);

// Writes the image in the format ChoosePngFormat picks. The file is encoded in memory first and
// then replaces fileName atomically: on any failure fileName is as it was, no partial file is
// left, and util::TError names the file and the cause. An image with no pixels is such a
// failure, since PNG has no 0-sized images.
void SaveToFilePng(const TImage& image, const std::filesystem::path& fileName,
                   TFilterMode filterMode = TFilterMode::None, bool keepTransparentRGB = true,
                   const util::TAtomicWriteHooks& hooks = {});
// The same in a format the caller fixes.
void SaveToFilePng(const TImage& image, const std::filesystem::path& fileName,
                   const TPngFormat& format, TFilterMode filterMode,
                   const util::TAtomicWriteHooks& hooks = {});

} // namespace korvid::png
