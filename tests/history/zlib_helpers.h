#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <zlib.h>

#include <gtest/gtest.h>

namespace korvid::test {

// zlib's own one-shot calls, so the tests check our streams against code that is not ours.
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

inline std::string Uncompress(std::string_view stream, std::size_t maxBytes)
{
    std::string out(maxBytes, '\0');
    uLongf size = static_cast<uLongf>(maxBytes);
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                         reinterpret_cast<const Bytef*>(stream.data()),
                         static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(size);
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

} // namespace korvid::test
