#include "png/image.h"

namespace korvid::png {

TImage::TImage(std::uint32_t width, std::uint32_t height, std::uint32_t fill)
    : m_width(width), m_height(height), m_pixels(std::size_t{width} * height, fill)
{
}

} // namespace korvid::png
