#include "png/png_chunks.h"

#include <random>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

#include "png/png_decode.h"
#include "png/png_filter.h"

namespace korvid {
namespace {

// What the IDAT must hold: level 9, window bits 15, memory level 8, default strategy, a partial
// flush after each whole 32768-byte block and Z_FINISH on the rest.
std::string ReferenceStream(const std::string& data)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(data.size() * 2 + 1024, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    std::size_t at = 0;
    for (;;) {
        const std::size_t block = std::min<std::size_t>(32768, data.size() - at);
        const bool whole = block == 32768;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + at));
        stream.avail_in = static_cast<uInt>(block);
        at += block;
        deflate(&stream, whole ? Z_PARTIAL_FLUSH : Z_FINISH);
        if (!whole)
            break;
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

TEST(TBlocIDAT, IsOneZlibStreamWithAPartialFlushAfterEvery32768Bytes)
{
    std::mt19937 random(3);
    const struct {
        const char* name;
        std::size_t size, piece;
    } rows[] = {
        {"nothing", 0, 1},
        {"one byte short of a block", 32767, 1000},
        {"exactly one block, then an empty finish", 32768, 32768},
        {"one block and a byte, in odd pieces", 32769, 777},
        {"four blocks fed whole and then some", 4 * 32768 + 5, 70000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string data(row.size, '\0');
        for (char& c : data)
            c = static_cast<char>(random() % 7); // compressible, but not to nothing
        std::string stream;
        png::TBlocIDAT idat(stream);
        for (std::size_t at = 0; at < data.size(); at += row.piece) {
            const std::size_t n = std::min(row.piece, data.size() - at);
            idat.AddData({reinterpret_cast<const std::uint8_t*>(data.data() + at), n});
        }
        idat.Finish();
        EXPECT_EQ(test::PngChunks("\x89PNG\r\n\x1a\n" + stream),
                  (std::vector<test::TPngChunk>{{"IDAT", ReferenceStream(data)}}));
    }
}

TEST(ChooseFilter, CheapestUnsignedSumWinsAndTiesGoToTheLowerType)
{
    const struct {
        const char* name;
        std::vector<std::uint8_t> raw, prior;
        int type;
    } rows[] = {
        {"all zero: every type costs 0, None wins", {0, 0, 0}, {0, 0, 0}, 0},
        {"one repeated byte on row 0: Sub ties with Paeth and wins", {9, 9, 9, 9}, {0, 0, 0, 0}, 1},
        {"same as the row above: Up", {10, 200, 30}, {10, 200, 30}, 2},
        {"falling steps cost 255 each under Sub: None", {9, 8, 7, 6}, {100, 100, 100, 100}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> out(row.raw.size() + 1), scratch(row.raw.size() + 1);
        EXPECT_EQ(png::ChooseFilter(row.raw, row.prior, 1, out, scratch), row.type);
        EXPECT_EQ(out[0], row.type);
        std::vector<std::uint8_t> again(row.raw.size() + 1);
        png::FilterRow(row.type, row.raw, row.prior, 1, again);
        EXPECT_EQ(out, again);
    }
}

} // namespace
} // namespace korvid
