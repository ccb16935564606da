#include "workunits/client_log.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <unordered_map>

#include "util/date_time.h"
#include "workunits/text_arena.h"

namespace korvid::workunits {
namespace {

constexpr std::string_view PathLabel = "- FahLog Path: ";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

// Digits at text[at..at+count), as a number; -1 when any is not a digit.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The run of digits at pos, moving pos past it; none when there is none or it does not fit.
// Every progress line goes through here three times: nine digits and fewer cannot overflow.
std::optional<int> NumberAt(std::string_view text, std::size_t& pos)
{
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < 9)
        value = value * 10 + (text[pos++] - '0');
    if (pos == start)
        return std::nullopt;
    if (pos == text.size() || !IsDigit(text[pos]))
        return value;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + pos, value);
    if (error != std::errc{})
        return std::nullopt;
    return value;
}

bool Skip(std::string_view text, std::size_t& pos, std::string_view literal)
{
    if (pos > text.size() || text.size() - pos < literal.size())
        return false;
    for (std::size_t i = 0; i < literal.size(); ++i)
        if (text[pos + i] != literal[i])
            return false;
    pos += literal.size();
    return true;
}

int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Two hexadecimal digits at text[at]; -1 when they are not.
int HexPair(std::string_view text, std::size_t at)
{
    if (at + 2 > text.size())
        return -1;
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// "0x" and two hexadecimal digits, as the client names a core.
int CoreField(std::string_view field)
{
    return field.size() == 4 && field[0] == '0' && field[1] == 'x' ? HexPair(field, 2) : -1;
}

std::optional<double> DateTimeOf(int year, int month, int day, int hour, int minute, int second)
{
    const auto date = util::EncodeDate(year, month, day);
    const auto time = util::EncodeTime(hour, minute, second);
    if (!date || !time)
        return std::nullopt;
    return *date + *time;
}

// "2014-07-25T13:57:36" (a "Z" may follow) or "19/May/2011-18:05:03", as the banners write it.
std::optional<double> BannerDateTime(std::string_view text)
{
    if (text.size() >= 19 && text[4] == '-' && text[7] == '-' && text[10] == 'T' &&
        text[13] == ':' && text[16] == ':')
        return DateTimeOf(DigitsAt(text, 0, 4), DigitsAt(text, 5, 2), DigitsAt(text, 8, 2),
                          DigitsAt(text, 11, 2), DigitsAt(text, 14, 2), DigitsAt(text, 17, 2));
    static constexpr std::array<std::string_view, 12> Months = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() >= 20 && text[2] == '/' && text[6] == '/' && text[11] == '-' &&
        text[14] == ':' && text[17] == ':') {
        for (std::size_t m = 0; m < Months.size(); ++m)
            if (text.substr(3, 3) == Months[m])
                return DateTimeOf(DigitsAt(text, 7, 4), static_cast<int>(m) + 1,
                                  DigitsAt(text, 0, 2), DigitsAt(text, 12, 2),
                                  DigitsAt(text, 15, 2), DigitsAt(text, 18, 2));
    }
    return std::nullopt;
}

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

// "*** Log Started ... ***", "*** Log Rotated ... ***", "*** Date: 2015-12-08 ***".
bool ReadBanner(std::string_view line, TClientLine& out)
{
    std::size_t pos = line.find_first_not_of('*');
    if (pos == std::string_view::npos || line[pos] != ' ')
        return false;
    ++pos;
    if (Skip(line, pos, "Log Started ") || Skip(line, pos, "Log Rotated ")) {
        out.At = BannerDateTime(line.substr(pos));
    } else if (Skip(line, pos, "Date: ") && line.size() >= pos + 10 && line[pos + 4] == '-' &&
               line[pos + 7] == '-') {
        out.Day = util::EncodeDate(DigitsAt(line, pos, 4), DigitsAt(line, pos + 5, 2),
                                   DigitsAt(line, pos + 8, 2));
    }
    if (!out.At && !out.Day)
        return false;
    out.Event = TEvent::Dating;
    return true;
}

