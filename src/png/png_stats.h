#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "png/image.h"

namespace korvid::png {

// Colours in the order first met, scanning rows top to bottom and pixels left to right.
using TMyPalette = std::vector<std::uint32_t>;

// Counting stops here: any count above 256 only says "too many for a palette".
inline constexpr std::size_t MaxCountedColors = 257;
inline constexpr std::size_t MaxPaletteColors = 256;

// The colour word a pixel stands for when colours are compared. withAlpha: all 32 bits, else red,
// green and blue only. Without keepTransparentRGB every fully transparent pixel is the one colour
// 0x00FFFFFF when alpha takes part.
[[nodiscard]] constexpr std::uint32_t ComparedColor(std::uint32_t pixel, bool withAlpha,
                                                    bool keepTransparentRGB)
{
    if (!withAlpha)
        return pixel & 0x00FFFFFF;
    if (!keepTransparentRGB && Alpha(pixel) == 0)
        return 0x00FFFFFF;
    return pixel;
}

// Number of distinct colours, at most MaxCountedColors.
[[nodiscard]] std::size_t NbColors(const TImage& image, bool withAlpha, bool keepTransparentRGB);
// The same colours as a list, at most MaxCountedColors of them.
[[nodiscard]] TMyPalette ColorList(const TImage& image, bool withAlpha, bool keepTransparentRGB);

enum class TTransparence {
    Opaque = 0,  // every alpha is 255
    Binary = 1,  // only alphas 0 and 255, at least one 0
    Partial = 2, // some alpha from 1 to 254
};
[[nodiscard]] TTransparence Transparence(const TImage& image);

// Every pixel has red = green = blue. Without keepTransparentRGB fully transparent pixels count
// as grey whatever their colour.
[[nodiscard]] bool GreyScale(const TImage& image, bool keepTransparentRGB);

// The 32-bit word shared by every fully transparent pixel; none when they differ or there are none.
[[nodiscard]] std::optional<std::uint32_t> TransparentColor(const TImage& image);

// True when some pixel that is not fully transparent has the red, green and blue of colour.
[[nodiscard]] bool VisiblePixelHasRGB(const TImage& image, std::uint32_t colour);

// Colour word -> position, for at most MaxCountedColors colours. Open addressing: a chart has a
// handful of colours met millions of times, so lookups must not scan the list.
class TColorIndex {
public:
    static constexpr int NotFound = -1;

    // Adds colour at the next position unless present; returns its position.
    int Add(std::uint32_t colour);
    [[nodiscard]] int Find(std::uint32_t colour) const;
    [[nodiscard]] std::size_t Count() const { return m_count; }

private:
    static constexpr std::size_t Slots = 1024; // a power of two, under a quarter full at most
    [[nodiscard]] static std::size_t Home(std::uint32_t colour);

    struct TSlot {
        std::uint32_t Colour = 0;
        int Position = NotFound;
    };
    std::vector<TSlot> m_slots = std::vector<TSlot>(Slots);
    std::size_t m_count = 0;
};

} // namespace korvid::png
