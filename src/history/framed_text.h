#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::history {

// How a unit's text is read back: with the v5/v6 line rules, or as a v7/v8 client unit.
enum class TUnitKind { Classic, Client };

// A fact kept beside a unit's text on its index line. Names are lower-case letters, digits and
// '-'; a value is any bytes (escaped on the line).
struct TAttribute {
    std::string Name;
    std::string Value;
    bool operator==(const TAttribute&) const = default;
};

struct TStoredUnit {
    TUnitKind Kind = TUnitKind::Classic;
    std::string_view Text;
    std::vector<TAttribute> Attributes; // read: every one on the line, known or not
    bool operator==(const TStoredUnit&) const = default;
};

// What follows the v5/v6 texts when the history holds more than they can say.
inline constexpr std::string_view FrameMark{"\0Korvid units 1\r\n", 17};

// Whether the units need the framed section: a client unit, an attribute, or a zero byte in a
// text (a reader of the v5/v6 form stops at the first one).
[[nodiscard]] bool NeedsFrame(std::span<const TStoredUnit> units);

// The v5/v6 texts in order, then, when framed, the mark, one index line per unit, an empty line
// and the client texts in order. Unframed, it is the v5/v6 texts alone, as earlier versions wrote.
[[nodiscard]] std::string WriteFramedText(std::span<const TStoredUnit> units, bool framed);

enum class TFrame { Plain, Framed, Damaged };

struct TFramedText {
    TFrame Outcome = TFrame::Plain;
    std::vector<TStoredUnit> Units; // Framed: every unit, in index order
    std::string_view Plain;         // Plain: the text up to its first zero byte
    bool Cut = false;               // Plain: bytes after a zero byte were left out
};

// Views into text. A frame mark whose index does not match the bytes around it is Damaged.
[[nodiscard]] TFramedText ReadFramedText(std::string_view text);

} // namespace korvid::history