// The position after the time stamp, or 0 when the line has none.
std::size_t ReadStamp(std::string_view line, TClientLine& out)
{
    auto time = [&](std::size_t at) -> bool {
        if (line.size() < at + 9 || line[at + 2] != ':' || line[at + 5] != ':' ||
            line[at + 8] != ':')
            return false;
        const int h = DigitsAt(line, at, 2);
        const int m = DigitsAt(line, at + 3, 2);
        const int s = DigitsAt(line, at + 6, 2);
        if (h < 0 || m < 0 || s < 0)
            return false;
        out.Time = util::EncodeTime(h, m, s);
        return out.Time.has_value();
    };
    if (time(0))
        return 9;
    // 8.1.5 and 8.1.6 wrote the day too.
    if (line.size() >= 20 && line[4] == '-' && line[7] == '-' && line[10] == ':' && time(11)) {
        const auto date =
            util::EncodeDate(DigitsAt(line, 0, 4), DigitsAt(line, 5, 2), DigitsAt(line, 8, 2));
        if (date) {
            out.At = *date + *out.Time;
            out.Time.reset();
            return 20;
        }
        out.Time.reset();
    }
    return 0;
}

bool IsLevel(std::string_view field)
{
    return field.size() == 2 && std::strchr("IDWE", field[0]) != nullptr && field[0] != 0 &&
           (IsDigit(field[1]) || field[1] == ' ');
}

// The fields between the stamp and the text: v7 "[WARNING:]WU02:FS01[:0x17]:", early v7
// "Unit 01:", v8 "I1:[group or thread:]WU44:". Returns where the text starts.
std::size_t ReadFields(std::string_view line, std::size_t pos, TClientLine& out)
{
    const std::size_t afterStamp = pos;
    bool level = false;
    for (int f = 0; f < 4; ++f) {
        const std::size_t colon = line.find(':', pos);
        if (colon == std::string_view::npos || colon - pos > 24)
            break;
        const std::string_view field = line.substr(pos, colon - pos);
        if (field.size() > 2 && field.starts_with("WU") && AllDigits(field.substr(2))) {
            out.Unit = field.substr(2);
            pos = colon + 1;
            const std::size_t slotEnd = line.find(':', pos);
            if (slotEnd != std::string_view::npos) {
                const std::string_view slot = line.substr(pos, slotEnd - pos);
                if (slot.size() > 2 && slot.starts_with("FS") && AllDigits(slot.substr(2))) {
                    out.Slot = slot.substr(2);
                    pos = slotEnd + 1;
                    const std::size_t coreEnd = line.find(':', pos);
                    if (coreEnd != std::string_view::npos) {
                        const int core = CoreField(line.substr(pos, coreEnd - pos));
                        if (core >= 0) {
                            out.Core = core;
                            pos = coreEnd + 1;
                        }
                    }
                }
            }
            return pos;
        }
        if (field.starts_with("Unit ") && field.size() <= 8 && AllDigits(field.substr(5))) {
            out.Unit = field.substr(5);
            return colon + 1;
        }
        if (f == 0 && (field == "WARNING" || field == "ERROR" || IsLevel(field))) {
            level = IsLevel(field);
            pos = colon + 1;
            continue;
        }
        // v8 puts a group or a thread name, or nothing, before the unit.
        if (level && field.find(' ') == std::string_view::npos) {
            pos = colon + 1;
            continue;
        }
        break;
    }
    return afterStamp;
}

// "Project: 13001 (Run 416, Clone 1, Gen 32)"
bool ReadProject(std::string_view text, std::array<int, 4>& prcg)
{
    std::size_t pos = 0;
    std::optional<int> p, r, c, g;
    if (!Skip(text, pos, "Project: ") || !(p = NumberAt(text, pos)) || !Skip(text, pos, " (Run ") ||
        !(r = NumberAt(text, pos)) || !Skip(text, pos, ", Clone ") || !(c = NumberAt(text, pos)) ||
        !Skip(text, pos, ", Gen ") || !(g = NumberAt(text, pos)) || !Skip(text, pos, ")"))
        return false;
    prcg = {*p, *r, *c, *g};
    return true;
}

