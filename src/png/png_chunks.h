#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace korvid::png {

// The CRC-32 that PNG prescribes (ISO 3309, reflected 0xEDB88320), continued over bytes.
[[nodiscard]] std::uint32_t UpdateCrc(std::uint32_t crc, std::span<const std::uint8_t> bytes);

void WriteSignature(std::string& stream);

// One chunk being appended to stream: the length is patched in and the CRC appended by Finish().
// Chunks follow one another; none is begun while another is open.
class TBloc {
public:
    TBloc(std::string& stream, std::string_view chunkType);
    void WriteData(std::span<const std::uint8_t> bytes);
    // Throws TError when the data outgrow the 2^31 - 1 bytes a chunk may hold.
    void Finish();

private:
    std::string& m_stream;
    std::size_t m_startPosition;
    std::uint32_t m_crc;
    std::uint64_t m_dataLength = 0;
};

void WriteIHDR(std::string& stream, std::uint32_t width, std::uint32_t height,
               std::uint8_t bitDepth, std::uint8_t colourType);
// One entry per colour word: red = bits 16 to 23, green = 8 to 15, blue = 0 to 7.
void WritePLTE(std::string& stream, std::span<const std::uint32_t> colours);
void WritetRNSAlphas(std::string& stream, std::span<const std::uint8_t> alphas);
void WritetRNSGrey(std::string& stream, std::uint8_t grey);
void WritetRNSColour(std::string& stream, std::uint32_t colour);
void WriteIEND(std::string& stream);

// The one IDAT chunk: a zlib stream (level 9, window bits 15, memory level 8, default strategy)
// fed in blocks of exactly IdatBlockBytes, each compressed with a partial flush as soon as it is
// complete; Finish() compresses the rest with Z_FINISH and closes the chunk.
class TBlocIDAT {
public:
    static constexpr std::size_t IdatBlockBytes = 32768;

    explicit TBlocIDAT(std::string& stream);
    ~TBlocIDAT();
    TBlocIDAT(const TBlocIDAT&) = delete;
    TBlocIDAT& operator=(const TBlocIDAT&) = delete;

    void AddData(std::span<const std::uint8_t> bytes);
    void Finish();

private:
    class TDeflater;
    void Compress(std::span<const std::uint8_t> bytes, int flush);

    TBloc m_bloc;
    std::unique_ptr<TDeflater> m_deflater;
    std::unique_ptr<std::uint8_t[]> m_pending;
    std::size_t m_pendingCount = 0;
    std::unique_ptr<std::uint8_t[]> m_out;
};

} // namespace korvid::png
