#include "history/framed_text.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace korvid::history {
namespace {

constexpr std::string_view ClassicWord = "classic";
constexpr std::string_view ClientWord = "client";

struct TIndexLine {
    TUnitKind Kind = TUnitKind::Classic;
    std::size_t Bytes = 0;
    std::vector<TAttribute> Attributes;
};

constexpr char HexDigits[] = "0123456789ABCDEF";

// A space would end the value, CR LF the line and a zero byte the v5/v6 text; '%' is escaped so
// that a name holding "%41" comes back as written.
void AppendEscaped(std::string& out, std::string_view value)
{
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte == 0x7F || c == '%') {
            out += '%';
            out += HexDigits[byte >> 4];
            out += HexDigits[byte & 0xF];
        } else {
            out += c;
        }
    }
}

// A '%' without two hex digits after it is taken as written: a later writer's value is kept
// rather than refused.
std::string Unescaped(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        unsigned byte = 0;
        const char* digits = value.data() + i + 1;
        // Unsigned: no sign is taken, so only two hex digits are.
        if (value[i] == '%' && i + 2 < value.size() &&
            std::from_chars(digits, digits + 2, byte, 16).ptr == digits + 2) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// "KIND BYTES" then " NAME=VALUE" attributes. A value holds no space, control byte or DEL
// (writers escape them, and '%', as %XX).
std::optional<TIndexLine> ReadIndexLine(std::string_view line)
{
    TIndexLine index;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    const std::string_view kind = line.substr(0, space);
    if (kind == ClassicWord)
        index.Kind = TUnitKind::Classic;
    else if (kind == ClientWord)
        index.Kind = TUnitKind::Client;
    else
        return std::nullopt;
    line.remove_prefix(space + 1);
    const std::size_t end = std::min(line.find(' '), line.size());
    const char* first = line.data();
    std::uint64_t bytes = 0;
    const auto [ptr, ec] = std::from_chars(first, first + end, bytes);
    if (ec != std::errc() || ptr != first + end || end == 0 || (line[0] == '0' && end > 1) ||
        bytes > SIZE_MAX)
        return std::nullopt;
    index.Bytes = static_cast<std::size_t>(bytes);
    line.remove_prefix(end);
    while (!line.empty()) {
        line.remove_prefix(1); // the space
        const std::size_t next = std::min(line.find(' '), line.size());
        const std::string_view attribute = line.substr(0, next);
        const std::size_t equals = attribute.find('=');
        if (equals == 0 || equals == std::string_view::npos)
            return std::nullopt;
        for (std::size_t i = 0; i < attribute.size(); ++i) {
            const auto c = static_cast<unsigned char>(attribute[i]);
            if (i < equals ? !IsNameChar(attribute[i]) : c < 0x21 || c == 0x7F)
                return std::nullopt;
        }
        index.Attributes.push_back(
            {std::string(attribute.substr(0, equals)), Unescaped(attribute.substr(equals + 1))});
        line.remove_prefix(next);
    }
    return index;
}

// The units of a frame whose mark starts at `at`, when its index matches the bytes: the v5/v6
// sizes add up to `at`, the client sizes to what follows the index.
std::optional<std::vector<TStoredUnit>> ReadFrame(std::string_view text, std::size_t at)
{
    std::vector<TIndexLine> index;
    std::size_t pos = at + FrameMark.size();
    std::size_t classicBytes = 0;
    std::size_t clientBytes = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty())
            break;
        const auto read = ReadIndexLine(line);
        if (!read)
            return std::nullopt;
        std::size_t& sum = read->Kind == TUnitKind::Classic ? classicBytes : clientBytes;
        if (read->Bytes > text.size() - sum)
            return std::nullopt;
        sum += read->Bytes;
        index.push_back(std::move(*read));
    }
    if (classicBytes != at || clientBytes != text.size() - pos)
        return std::nullopt;
    std::vector<TStoredUnit> units;
    units.reserve(index.size());
    std::size_t classicPos = 0;
    std::size_t clientPos = pos;
    for (TIndexLine& line : index) {
        std::size_t& from = line.Kind == TUnitKind::Classic ? classicPos : clientPos;
        units.push_back({line.Kind, text.substr(from, line.Bytes), std::move(line.Attributes)});
        from += line.Bytes;
    }
    return units;
}

} // namespace

bool NeedsFrame(std::span<const TStoredUnit> units)
{
    for (const TStoredUnit& unit : units)
        if (unit.Kind == TUnitKind::Client || !unit.Attributes.empty() ||
            unit.Text.find('\0') != std::string_view::npos)
            return true;
    return false;
}

std::string WriteFramedText(std::span<const TStoredUnit> units, bool framed)
{
    std::size_t size = 0;
    for (const TStoredUnit& unit : units)
        size += unit.Text.size() + (framed ? 32 : 0);
    std::string text;
    text.reserve(size + FrameMark.size() + 2);
    for (const TStoredUnit& unit : units)
        if (unit.Kind == TUnitKind::Classic)
            text += unit.Text;
    if (!framed)
        return text;
    text += FrameMark;
    for (const TStoredUnit& unit : units) {
        text += unit.Kind == TUnitKind::Classic ? ClassicWord : ClientWord;
        text += ' ';
        text += std::to_string(unit.Text.size());
        for (const TAttribute& attribute : unit.Attributes) {
            text += ' ';
            text += attribute.Name;
            text += '=';
            AppendEscaped(text, attribute.Value);
        }
        text += "\r\n";
    }
    text += "\r\n";
    for (const TStoredUnit& unit : units)
        if (unit.Kind == TUnitKind::Client)
            text += unit.Text;
    return text;
}

TFramedText ReadFramedText(std::string_view text)
{
    TFramedText result;
    const std::size_t firstZero = text.find('\0');
    result.Plain = text.substr(0, firstZero);
    result.Cut = firstZero != std::string_view::npos;
    // A v5/v6 text may itself hold the mark; only the frame whose index matches is the real one.
    // Index lines hold no zero byte, so no two tries read the same bytes.
    bool marked = false;
    for (std::size_t at = firstZero; at != std::string_view::npos; at = text.find('\0', at + 1)) {
        if (text.substr(at, FrameMark.size()) != FrameMark)
            continue;
        marked = true;
        if (auto units = ReadFrame(text, at)) {
            result.Outcome = TFrame::Framed;
            result.Units = std::move(*units);
            result.Plain = {};
            result.Cut = false;
            return result;
        }
    }
    if (marked)
        result.Outcome = TFrame::Damaged;
    return result;
}

} // namespace korvid::history