// The number after the first "name:" of a "Received Unit: id:00 ... project:13127 run:53" line.
std::optional<int> KeyNumber(std::string_view text, std::string_view name)
{
    const auto at = text.find(name);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t pos = at + name.size();
    return NumberAt(text, pos);
}

// "Received WU P19227 R4611 C2 G1"
bool ReadLetteredPrcg(std::string_view text, std::array<int, 4>& prcg)
{
    std::size_t pos = 0;
    std::array<int, 4> values{};
    static constexpr char Letters[4] = {'P', 'R', 'C', 'G'};
    for (int i = 0; i < 4; ++i) {
        if (!Skip(text, pos, std::string_view(&Letters[i], 1)))
            return false;
        const auto value = NumberAt(text, pos);
        if (!value)
            return false;
        values[static_cast<std::size_t>(i)] = *value;
        if (i < 3 && !Skip(text, pos, " "))
            return false;
    }
    prcg = values;
    return true;
}

// The percentage of "Completed 250000 out of 5000000 steps (5%)" or "Completed 5%". Nothing
// else is taken: two slots' lines run together must not lend one the other's frame.
bool ReadProgress(std::string_view text, int& frame)
{
    std::size_t pos = 10; // after "Completed "
    auto percentAtEnd = [&] {
        const auto value = NumberAt(text, pos);
        if (!value || !Skip(text, pos, "%"))
            return false;
        const auto rest = text.substr(pos);
        if (!rest.empty() && rest != ")" && rest != ")." && rest != ".")
            return false;
        frame = *value;
        return true;
    };
    if (!NumberAt(text, pos))
        return false;
    if (Skip(text, pos, "%")) {
        pos = 10;
        return percentAtEnd();
    }
    if (!Skip(text, pos, " out of ") || !NumberAt(text, pos) || !Skip(text, pos, " steps "))
        return false;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    return Skip(text, pos, "(") && percentAtEnd() && text.substr(pos).starts_with(")");
}

void ReadEvent(std::string_view text, TClientLine& out)
{
    if (text.starts_with("Completed ")) {
        if (ReadProgress(text, out.Frame))
            out.Event = TEvent::Progress;
    } else if (text.starts_with("Project: ")) {
        if (ReadProject(text, out.Prcg))
            out.Event = TEvent::Project;
    } else if (text.starts_with("Received Unit: ")) {
        const auto p = KeyNumber(text, " project:");
        const auto r = KeyNumber(text, " run:");
        const auto c = KeyNumber(text, " clone:");
        const auto g = KeyNumber(text, " gen:");
        if (p && r && c && g) {
            out.Event = TEvent::Received;
            out.Prcg = {*p, *r, *c, *g};
            if (const auto at = text.find(" core:0x"); at != std::string_view::npos)
                out.Core = HexPair(text, at + 8);
            // Early v7 names the unit only here.
            if (out.Unit.empty())
                if (const auto at = text.find("id:"); at == 15) {
                    std::size_t end = at + 3;
                    while (end < text.size() && IsDigit(text[end]))
                        ++end;
                    out.Unit = text.substr(at + 3, end - at - 3);
                }
        }
    } else if (text.starts_with("Received WU P")) {
        if (ReadLetteredPrcg(text.substr(12), out.Prcg))
            out.Event = TEvent::Received;
    } else if (text == "Starting") {
        out.Event = TEvent::Start;
    } else if (text.starts_with("Starting Unit ")) {
        const auto digits = text.substr(14);
        if (AllDigits(digits) && digits.size() <= 3) {
            out.Event = TEvent::Start;
            if (out.Unit.empty())
                out.Unit = digits;
        }
    } else if (text.starts_with("Running FahCore: ") || text.starts_with("Running core: ")) {
        out.Event = TEvent::Start;
        if (const auto at = text.find("FahCore_"); at != std::string_view::npos)
            out.Core = HexPair(text, at + 8);
    } else if (text.starts_with("FahCore 0x") && text.ends_with(" started")) {
        out.Core = HexPair(text, 10);
        if (out.Core >= 0)
            out.Event = TEvent::Core;
    } else if (text.starts_with("FahCore returned: ") || text.starts_with("Core returned ")) {
        out.Event = TEvent::Result;
        const auto word = text.substr(text.find_first_of(": ", 12) + 1);
        const auto first = word.find_first_not_of(' '); // a cut line may end before the word
        out.Interrupted =
            first != std::string_view::npos && word.substr(first).starts_with("INTERRUPTED");
    } else if (text.starts_with("FahCore, running Unit ")) {
        std::size_t pos = 22;
        const std::size_t start = pos;
        if (NumberAt(text, pos) && Skip(text, pos, ", returned: ")) {
            out.Event = TEvent::Result;
            out.Interrupted = text.substr(pos).starts_with("INTERRUPTED");
            if (out.Unit.empty())
                out.Unit = text.substr(start, pos - 12 - start);
        }
    } else {
        const auto first = text.find_first_not_of(' ');
        if (first != std::string_view::npos && text.substr(first).starts_with("Type: 0x")) {
            out.Core = HexPair(text, first + 8);
            if (out.Core >= 0 && text.size() == first + 10)
                out.Event = TEvent::Core;
        }
    }
}

