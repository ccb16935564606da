#pragma once
// The v7/v8 client's lines, one at a time: what each says as far as cutting units goes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <cstring>
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

enum class TLogDialect { Classic, Client };

// From the first time-stamped line: "[HH:MM:SS]" is the v5/v6 client, "HH:MM:SS:" or a
// "Log Started" banner the v7/v8 client. Classic when neither shows near the start.
[[nodiscard]] TLogDialect DetectDialect(std::string_view content);

// Whether a line is written by the v7/v8 client: a client time stamp or a dating banner.
[[nodiscard]] bool IsClientLine(std::string_view line);

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

// Lines end at CR LF, a lone CR or a lone LF.
class TLineCursor {
public:
    explicit TLineCursor(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        const char* data = m_text.data();
        if (m_nextLf < m_pos || m_nextLf == std::string_view::npos) {
            const void* lf = std::memchr(data + m_pos, '\n', m_text.size() - m_pos);
            m_nextLf = lf == nullptr
                           ? m_text.size()
                           : static_cast<std::size_t>(static_cast<const char*>(lf) - data);
        }
        std::size_t end = m_nextLf;
        if (const void* cr = std::memchr(data + m_pos, '\r', end - m_pos))
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
        line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (end < m_text.size() && m_text[end] == '\r' && m_pos < m_text.size() &&
            m_text[m_pos] == '\n')
            ++m_pos;
        return true;
    }

    // Where the next line starts.
    [[nodiscard]] std::size_t Pos() const { return std::min(m_pos, m_text.size()); }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_nextLf = std::string_view::npos;
};

} // namespace korvid::workunits
