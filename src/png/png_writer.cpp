#include "png/png_writer.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "png/png_chunks.h"
#include "png/png_stats.h"
#include "util/error.h"

namespace korvid::png {
namespace {

constexpr std::uint32_t MaxDimension = 0x7FFFFFFF;

void CheckSize(const TImage& image)
{
    if (image.Empty())
        throw util::TError("the image is empty (" + std::to_string(image.Width()) + " x " +
                           std::to_string(image.Height()) + " pixels)");
    if (image.Width() > MaxDimension || image.Height() > MaxDimension)
        throw util::TError("the image is larger than PNG allows (" + std::to_string(image.Width()) +
                           " x " + std::to_string(image.Height()) + " pixels)");
}

// Filters every row into the one IDAT chunk. toSamples(row, raw) writes a row's samples.
template <class TToSamples>
void WriteRows(std::string& stream, const TImage& image, std::size_t bytesPerPixel,
               TFilterMode filterMode, TToSamples toSamples)
{
    const std::size_t rowBytes = std::size_t{image.Width()} * bytesPerPixel;
    std::vector<std::uint8_t> raw(rowBytes);
    std::vector<std::uint8_t> prior(rowBytes, 0);
    std::vector<std::uint8_t> filtered(rowBytes + 1);
    std::vector<std::uint8_t> scratch(filterMode == TFilterMode::PerRow ? rowBytes + 1 : 0);
    TBlocIDAT idat(stream);
    for (std::uint32_t y = 0; y < image.Height(); ++y) {
        toSamples(image.Row(y), raw.data());
        switch (filterMode) {
        case TFilterMode::None:
        case TFilterMode::Sub:
        case TFilterMode::Up:
        case TFilterMode::Average:
        case TFilterMode::Paeth:
            FilterRow(static_cast<int>(filterMode), raw, prior, bytesPerPixel, filtered);
            break;
        case TFilterMode::PerRow:
            ChooseFilter(raw, prior, bytesPerPixel, filtered, scratch);
            break;
        }
        idat.AddData(filtered);
        raw.swap(prior);
    }
    idat.Finish();
}

void WritePalette(std::string& stream, const TImage& image, const TPngFormat& format,
                  TFilterMode filterMode)
{
    const bool withAlpha = format.WithAlpha;
    const bool keep = format.KeepTransparentRGB;
    TMyPalette colours = ColorList(image, withAlpha, keep);
    if (colours.size() > MaxPaletteColors)
        throw util::TError("Number of unique colors exceded capability of palette (256) in "
                           "SaveToFilePalette");
    if (withAlpha) {
        // Non-opaque entries first, so tRNS can stop at the last of them.
        std::stable_sort(colours.begin(), colours.end(),
                         [](std::uint32_t a, std::uint32_t b) { return Alpha(a) < Alpha(b); });
    }
    TColorIndex index;
    for (const std::uint32_t colour : colours)
        index.Add(colour);

    WriteIHDR(stream, image.Width(), image.Height(), 8, 3);
    WritePLTE(stream, colours);
    if (withAlpha) {
        std::vector<std::uint8_t> alphas;
        for (const std::uint32_t colour : colours) {
            if (Alpha(colour) == 255)
                break;
            alphas.push_back(Alpha(colour));
        }
        if (!alphas.empty())
            WritetRNSAlphas(stream, alphas);
    }
    WriteRows(stream, image, 1, filterMode,
              [&](std::span<const std::uint32_t> row, std::uint8_t* raw) {
                  std::uint32_t previous = 0;
                  std::uint8_t previousIndex = 0;
                  bool havePrevious = false;
                  for (const std::uint32_t pixel : row) {
                      const std::uint32_t colour = ComparedColor(pixel, withAlpha, keep);
                      if (!havePrevious || colour != previous) {
                          previous = colour;
                          previousIndex = static_cast<std::uint8_t>(index.Find(colour));
                          havePrevious = true;
                      }
                      *raw++ = previousIndex;
                  }
              });
}

} // namespace

TPngFormat ChoosePngFormat(const TImage& image, bool keepTransparentRGB)
{
    TPngFormat format;
    const TTransparence transparence = Transparence(image);
    if (transparence == TTransparence::Opaque) {
        if (GreyScale(image, false)) {
            format.Kind = TPngKind::Grey;
        } else if (NbColors(image, false, false) <= MaxPaletteColors) {
            format.Kind = TPngKind::Palette;
            format.WithAlpha = false;
            format.KeepTransparentRGB = false;
        } else {
            format.Kind = TPngKind::Truecolour;
        }
        return format;
    }
    if (NbColors(image, true, keepTransparentRGB) <= MaxPaletteColors) {
        format.Kind = TPngKind::Palette;
        format.WithAlpha = true;
        format.KeepTransparentRGB = keepTransparentRGB;
    } else if (GreyScale(image, keepTransparentRGB)) {
        format.Kind = TPngKind::GreyAlpha;
    } else if (transparence == TTransparence::Partial) {
        format.Kind = TPngKind::TruecolourAlpha;
    } else if (const auto colour = TransparentColor(image);
               colour && !VisiblePixelHasRGB(image, *colour)) {
        format.Kind = TPngKind::Truecolour;
        format.TransparentColour = colour;
    } else {
        format.Kind = TPngKind::TruecolourAlpha;
    }
    return format;
}

std::string EncodePng(const TImage& image, const TPngFormat& format, TFilterMode filterMode)
{
    CheckSize(image);
    std::string stream;
    WriteSignature(stream);
    switch (format.Kind) {
    case TPngKind::Grey:
        WriteIHDR(stream, image.Width(), image.Height(), 8, 0);
        if (format.TransparentColour)
            WritetRNSGrey(stream, Blue(*format.TransparentColour));
        WriteRows(stream, image, 1, filterMode,
                  [](std::span<const std::uint32_t> row, std::uint8_t* raw) {
                      for (const std::uint32_t pixel : row)
                          *raw++ = Blue(pixel);
                  });
        break;
    case TPngKind::Palette:
        WritePalette(stream, image, format, filterMode);
        break;
    case TPngKind::Truecolour:
        WriteIHDR(stream, image.Width(), image.Height(), 8, 2);
        if (format.TransparentColour)
            WritetRNSColour(stream, *format.TransparentColour);
        WriteRows(stream, image, 3, filterMode,
                  [](std::span<const std::uint32_t> row, std::uint8_t* raw) {
                      for (const std::uint32_t pixel : row) {
                          *raw++ = Red(pixel);
                          *raw++ = Green(pixel);
                          *raw++ = Blue(pixel);
                      }
                  });
        break;
    case TPngKind::GreyAlpha:
        WriteIHDR(stream, image.Width(), image.Height(), 8, 4);
        WriteRows(stream, image, 2, filterMode,
                  [](std::span<const std::uint32_t> row, std::uint8_t* raw) {
                      for (const std::uint32_t pixel : row) {
                          *raw++ = Blue(pixel);
                          *raw++ = Alpha(pixel);
                      }
                  });
        break;
    case TPngKind::TruecolourAlpha:
        WriteIHDR(stream, image.Width(), image.Height(), 8, 6);
        WriteRows(stream, image, 4, filterMode,
                  [](std::span<const std::uint32_t> row, std::uint8_t* raw) {
                      for (const std::uint32_t pixel : row) {
                          *raw++ = Red(pixel);
                          *raw++ = Green(pixel);
                          *raw++ = Blue(pixel);
                          *raw++ = Alpha(pixel);
                      }
                  });
        break;
    }
    WriteIEND(stream);
    return stream;
}

std::string EncodePng(const TImage& image, TFilterMode filterMode, bool keepTransparentRGB)
{
    return EncodePng(image, ChoosePngFormat(image, keepTransparentRGB), filterMode);
}

void SaveToFilePng(const TImage& image, const std::filesystem::path& fileName,
                   const TPngFormat& format, TFilterMode filterMode,
                   const util::TAtomicWriteHooks& hooks)
{
    std::string bytes;
    try {
        bytes = EncodePng(image, format, filterMode);
    } catch (const util::TError& error) {
        throw util::TError(util::CannotWrite(util::FileCause(fileName, error.what())));
    } catch (const std::bad_alloc&) {
        throw util::TError(util::CannotWrite(util::FileCause(fileName, "not enough memory")));
    }
    util::WriteFileAtomically(fileName, bytes, hooks);
}

void SaveToFilePng(const TImage& image, const std::filesystem::path& fileName,
                   TFilterMode filterMode, bool keepTransparentRGB,
                   const util::TAtomicWriteHooks& hooks)
{
    SaveToFilePng(image, fileName, ChoosePngFormat(image, keepTransparentRGB), filterMode, hooks);
}

} // namespace korvid::png