// Linux clients colour warnings and errors: "ESC[93m...ESC[0m". Some copies of such logs hold
// the escape written out as the four characters \x1b.
std::size_t ColourLength(std::string_view text, std::size_t at)
{
    std::size_t pos = at;
    if (!Skip(text, pos, "\x1b[") && !Skip(text, pos, "\\x1b["))
        return 0;
    while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == ';'))
        ++pos;
    return pos < text.size() && text[pos] == 'm' ? pos + 1 - at : 0;
}

std::string_view WithoutColour(std::string_view line)
{
    line.remove_prefix(ColourLength(line, 0));
    for (const std::string_view reset : {std::string_view("\x1b[0m"), std::string_view("\\x1b[0m")})
        if (line.ends_with(reset))
            line.remove_suffix(reset.size());
    return line;
}

TClientLine ReadClientLine(std::string_view line)
{
    TClientLine out;
    line = WithoutColour(line);
    if (line.empty())
        return out;
    if (line[0] == '*') {
        ReadBanner(line, out);
        return out;
    }
    const std::size_t afterStamp = ReadStamp(line, out);
    if (afterStamp == 0)
        return out;
    ReadEvent(line.substr(ReadFields(line, afterStamp, out)), out);
    return out;
}

// A client log's calendar: the banners give the day, the stamps the time of day. Midnight is
// seen as the time of day going back by more than half a day; less is a clock set back.
class TClientClock {
public:
    void Banner(const TClientLine& line)
    {
        if (line.At) {
            m_last = *line.At;
            m_day = 0;
        } else if (line.Day) {
            m_day = *line.Day;
        }
    }

    // The date-time of a line with a stamp.
    double Timed(const TClientLine& line)
    {
        if (line.At) {
            m_last = *line.At;
            m_day = 0;
            return m_last;
        }
        const double base = util::DateOf(m_last);
        double at = 0;
        if (m_day != 0 && m_day != base) {
            at = m_day + *line.Time; // the log's own day wins
        } else {
            at = base + *line.Time;
            if (at < m_last - 0.5)
                at += 1;
        }
        m_day = 0;
        m_last = at;
        return at;
    }

    [[nodiscard]] double Last() const { return m_last; }

private:
    double m_last = 0;
    double m_day = 0; // a "Date:" banner not yet applied
};

std::string KeyOf(const TClientLine& line)
{
    std::string key(line.Slot);
    key += ':';
    key += line.Unit;
    return key;
}

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

// What a line said that building its unit needs, kept while the log is cut so that the unit
// does not parse each line a second time. The few lines whose unit needs more are read again.
struct TSeen {
    enum : std::uint8_t { Time = 1, At = 2, Day = 4, Slot = 8, Again = 16 };
    double Value = 0; // the one of Time, At, Day the line has
    int Frame = -1;
    std::int16_t Core = -1;
    TEvent Event = TEvent::None;
    std::uint8_t Has = 0;
};

