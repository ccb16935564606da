#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <zlib.h>

#include <gtest/gtest.h>

namespace korvid::test {

// zlib's own calls, so the tests check our streams against code that is not ours.
inline std::string Compress(std::string_view payload, int level = 9)
{
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(payload.data()),
                        static_cast<uLong>(payload.size()), level),
              Z_OK);
    out.resize(size);
    return out;
}

// The inflated zlib stream; a failed assertion when it is not one whole stream.
inline std::string Inflate(std::string_view zlibStream)
{
    z_stream stream{};
    EXPECT_EQ(inflateInit(&stream), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zlibStream.data()));
    stream.avail_in = static_cast<uInt>(zlibStream.size());
    std::string out;
    int result = Z_OK;
    while (result == Z_OK) {
        char buffer[65536];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    EXPECT_EQ(result, Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0u) << "bytes after the zlib stream";
    inflateEnd(&stream);
    return out;
}

// The four little-endian bytes of n, then the text.
inline std::string Payload(std::uint32_t n, std::string_view text)
{
    std::string out;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((n >> shift) & 0xFF));
    out.append(text);
    return out;
}

// A text too large for any history, mapped but never touched: refusing it must not read it.
class TUntouchedText {
public:
    explicit TUntouchedText(std::size_t size)
        : m_size(size), m_data(::mmap(nullptr, size, PROT_READ,
                                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0))
    {
        EXPECT_NE(m_data, MAP_FAILED);
    }
    ~TUntouchedText()
    {
        if (m_data != MAP_FAILED)
            ::munmap(m_data, m_size);
    }
    TUntouchedText(const TUntouchedText&) = delete;
    TUntouchedText& operator=(const TUntouchedText&) = delete;

    [[nodiscard]] std::string_view View() const
    {
        return m_data == MAP_FAILED ? std::string_view()
                                    : std::string_view(static_cast<const char*>(m_data), m_size);
    }

private:
    std::size_t m_size;
    void* m_data;
};

} // namespace korvid::test
