#include "png/png_decode.h"

#include <cstring>

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

namespace korvid::test {

TDecodedPng DecodePng(const std::string& bytes)
{
    TDecodedPng decoded;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        ADD_FAILURE() << "libpng: " << image.message;
        return decoded;
    }
    image.format = PNG_FORMAT_BGRA; // the bytes of 0xAARRGGBB on this little-endian machine
    decoded.Width = image.width;
    decoded.Height = image.height;
    decoded.Pixels.resize(std::size_t{image.width} * image.height);
    if (png_image_finish_read(&image, nullptr, decoded.Pixels.data(), 0, nullptr) == 0) {
        ADD_FAILURE() << "libpng: " << image.message;
        decoded.Pixels.clear();
    }
    png_image_free(&image);
    return decoded;
}

std::vector<TPngChunk> PngChunks(const std::string& bytes)
{
    std::vector<TPngChunk> chunks;
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
        ADD_FAILURE() << "no PNG signature";
        return chunks;
    }
    auto word = [&](std::size_t at) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
               p[3];
    };
    for (std::size_t at = 8; at < bytes.size();) {
        if (bytes.size() - at < 12 || bytes.size() - at - 12 < word(at)) {
            ADD_FAILURE() << "chunk cut short at " << at;
            return chunks;
        }
        const std::uint32_t length = word(at);
        TPngChunk chunk{bytes.substr(at + 4, 4), bytes.substr(at + 8, length)};
        const auto crc =
            ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), length + 4);
        EXPECT_EQ(crc, word(at + 8 + length)) << "CRC of " << chunk.Type;
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

std::string ChunkTypes(const std::string& bytes)
{
    std::string types;
    for (const TPngChunk& chunk : PngChunks(bytes))
        types += (types.empty() ? "" : " ") + chunk.Type;
    return types;
}

std::string ChunkData(const std::string& bytes, std::string_view type)
{
    for (const TPngChunk& chunk : PngChunks(bytes))
        if (chunk.Type == type)
            return chunk.Data;
    return {};
}

} // namespace korvid::test
