#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvid::png {

// 0 to 4 use that PNG filter type for every row; PerRow picks one per row (ChooseFilter).
enum class TFilterMode { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4, PerRow = 5 };

// Writes the filter type byte and the filtered samples of raw into out (raw.size() + 1 bytes).
// prior is the previous row's unfiltered samples (zeros above row 0); bytesPerPixel is the
// distance to the "left" sample.
void FilterRow(int filterType, std::span<const std::uint8_t> raw,
               std::span<const std::uint8_t> prior, std::size_t bytesPerPixel,
               std::span<std::uint8_t> out);

// Tries types 0 to 4; the cost of a result is the sum of its bytes read as unsigned 0..255, and
// the first strictly cheapest type wins, so ties go to the lower type. Leaves the winner in out.
// scratch holds raw.size() + 1 bytes.
int ChooseFilter(std::span<const std::uint8_t> raw, std::span<const std::uint8_t> prior,
                 std::size_t bytesPerPixel, std::span<std::uint8_t> out,
                 std::span<std::uint8_t> scratch);

} // namespace korvid::png
