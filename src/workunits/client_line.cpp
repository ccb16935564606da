#include "workunits/client_line.h"

#include <charconv>
#include <cstring>
#include <string>

#include "util/date_time.h"

namespace korvid::workunits {
namespace {

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

// Moves pos past a run of digits that NumberAt would read; false, pos left, when it would not.
// Most numbers of a progress line are only checked, not used.
bool SkipNumber(std::string_view text, std::size_t& pos)
{
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    if (end == pos)
        return false;
    if (end - pos > 9) // may not fit
        return NumberAt(text, pos).has_value();
    pos = end;
    return true;
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
        // Fields are short: a loop finds their end sooner than a call would.
        std::size_t colon = pos;
        while (colon < line.size() && colon - pos <= 24 && line[colon] != ':')
            ++colon;
        if (colon == line.size() || colon - pos > 24)
            break;
        const std::string_view field = line.substr(pos, colon - pos);
        if (field.size() > 2 && field.starts_with("WU") && AllDigits(field.substr(2))) {
            out.Unit = field.substr(2);
            pos = colon + 1;
            // "FS" and digits up to a colon, then maybe "0x", two hexadecimal digits and one.
            std::size_t slotEnd = pos + 2;
            if (line.substr(pos, 2) != "FS")
                return pos;
            while (slotEnd < line.size() && IsDigit(line[slotEnd]))
                ++slotEnd;
            if (slotEnd == pos + 2 || slotEnd == line.size() || line[slotEnd] != ':')
                return pos;
            out.Slot = line.substr(pos + 2, slotEnd - pos - 2);
            pos = slotEnd + 1;
            if (line.size() > pos + 4 && line[pos + 4] == ':') {
                const int core = CoreField(line.substr(pos, 4));
                if (core >= 0) {
                    out.Core = core;
                    pos += 5;
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
    if (!SkipNumber(text, pos))
        return false;
    if (Skip(text, pos, "%")) {
        pos = 10;
        return percentAtEnd();
    }
    if (!Skip(text, pos, " out of ") || !SkipNumber(text, pos) || !Skip(text, pos, " steps "))
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

} // namespace

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

} // namespace korvid::workunits
