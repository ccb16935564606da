#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "png/image.h"

namespace korvid::test {

struct TDecodedPng {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint32_t> Pixels; // 0xAARRGGBB, rows top to bottom

    bool operator==(const TDecodedPng&) const = default;
};

// What a faithful decoder gives back for the image.
inline TDecodedPng AsDecoded(const png::TImage& image)
{
    return {image.Width(), image.Height(), {image.Pixels().begin(), image.Pixels().end()}};
}

// Decodes with libpng, the independent reader; a failed assertion when it rejects the file.
TDecodedPng DecodePng(const std::string& bytes);

struct TPngChunk {
    std::string Type;
    std::string Data;

    bool operator==(const TPngChunk&) const = default;
};

// The chunks after the signature, checking the signature, lengths and CRCs on the way.
std::vector<TPngChunk> PngChunks(const std::string& bytes);

// The chunk types in order, e.g. "IHDR PLTE IDAT IEND".
std::string ChunkTypes(const std::string& bytes);

// The data of the one chunk of that type, or empty.
std::string ChunkData(const std::string& bytes, std::string_view type);

} // namespace korvid::test