TSeen Seen(const TClientLine& line)
{
    TSeen seen;
    seen.Event = line.Event;
    seen.Frame = line.Frame;
    seen.Core = static_cast<std::int16_t>(line.Core);
    int clocks = 0;
    for (const auto& [value, bit] :
         {std::pair{&line.Time, TSeen::Time}, std::pair{&line.At, TSeen::At},
          std::pair{&line.Day, TSeen::Day}})
        if (*value) {
            seen.Value = **value;
            seen.Has |= bit;
            ++clocks;
        }
    if (!line.Slot.empty())
        seen.Has |= TSeen::Slot;
    if (clocks > 1 || line.HasPrcg() || line.Event == TEvent::Project ||
        line.Event == TEvent::Received)
        seen.Has |= TSeen::Again;
    return seen;
}

// The line as ReadClientLine gives it, without its slot, unit and PRCG.
TClientLine FromSeen(const TSeen& seen)
{
    TClientLine line;
    line.Event = seen.Event;
    line.Frame = seen.Frame;
    line.Core = seen.Core;
    if (seen.Has & TSeen::Time)
        line.Time = seen.Value;
    if (seen.Has & TSeen::At)
        line.At = seen.Value;
    if (seen.Has & TSeen::Day)
        line.Day = seen.Value;
    return line;
}

// The unit is read from its text alone, whether it was just cut from a log or stored: both
// give the same unit. seen, when given, holds what the last lines said, one for each.
std::unique_ptr<TWU> BuildUnit(const std::vector<std::string_view>& lines, TTextArena& arena,
                               std::vector<TStep>& spareSteps,
                               const std::vector<TSeen>* seen = nullptr)
{
    auto wu = std::make_unique<TWU>();
    wu->Steps.Recycle(std::move(spareSteps));
    TClientClock clock;
    const std::size_t firstSeen = seen != nullptr ? lines.size() - seen->size() : lines.size();
    // A text that begins with a banner and holds a log-path line: the lines before that line
    // only date the unit.
    bool bridging = !lines.empty() && ReadClientLine(lines.front()).Event == TEvent::Dating;
    bool pathSeen = false;
    for (const std::string_view text : lines)
        pathSeen = pathSeen || text.starts_with(PathLabel);
    bridging = bridging && pathSeen;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i];
        arena.Append(text);
        arena.Append("\r\n");
        if (text.starts_with(PathLabel)) {
            wu->LogPath = text.substr(PathLabel.size());
            bridging = false;
            continue;
        }
        const TSeen* known = i >= firstSeen ? &(*seen)[i - firstSeen] : nullptr;
        const TClientLine line = known != nullptr && !(known->Has & TSeen::Again) &&
                                         !(wu->Slot.empty() && (known->Has & TSeen::Slot))
                                     ? FromSeen(*known)
                                     : ReadClientLine(text);
        if (bridging) {
            if (line.Event == TEvent::Dating)
                clock.Banner(line);
            else if (line.Timed())
                clock.Timed(line);
            continue;
        }
        if (line.Event == TEvent::Dating) {
            clock.Banner(line);
            continue;
        }
        if (!line.Timed())
            continue;
        // Lines that say nothing of a unit only date the ones after them.
        const double at = clock.Timed(line);
        if (line.Event == TEvent::None)
            continue;
        if (wu->Slot.empty() && !line.Slot.empty())
            wu->Slot = "FS" + std::string(line.Slot);
        if (line.Core >= 0 && (wu->Core == core::None || wu->Core == core::Placeholder))
            wu->SetCore(static_cast<std::uint16_t>(line.Core));
        switch (line.Event) {
        case TEvent::Progress:
            if (wu->Core == core::None)
                wu->SetCore(core::Placeholder);
            wu->AppendStep(at, line.Frame);
            continue;
        case TEvent::Project:
        case TEvent::Received:
            wu->Project = line.Prcg[0];
            wu->Run = line.Prcg[1];
            wu->Clone = line.Prcg[2];
            wu->Gen = line.Prcg[3];
            break;
        case TEvent::Start:
            if (!wu->Steps.Empty())
                wu->Steps.Back().RestartAfter = true;
            wu->StartTime = at;
            break;
        case TEvent::Result:
            wu->ShutdownLine = text;
            break;
        default:
            break;
        }
        wu->LastTime = wu->EndTime = at;
    }
    wu->Text = arena.Seal();
    return wu;
}

