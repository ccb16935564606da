#include "png/png_stats.h"

namespace korvid::png {
namespace {

// Calls add(colour) for each pixel's compared colour until it returns false. Neighbours usually
// share a colour, so a repeat of the previous pixel is skipped without a lookup.
template <class TAdd>
void ScanColors(const TImage& image, bool withAlpha, bool keepTransparentRGB, TAdd add)
{
    bool havePrevious = false;
    std::uint32_t previous = 0;
    for (const std::uint32_t pixel : image.Pixels()) {
        const std::uint32_t colour = ComparedColor(pixel, withAlpha, keepTransparentRGB);
        if (havePrevious && colour == previous)
            continue;
        havePrevious = true;
        previous = colour;
        if (!add(colour))
            return;
    }
}

} // namespace

std::size_t TColorIndex::Home(std::uint32_t colour)
{
    // Fibonacci hashing: the top bits of the product spread nearby colours apart.
    return static_cast<std::size_t>((colour * 2654435769u) >> 22) & (Slots - 1);
}

int TColorIndex::Add(std::uint32_t colour)
{
    for (std::size_t i = Home(colour);; i = (i + 1) & (Slots - 1)) {
        TSlot& slot = m_slots[i];
        if (slot.Position == NotFound) {
            slot.Colour = colour;
            slot.Position = static_cast<int>(m_count++);
            return slot.Position;
        }
        if (slot.Colour == colour)
            return slot.Position;
    }
}

int TColorIndex::Find(std::uint32_t colour) const
{
    for (std::size_t i = Home(colour);; i = (i + 1) & (Slots - 1)) {
        const TSlot& slot = m_slots[i];
        if (slot.Position == NotFound)
            return NotFound;
        if (slot.Colour == colour)
            return slot.Position;
    }
}

std::size_t NbColors(const TImage& image, bool withAlpha, bool keepTransparentRGB)
{
    TColorIndex index;
    ScanColors(image, withAlpha, keepTransparentRGB, [&](std::uint32_t colour) {
        index.Add(colour);
        return index.Count() < MaxCountedColors;
    });
    return index.Count();
}

TMyPalette ColorList(const TImage& image, bool withAlpha, bool keepTransparentRGB)
{
    TColorIndex index;
    TMyPalette colours;
    ScanColors(image, withAlpha, keepTransparentRGB, [&](std::uint32_t colour) {
        if (static_cast<std::size_t>(index.Add(colour)) == colours.size())
            colours.push_back(colour);
        return colours.size() < MaxCountedColors;
    });
    return colours;
}

TTransparence Transparence(const TImage& image)
{
    TTransparence kind = TTransparence::Opaque;
    for (const std::uint32_t pixel : image.Pixels()) {
        const std::uint8_t alpha = Alpha(pixel);
        if (alpha == 0)
            kind = TTransparence::Binary;
        else if (alpha != 255)
            return TTransparence::Partial;
    }
    return kind;
}

bool GreyScale(const TImage& image, bool keepTransparentRGB)
{
    for (const std::uint32_t pixel : image.Pixels()) {
        if (!keepTransparentRGB && Alpha(pixel) == 0)
            continue;
        if (Red(pixel) != Green(pixel) || Green(pixel) != Blue(pixel))
            return false;
    }
    return true;
}

std::optional<std::uint32_t> TransparentColor(const TImage& image)
{
    std::optional<std::uint32_t> found;
    for (const std::uint32_t pixel : image.Pixels()) {
        if (Alpha(pixel) != 0)
            continue;
        if (!found)
            found = pixel;
        else if (*found != pixel)
            return std::nullopt;
    }
    return found;
}

bool VisiblePixelHasRGB(const TImage& image, std::uint32_t colour)
{
    const std::uint32_t rgb = colour & 0x00FFFFFF;
    for (const std::uint32_t pixel : image.Pixels()) {
        if (Alpha(pixel) != 0 && (pixel & 0x00FFFFFF) == rgb)
            return true;
    }
    return false;
}

} // namespace korvid::png
