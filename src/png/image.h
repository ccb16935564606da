#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korvid::png {

// A 32-bit image: each pixel is the word 0xAARRGGBB (bytes blue, green, red, alpha in memory on
// a little-endian machine, as QImage::Format_ARGB32 holds it). Alpha 255 is opaque, 0 fully
// transparent. Rows run from 0 (top) to Height() - 1.
class TImage {
public:
    TImage() = default;
    // Every pixel starts as fill.
    TImage(std::uint32_t width, std::uint32_t height, std::uint32_t fill = 0xFF000000);

    [[nodiscard]] std::uint32_t Width() const { return m_width; }
    [[nodiscard]] std::uint32_t Height() const { return m_height; }
    [[nodiscard]] bool Empty() const { return m_width == 0 || m_height == 0; }

    [[nodiscard]] std::span<const std::uint32_t> Row(std::uint32_t y) const
    {
        return {m_pixels.data() + std::size_t{y} * m_width, m_width};
    }
    [[nodiscard]] std::span<std::uint32_t> Row(std::uint32_t y)
    {
        return {m_pixels.data() + std::size_t{y} * m_width, m_width};
    }
    [[nodiscard]] std::uint32_t Pixel(std::uint32_t x, std::uint32_t y) const
    {
        return m_pixels[std::size_t{y} * m_width + x];
    }
    void SetPixel(std::uint32_t x, std::uint32_t y, std::uint32_t pixel)
    {
        m_pixels[std::size_t{y} * m_width + x] = pixel;
    }
    // All rows, top to bottom, without gaps.
    [[nodiscard]] std::span<const std::uint32_t> Pixels() const { return m_pixels; }

private:
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

[[nodiscard]] constexpr std::uint8_t Alpha(std::uint32_t pixel)
{
    return std::uint8_t(pixel >> 24);
}
[[nodiscard]] constexpr std::uint8_t Red(std::uint32_t pixel)
{
    return std::uint8_t(pixel >> 16);
}
[[nodiscard]] constexpr std::uint8_t Green(std::uint32_t pixel)
{
    return std::uint8_t(pixel >> 8);
}
[[nodiscard]] constexpr std::uint8_t Blue(std::uint32_t pixel)
{
    return std::uint8_t(pixel);
}

} // namespace korvid::png
