#include "png/png_filter.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace korvid::png {
namespace {

// Ties go left, then above, then upper-left, as the PNG standard's filter section orders them.
std::uint8_t PaethPredictor(int left, int above, int upperLeft)
{
    const int estimate = left + above - upperLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toUpperLeft = std::abs(estimate - upperLeft);
    if (toLeft <= toAbove && toLeft <= toUpperLeft)
        return static_cast<std::uint8_t>(left);
    if (toAbove <= toUpperLeft)
        return static_cast<std::uint8_t>(above);
    return static_cast<std::uint8_t>(upperLeft);
}

std::uint64_t Cost(std::span<const std::uint8_t> filtered)
{
    std::uint64_t sum = 0;
    for (const std::uint8_t byte : filtered.subspan(1))
        sum += byte;
    return sum;
}

} // namespace

void FilterRow(int filterType, std::span<const std::uint8_t> raw,
               std::span<const std::uint8_t> prior, std::size_t bytesPerPixel,
               std::span<std::uint8_t> out)
{
    assert(filterType >= 0 && filterType <= 4);
    const std::size_t n = raw.size();
    const std::size_t bpp = std::min(bytesPerPixel, n);
    const std::uint8_t* r = raw.data();
    const std::uint8_t* p = prior.data();
    std::uint8_t* o = out.data() + 1;
    out[0] = static_cast<std::uint8_t>(filterType);
    switch (filterType) {
    case 0:
        if (n != 0)
            std::memcpy(o, r, n);
        return;
    case 1:
        std::copy(r, r + bpp, o);
        for (std::size_t i = bpp; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - r[i - bpp]);
        return;
    case 2:
        for (std::size_t i = 0; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - p[i]);
        return;
    case 3:
        for (std::size_t i = 0; i < bpp; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - (p[i] >> 1));
        for (std::size_t i = bpp; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - ((r[i - bpp] + p[i]) >> 1));
        return;
    case 4:
        for (std::size_t i = 0; i < bpp; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - PaethPredictor(0, p[i], 0));
        for (std::size_t i = bpp; i < n; ++i)
            o[i] = static_cast<std::uint8_t>(r[i] - PaethPredictor(r[i - bpp], p[i], p[i - bpp]));
        return;
    default:
        return;
    }
}

int ChooseFilter(std::span<const std::uint8_t> raw, std::span<const std::uint8_t> prior,
                 std::size_t bytesPerPixel, std::span<std::uint8_t> out,
                 std::span<std::uint8_t> scratch)
{
    FilterRow(0, raw, prior, bytesPerPixel, out);
    int best = 0;
    std::uint64_t bestCost = Cost(out);
    for (int type = 1; type <= 4; ++type) {
        FilterRow(type, raw, prior, bytesPerPixel, scratch);
        if (const std::uint64_t cost = Cost(scratch); cost < bestCost) {
            bestCost = cost;
            best = type;
            std::swap_ranges(scratch.begin(), scratch.end(), out.begin());
        }
    }
    return best;
}

} // namespace korvid::png
