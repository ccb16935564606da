#include "png/png_chunks.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <zlib.h>

#include "util/error.h"

namespace korvid::png {
namespace {

constexpr std::uint64_t MaxChunkLength = 0x7FFFFFFF;
// One block's worst case after deflateBound, as the zlib manual gives it, with room to spare;
// Compress() loops anyway, so a larger output only costs another round.
constexpr std::size_t OutAreaBytes = TBlocIDAT::IdatBlockBytes + 45;

void AppendBigEndian(std::string& stream, std::uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    stream.append(bytes, 4);
}

void StoreBigEndian(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

std::span<const std::uint8_t> AsBytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::uint32_t UpdateCrc(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    // zlib's crc32 is that very CRC, pre- and post-conditioning included.
    while (!bytes.empty()) {
        const std::size_t step = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = static_cast<std::uint32_t>(::crc32(crc, bytes.data(), static_cast<uInt>(step)));
        bytes = bytes.subspan(step);
    }
    return crc;
}

void WriteSignature(std::string& stream)
{
    stream.append("\x89PNG\r\n\x1a\n", 8);
}

TBloc::TBloc(std::string& stream, std::string_view chunkType)
    : m_stream(stream), m_startPosition(stream.size()), m_crc(UpdateCrc(0, AsBytes(chunkType)))
{
    AppendBigEndian(m_stream, 0);
    m_stream.append(chunkType);
}

void TBloc::WriteData(std::span<const std::uint8_t> bytes)
{
    m_dataLength += bytes.size();
    m_stream.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    m_crc = UpdateCrc(m_crc, bytes);
}

void TBloc::Finish()
{
    if (m_dataLength > MaxChunkLength)
        throw util::TError("the image is too large for one PNG chunk (" +
                           std::to_string(m_dataLength) + " bytes)");
    StoreBigEndian(reinterpret_cast<std::uint8_t*>(m_stream.data() + m_startPosition),
                   static_cast<std::uint32_t>(m_dataLength));
    AppendBigEndian(m_stream, m_crc);
}

void WriteIHDR(std::string& stream, std::uint32_t width, std::uint32_t height,
               std::uint8_t bitDepth, std::uint8_t colourType)
{
    std::uint8_t data[13] = {};
    StoreBigEndian(data, width);
    StoreBigEndian(data + 4, height);
    data[8] = bitDepth;
    data[9] = colourType;
    // compression method 0, filter method 0, no interlace
    TBloc bloc(stream, "IHDR");
    bloc.WriteData(data);
    bloc.Finish();
}

void WritePLTE(std::string& stream, std::span<const std::uint32_t> colours)
{
    std::string entries;
    entries.reserve(colours.size() * 3);
    for (const std::uint32_t colour : colours) {
        entries.push_back(static_cast<char>(colour >> 16));
        entries.push_back(static_cast<char>(colour >> 8));
        entries.push_back(static_cast<char>(colour));
    }
    TBloc bloc(stream, "PLTE");
    bloc.WriteData(AsBytes(entries));
    bloc.Finish();
}

void WritetRNSAlphas(std::string& stream, std::span<const std::uint8_t> alphas)
{
    TBloc bloc(stream, "tRNS");
    bloc.WriteData(alphas);
    bloc.Finish();
}

void WritetRNSGrey(std::string& stream, std::uint8_t grey)
{
    const std::uint8_t data[2] = {0, grey};
    TBloc bloc(stream, "tRNS");
    bloc.WriteData(data);
    bloc.Finish();
}

void WritetRNSColour(std::string& stream, std::uint32_t colour)
{
    const std::uint8_t data[6] = {0, static_cast<std::uint8_t>(colour >> 16),
                                  0, static_cast<std::uint8_t>(colour >> 8),
                                  0, static_cast<std::uint8_t>(colour)};
    TBloc bloc(stream, "tRNS");
    bloc.WriteData(data);
    bloc.Finish();
}

void WriteIEND(std::string& stream)
{
    TBloc bloc(stream, "IEND");
    bloc.Finish();
}

class TBlocIDAT::TDeflater {
public:
    TDeflater()
    {
        const int result = ::deflateInit2(&Stream, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        if (result == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (result != Z_OK)
            throw util::TError("cannot start zlib compression");
    }
    ~TDeflater() { ::deflateEnd(&Stream); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    z_stream Stream{};
};

TBlocIDAT::TBlocIDAT(std::string& stream)
    : m_bloc(stream, "IDAT"), m_deflater(std::make_unique<TDeflater>()),
      m_pending(std::make_unique<std::uint8_t[]>(IdatBlockBytes)),
      m_out(std::make_unique<std::uint8_t[]>(OutAreaBytes))
{
}

TBlocIDAT::~TBlocIDAT() = default;

void TBlocIDAT::AddData(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        // Whole blocks straight from the caller's bytes when nothing waits before them.
        if (m_pendingCount == 0 && bytes.size() >= IdatBlockBytes) {
            Compress(bytes.first(IdatBlockBytes), Z_PARTIAL_FLUSH);
            bytes = bytes.subspan(IdatBlockBytes);
            continue;
        }
        const std::size_t take = std::min(bytes.size(), IdatBlockBytes - m_pendingCount);
        std::memcpy(m_pending.get() + m_pendingCount, bytes.data(), take);
        m_pendingCount += take;
        bytes = bytes.subspan(take);
        if (m_pendingCount == IdatBlockBytes) {
            Compress({m_pending.get(), IdatBlockBytes}, Z_PARTIAL_FLUSH);
            m_pendingCount = 0;
        }
    }
}

void TBlocIDAT::Finish()
{
    Compress({m_pending.get(), m_pendingCount}, Z_FINISH);
    m_pendingCount = 0;
    m_bloc.Finish();
}

void TBlocIDAT::Compress(std::span<const std::uint8_t> bytes, int flush)
{
    z_stream& stream = m_deflater->Stream;
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    // Until deflate leaves room in the output area, it may hold more: never stop at one round.
    for (;;) {
        stream.next_out = m_out.get();
        stream.avail_out = static_cast<uInt>(OutAreaBytes);
        const int result = ::deflate(&stream, flush);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            throw util::TError("zlib compression failed");
        m_bloc.WriteData({m_out.get(), OutAreaBytes - stream.avail_out});
        if (flush == Z_FINISH ? result == Z_STREAM_END
                              : stream.avail_out != 0 && stream.avail_in == 0)
            return;
    }
}

} // namespace korvid::png