// A line a unit is cut by: one that names its unit and says something of it, or the core line
// of early v7 that names no unit.
bool IsOwn(const TClientLine& line)
{
    return line.Event != TEvent::None && line.Event != TEvent::Dating &&
           (!line.Unit.empty() || line.Event == TEvent::Core);
}

bool PrcgDiffers(const std::array<int, 4>& known, const TClientLine& line)
{
    return known[0] >= 0 && line.HasPrcg() && known != line.Prcg;
}

// A unit being cut out of a whole log.
struct TCut {
    std::string Key;
    std::vector<std::string_view> Lines; // its own lines and the banners among them
    std::vector<TSeen> Said;             // what each of Lines said
    std::vector<std::string_view> Head;  // the lines that date its first line, if any
    std::size_t BannersSeen = 0;
    std::array<int, 4> Prcg = {-1, -1, -1, -1};
    std::size_t Index = 0; // in the list of cuts
};

// Whether reading the banner, the lines after it and then the line gives the line the date the
// whole log gave it.
bool Dates(const std::vector<std::string_view>& head, const TClientLine& line, double at)
{
    TClientClock clock;
    for (const std::string_view text : head) {
        const TClientLine dating = ReadClientLine(text);
        if (dating.Event == TEvent::Dating)
            clock.Banner(dating);
        else if (dating.Timed())
            clock.Timed(dating);
    }
    return clock.Timed(line) == at;
}

// A quarter of a day: two lines that far apart cannot hide a midnight from the clock.
constexpr double BridgeGap = 0.25;

} // namespace

bool IsClientLine(std::string_view line)
{
    TClientLine out;
    line = WithoutColour(line);
    if (!line.empty() && line[0] == '*')
        return ReadBanner(line, out);
    return ReadStamp(line, out) != 0;
}

TLogDialect DetectDialect(std::string_view content)
{
    constexpr std::size_t Look = std::size_t{4} << 20;
    TLineCursor lines(content);
    std::string_view line;
    while (lines.Pos() < Look && lines.Next(line)) {
        if (line.size() >= 10 && line[0] == '[' && line[3] == ':' && line[6] == ':' &&
            line[9] == ']')
            return TLogDialect::Classic;
        if (IsClientLine(line))
            return TLogDialect::Client;
    }
    return TLogDialect::Classic;
}

