#include "translation/text_encoding.h"

#include <array>
#include <cstdint>

namespace korvid::translation {
namespace {

// 0x80 to 0x9F of Windows-1252 (the WHATWG Encoding Standard's index); the rest is Latin-1.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char16_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool InRange(std::uint8_t b, std::uint8_t low, std::uint8_t high)
{
    return b >= low && b <= high;
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    // The table of well-formed sequences in RFC 3629, section 4.
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint8_t secondLow = 0x80;
        std::uint8_t secondHigh = 0xBF;
        if (InRange(lead, 0xC2, 0xDF)) {
            length = 2;
        } else if (InRange(lead, 0xE0, 0xEF)) {
            length = 3;
            if (lead == 0xE0)
                secondLow = 0xA0;
            else if (lead == 0xED)
                secondHigh = 0x9F;
        } else if (InRange(lead, 0xF0, 0xF4)) {
            length = 4;
            if (lead == 0xF0)
                secondLow = 0x90;
            else if (lead == 0xF4)
                secondHigh = 0x8F;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        if (!InRange(static_cast<std::uint8_t>(bytes[i + 1]), secondLow, secondHigh))
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (!InRange(static_cast<std::uint8_t>(bytes[i + k]), 0x80, 0xBF))
                return false;
        i += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, HighControls[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string DecodeLanguageBytes(std::string_view bytes)
{
    // Editors that save UTF-8 on Windows put a mark first; left in, it would spoil the first key.
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        bytes.remove_prefix(ByteOrderMark.size());
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

} // namespace korvid::translation
