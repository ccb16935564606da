#pragma once
// The v7/v8 client's lines, one at a time: what each says as far as cutting units goes.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvid::workunits {

enum class TEvent : std::uint8_t { None, Dating, Progress, Project, Received, Start, Core, Result };

// What a line says, as far as cutting units goes. Views into the line.
struct TClientLine {
    TEvent Event = TEvent::None;
    std::optional<double> Time; // time of day of "HH:MM:SS:"
    std::optional<double> At;   // a whole date-time: a banner or a "YYYY-MM-DD:HH:MM:SS:" stamp
    std::optional<double> Day;  // a "Date:" banner
    std::string_view Unit;      // digits of WU02 / Unit 01
    std::string_view Slot;      // digits of FS01
    int Core = -1;              // a core code the line names
    int Frame = -1;
    std::array<int, 4> Prcg = {-1, -1, -1, -1};
    bool Interrupted = false;

    [[nodiscard]] bool Timed() const { return Time || (At && Event != TEvent::Dating); }
    [[nodiscard]] bool HasPrcg() const { return Prcg[0] >= 0; }
};

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "*** Log Started ... ***", "*** Log Rotated ... ***", "*** Date: 2015-12-08 ***".
[[nodiscard]] bool ReadBanner(std::string_view line, TClientLine& out);
// The position after the time stamp, or 0 when the line has none.
[[nodiscard]] std::size_t ReadStamp(std::string_view line, TClientLine& out);
[[nodiscard]] std::string_view WithoutColour(std::string_view line);
[[nodiscard]] TClientLine ReadClientLine(std::string_view line);

} // namespace korvid::workunits