void ReadClientLog(std::string_view content, std::string_view logPath, TTextArena& arena,
                   const TTakeUnit& take)
{
    std::vector<std::unique_ptr<TCut>> cuts; // in the order they opened; closed ones are gone
    std::unordered_map<std::string, TCut*> open;
    std::vector<std::string_view> banners;
    std::vector<TSeen> bannersSaid;
    // The last banner and, after it, the first line that speaks of no unit and one such line a
    // quarter of a day after the one before: enough to date any line that follows.
    std::vector<std::string_view> bridge;
    double bridgeAt = 0;
    std::string_view latest; // the last such line since the last bridge line
    double latestAt = 0;
    std::string lastStarted; // early v7 names no unit on its core line
    TClientClock clock;

    const std::string pathLine = std::string(PathLabel) + std::string(logPath);
    const bool pathFits = !logPath.empty() && logPath.find_first_of("\r\n") == std::string::npos;
    std::vector<std::string_view> lines;
    // Line lists of closed units, kept for the next ones: a fresh list for each unit made most of
    // the reading time page faults and malloc.
    std::vector<std::pair<std::vector<std::string_view>, std::vector<TSeen>>> spare;
    std::vector<TStep> spareSteps;
    // A unit is built as soon as it closes, while its lines are still in the cache.
    auto build = [&](std::unique_ptr<TCut>& owner) {
        TCut& cut = *owner;
        const std::vector<std::string_view>* own = &cut.Lines;
        // The log-path line ends the lines that only date the unit.
        if (!cut.Head.empty() && pathFits) {
            lines.assign(cut.Head.begin(), cut.Head.end());
            lines.push_back(pathLine);
            lines.insert(lines.end(), cut.Lines.begin(), cut.Lines.end());
            own = &lines;
        }
        auto wu = BuildUnit(*own, arena, spareSteps, &cut.Said);
        if (!logPath.empty())
            wu->LogPath = logPath;
        cut.Lines.clear();
        cut.Said.clear();
        spare.push_back({std::move(cut.Lines), std::move(cut.Said)});
        owner.reset();
        spareSteps = take(std::move(wu));
    };
    auto finish = [&](TCut* cut) {
        open.erase(cut->Key);
        build(cuts[cut->Index]);
    };

    TLineCursor cursor(content);
    std::string_view text;
    std::string key;
    while (cursor.Next(text)) {
        if (text.empty() ||
            (text[0] != '*' && !IsDigit(text[0]) && text[0] != '\\' && text[0] != '\x1b'))
            continue;
        const TClientLine line = ReadClientLine(text);
        if (line.Event == TEvent::Dating) {
            clock.Banner(line);
            banners.push_back(text);
            bannersSaid.push_back(Seen(line));
            bridge.assign(1, text);
            latest = {};
            continue;
        }
        if (!line.Timed())
            continue;
        const double at = clock.Timed(line);
        // Each bridge line less than a quarter of a day after the one before, as far as the
        // log has such lines.
        auto extendBridge = [&] {
            if (bridge.empty())
                return;
            if (bridge.size() > 1 && at >= bridgeAt + BridgeGap && !latest.empty()) {
                bridge.push_back(latest);
                bridgeAt = latestAt;
                latest = {};
            }
            if (bridge.size() == 1 || at >= bridgeAt + BridgeGap) {
                bridge.push_back(text);
                bridgeAt = at;
                latest = {};
            } else {
                latest = text;
                latestAt = at;
            }
        };
        if (line.Event == TEvent::None) {
            extendBridge();
            continue;
        }
        if (!line.Unit.empty())
            key = KeyOf(line);
        else if (line.Event == TEvent::Core && !lastStarted.empty())
            key = lastStarted;
        else {
            extendBridge();
            continue;
        }
        if (line.Event == TEvent::Start)
            lastStarted = key;

        TCut* cut = nullptr;
        if (const auto it = open.find(key); it != open.end())
            cut = it->second;
        if (cut != nullptr && PrcgDiffers(cut->Prcg, line))
            finish(cut), cut = nullptr; // the slot moved on to another unit
        if (cut == nullptr) {
            cut = cuts.emplace_back(std::make_unique<TCut>()).get();
            cut->Index = cuts.size() - 1;
            if (!spare.empty()) {
                cut->Lines = std::move(spare.back().first);
                cut->Said = std::move(spare.back().second);
                spare.pop_back();
            }
            cut->Key = key;
            cut->BannersSeen = banners.size();
            if (!bridge.empty() && Dates(bridge, line, at))
                cut->Head = bridge;
            open.emplace(key, cut);
        }
        for (std::size_t b = cut->BannersSeen; b < banners.size(); ++b) {
            cut->Lines.push_back(banners[b]);
            cut->Said.push_back(bannersSaid[b]);
        }
        cut->BannersSeen = banners.size();
        cut->Lines.push_back(text);
        cut->Said.push_back(Seen(line));
        if (cut->Prcg[0] < 0 && line.HasPrcg())
            cut->Prcg = line.Prcg;
        if (line.Event == TEvent::Result && !line.Interrupted)
            finish(cut);
        extendBridge();
    }
    for (auto& cut : cuts)
        if (cut)
            build(cut);
}

void ReadClientTexts(std::string_view content, TTextArena& arena, const TTakeUnit& take)
{
    // The lines a unit text can hold, with what they say.
    struct TKept {
        std::string_view Text;
        TClientLine Line;
        bool Path = false;
    };
    std::vector<TKept> kept;
    TLineCursor cursor(content);
    std::string_view text;
    while (cursor.Next(text)) {
        if (text.starts_with(PathLabel)) {
            kept.push_back({text, {}, true});
            continue;
        }
        const TClientLine line = ReadClientLine(text);
        if (line.Event == TEvent::Dating || line.Timed())
            kept.push_back({text, line, false});
    }

    struct TText {
        std::vector<std::string_view> Lines;
        std::string Key;
        std::array<int, 4> Prcg = {-1, -1, -1, -1};
        bool Closed = false;
    };
    std::optional<TText> current;
    std::vector<TStep> spareSteps;
    auto startsText = [&](const TClientLine& line) {
        return !current || current->Closed ||
               (!line.Unit.empty() && !current->Key.empty() && KeyOf(line) != current->Key) ||
               PrcgDiffers(current->Prcg, line);
    };
    auto begin = [&] {
        if (current)
            spareSteps = take(BuildUnit(current->Lines, arena, spareSteps));
        current.emplace();
    };
    // Where the next log-path line and the next banner are, from each kept line on.
    std::vector<std::size_t> nextPath(kept.size() + 1, kept.size());
    std::vector<std::size_t> nextBanner(kept.size() + 1, kept.size());
    for (std::size_t i = kept.size(); i-- > 0;) {
        nextPath[i] = kept[i].Path ? i : nextPath[i + 1];
        nextBanner[i] = kept[i].Line.Event == TEvent::Dating ? i : nextBanner[i + 1];
    }
    bool bridging = false;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const TKept& k = kept[i];
        if (k.Path) {
            if (!current)
                begin();
            bridging = false;
        } else if (k.Line.Event == TEvent::Dating) {
            // A banner opens a text when a log-path line comes before the next banner: the
            // lines between date the unit. Inside a text it comes right before one of its lines.
            const bool head = nextPath[i + 1] < nextBanner[i + 1];
            const TKept* next = i + 1 < kept.size() ? &kept[i + 1] : nullptr;
            if (!current || head ||
                (next != nullptr && IsOwn(next->Line) && startsText(next->Line)))
                begin();
            bridging = head;
        } else if (bridging || !IsOwn(k.Line)) {
            if (!current)
                begin();
        } else {
            if (startsText(k.Line))
                begin();
            if (current->Key.empty() && !k.Line.Unit.empty())
                current->Key = KeyOf(k.Line);
            if (current->Prcg[0] < 0 && k.Line.HasPrcg())
                current->Prcg = k.Line.Prcg;
            if (k.Line.Event == TEvent::Result && !k.Line.Interrupted)
                current->Closed = true;
        }
        current->Lines.push_back(k.Text);
    }
    if (current)
        take(BuildUnit(current->Lines, arena, spareSteps));
}

std::vector<TTextRun> SplitStoredText(std::string_view content)
{
    enum class TKind : std::uint8_t { Classic, Client, Path };
    struct TSpan {
        std::size_t Begin;
        TKind Kind;
    };
    std::vector<TSpan> spans;
    bool anyClient = false;
    TLineCursor cursor(content);
    std::string_view line;
    std::size_t begin = 0;
    while (cursor.Next(line)) {
        TKind kind = TKind::Classic;
        if (line.starts_with(PathLabel))
            kind = TKind::Path;
        else if (IsClientLine(line))
            kind = TKind::Client;
        else if (line.empty() && !spans.empty())
            kind = spans.back().Kind; // an empty line splits nothing
        anyClient = anyClient || kind == TKind::Client;
        spans.push_back({begin, kind});
        begin = cursor.Pos();
    }
    if (!anyClient)
        return {{content, false}};
    // A client unit's log-path line stands between two of its lines; any other belongs to a
    // v5/v6 unit.
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (spans[i].Kind == TKind::Path)
            spans[i].Kind = i > 0 && i + 1 < spans.size() && spans[i - 1].Kind == TKind::Client &&
                                    spans[i + 1].Kind == TKind::Client
                                ? TKind::Client
                                : TKind::Classic;
    std::vector<TTextRun> runs;
    for (std::size_t i = 0; i < spans.size();) {
        std::size_t j = i + 1;
        while (j < spans.size() && spans[j].Kind == spans[i].Kind)
            ++j;
        const std::size_t end = j < spans.size() ? spans[j].Begin : content.size();
        runs.push_back(
            {content.substr(spans[i].Begin, end - spans[i].Begin), spans[i].Kind == TKind::Client});
        i = j;
    }
    return runs;
}

} // namespace korvid::workunits
