// How one kept log line changes its work unit.
#include "workunits/wu.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

#include "regex/regex.h"
#include "util/date_time.h"

namespace korvid::workunits {
namespace {

using regex::TRegex;

#define KORVID_STAMP "\\[[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] "

enum class TRow {
    Progress,
    Frame,
    StartLine,
    CoreRequired,
    Protein,
    System,
    Sigterm,
    UserName,
    UserID,
    MachineID,
    LogPath,
    Run,
    Project,
    FramesCompleted,
    Converged,
    Tinker,
    Shutdown,
    QueueSlot,
    OpeningLog,
    ProgressPercent,
    ProgressSpaced,
    CoreRequiredInLine,
};

struct TRowPattern {
    TRow Row;
    // Every match holds this text: lines without it skip the pattern at the cost of a memchr.
    std::string_view MustHold;
    TRegex Pattern;
};

struct TPatterns {
    TRowPattern Rows[22] = {
        {TRow::Progress, " out of ",
         TRegex(KORVID_STAMP "Completed [0-9]+ out of [0-9]+ steps[ ]+\\([0-9]+[%]{0,1}\\)")},
        {TRow::Frame, "Finished a frame (", TRegex(KORVID_STAMP "Finished a frame \\([0-9]+\\)")},
        // The row's own "\[.*\]" tail is tested apart: a greedy ".*" would rescan long lines.
        {TRow::StartLine, "Working on Unit ", TRegex(KORVID_STAMP "Working on Unit [0-9]{2} \\[")},
        {TRow::CoreRequired, "Core required: FahCore_",
         TRegex(KORVID_STAMP "Core required: FahCore_[A-Za-z0-9]{2}.exe")},
        {TRow::Protein, "Protein: ", TRegex(KORVID_STAMP "Protein: [A-Za-z0-9_]*")},
        {TRow::System, "System: ", TRegex(KORVID_STAMP "System: [A-Za-z0-9_]*")},
        {TRow::Sigterm, "Got a SIGTERM signal (",
         TRegex(KORVID_STAMP "\\*\\*\\*\\*\\* Got a SIGTERM signal \\([0-9]+\\)")},
        {TRow::UserName, "- User name: ", TRegex(KORVID_STAMP "- User name: ")},
        {TRow::UserID, "- User ID: ", TRegex(KORVID_STAMP "- User ID: [A-F0-9]+")},
        {TRow::MachineID, "- Machine ID: ", TRegex(KORVID_STAMP "- Machine ID: [0-9]+")},
        {TRow::LogPath, "- FahLog Path: ", TRegex("- FahLog Path: ")},
        {TRow::Run, "- Run: ", TRegex(KORVID_STAMP "- Run: [0-9]+ \\(Clone [0-9]+, Gen [0-9]+\\)")},
        {TRow::Project, "Project: ",
         TRegex(KORVID_STAMP "Project: [0-9]+ \\(Run [0-9]+, Clone [0-9]+, Gen [0-9]+\\)")},
        {TRow::FramesCompleted, "- Frames Completed: ",
         TRegex(KORVID_STAMP "- Frames Completed: [0-9]+, Remaining: [0-9]+")},
        {TRow::Converged, "WF converged, jumping to MD",
         TRegex(KORVID_STAMP "WF converged, jumping to MD")},
        {TRow::Tinker, "TINKER: Software Tools for Molecular Design",
         TRegex(KORVID_STAMP "TINKER: Software Tools for Molecular Design")},
        {TRow::Shutdown, "Folding@home Core Shutdown: ",
         TRegex(KORVID_STAMP "Folding@home Core Shutdown: [A-Za-z_]+")},
        // Later clients: tried after every row above, so the lines those read stay as they were.
        {TRow::QueueSlot, "Working on queue slot ",
         TRegex(KORVID_STAMP "Working on queue slot [0-9]{2} \\[")},
        {TRow::OpeningLog, "--- Opening Log file [", TRegex("--- Opening Log file \\[")},
        // GPU cores: "Completed 12%".
        {TRow::ProgressPercent, "Completed ", TRegex(KORVID_STAMP "Completed [0-9]+%")},
        // GPU3 cores and the "(N percent)" form: the frame is the number in the parentheses.
        {TRow::ProgressSpaced, " out of ",
         TRegex(KORVID_STAMP "Completed[ ]+[0-9]+ out of [0-9]+ steps[ ]+\\([0-9]+")},
        // SMP clients glue a warning in front: "At least 4 processors must be requested.Core
        // required: FahCore_a2.exe".
        {TRow::CoreRequiredInLine, "Core required: FahCore_",
         TRegex("Core required: FahCore_[A-Za-z0-9]{2}.exe")},
    };
    TRegex DateBracket{"\\[[A-Za-z]* [0-9]* [0-9]{2}:[0-9]{2}:[0-9]{2}\\]"};
    // Clients from 6.2 on write the zone before the bracket closes.
    TRegex UtcDateBracket{"\\[[A-Za-z]* [0-9]* [0-9]{2}:[0-9]{2}:[0-9]{2} UTC\\]"};
    TRegex DayInBracket{" [0-9]* "};
    TRegex CoreChars{"[A-Za-z0-9]{2}"};
    TRegex UserIDChars{"[A-F0-9]+"};
    TRegex ProteinProject{"[pP][0-9]*_"};
};

#undef KORVID_STAMP

// Compiled once per program.
const TPatterns& Patterns()
{
    static const TPatterns patterns;
    return patterns;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The part of text that starts at the first occurrence of literal, or after it.
std::string_view From(std::string_view text, std::string_view literal)
{
    const auto at = text.find(literal);
    return at == std::string_view::npos ? std::string_view{} : text.substr(at);
}

std::string_view LastEight(std::string_view line)
{
    return line.substr(line.size() > 8 ? line.size() - 8 : 0);
}

std::string_view After(std::string_view text, std::string_view literal)
{
    const auto at = text.find(literal);
    return at == std::string_view::npos ? std::string_view{} : text.substr(at + literal.size());
}

std::optional<int> ToInt(std::string_view digits, int base = 10)
{
    int value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// The runs of digits of a text, in order, for rows that read several numbers.
class TDigitRuns {
public:
    explicit TDigitRuns(std::string_view text) : m_text(text) {}
    // The next run, or empty when there is none.
    std::string_view Next()
    {
        while (m_pos < m_text.size() && !IsDigit(m_text[m_pos]))
            ++m_pos;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Stores the next run of digits in field; a run that does not fit leaves the field and says so.
void ReadNumber(TDigitRuns& runs, int& field, TParseContext& context)
{
    const std::string_view run = runs.Next();
    if (run.empty())
        return;
    if (const auto value = ToInt(run))
        field = *value;
    else
        context.ConversionFailed = true;
}

// The first three pairs of consecutive digits of text, each search starting after the previous.
std::optional<double> TimeOfDay(std::string_view text)
{
    int parts[3];
    std::size_t pos = 0;
    for (int& part : parts) {
        while (pos + 1 < text.size() && !(IsDigit(text[pos]) && IsDigit(text[pos + 1])))
            ++pos;
        if (pos + 1 >= text.size())
            return std::nullopt;
        part = (text[pos] - '0') * 10 + (text[pos + 1] - '0');
        pos += 2;
    }
    return util::EncodeTime(parts[0], parts[1], parts[2]);
}

// The time stamp of a client line: three pairs of digits in its first ten characters that form a
// time of day. Anything less is no time at all.
std::optional<double> LineTime(std::string_view line)
{
    return TimeOfDay(line.substr(0, 10));
}

// The calendar day of the clock at the given time, one day on when the clock is already later.
double OnClockDay(double clock, double time)
{
    double candidate = util::DateOf(clock) + time;
    if (clock > candidate)
        candidate += 1;
    return candidate;
}

} // namespace

bool TWU::SetProtein(std::string_view name)
{
    Protein = name;
    if (Project != -1)
        return true;
    const auto match = Patterns().ProteinProject.Find(name);
    if (!match)
        return true;
    const auto number = ToInt(match->Text.substr(1, match->Length() - 2));
    if (!number)
        return false;
    Project = *number;
    return true;
}

void TWU::AdvanceClock(std::string_view line)
{
    const auto time = LineTime(line);
    if (!time)
        return;
    LastTime = OnClockDay(LastTime, *time);
    EndTime = LastTime;
}

void TWU::AppendStep(std::optional<double> date, std::optional<int> frame)
{
    m_startingUp = false;
    if (Steps.Empty()) // one allocation for a unit that logs what it expects
        Steps.Reserve(std::clamp(FramesExpected + 1, 8, 1024));
    TStep& step = Steps.Add();
    if (date) {
        step.PrevDate = LastTime;
        step.Date = *date;
        if (step.Date != 0 && step.PrevDate != 0 && step.PrevDate < step.Date)
            step.Duration = util::SecondsBetween(step.PrevDate, step.Date);
        LastTime = step.Date;
        EndTime = LastTime;
    }
    if (frame)
        step.Frame = *frame;

    if (Steps.Count() >= 2) {
        TStep& previous = *Steps.Items(Steps.Count() - 2);
        const TStep added = Steps.Back();
        if (added.Frame == previous.Frame) {
            // A client resuming from a checkpoint logs the frame again: one step for both
            // stretches.
            previous.Date = added.Date;
            previous.Duration = static_cast<int>(
                std::clamp<std::int64_t>(std::int64_t{previous.Duration} + added.Duration, 0,
                                         std::numeric_limits<int>::max()));
            previous.RestartAfter = previous.RestartAfter || added.RestartAfter;
            Steps.Delete(Steps.Count() - 1);
        } else if (added.Frame < previous.Frame) {
            Steps.DeleteFirst(Steps.Count() - 1); // the unit started over
        }
    }
}

void TWU::ReadStepLine(std::string_view line, bool frameKind, std::string_view frameText)
{
    std::optional<double> date;
    if (const auto time = LineTime(line))
        date = OnClockDay(LastTime, *time);
    TDigitRuns frameDigits(frameText);
    AppendStep(date, ToInt(frameDigits.Next()));

    if (frameKind) {
        if (Core == core::None || Core == core::Placeholder)
            SetCore(core::Tinker);
    } else if (Core == core::None) {
        SetCore(core::Placeholder);
    }
}

namespace {

// The date-time of a bracket like [January 3 16:21:49] or [January 3 16:21:49 UTC], in the
// year of the current date unless that puts it more than a day ahead.
std::optional<double> BracketDate(const regex::TMatch& bracket, TParseContext& context)
{
    const TPatterns& patterns = Patterns();
    const std::string_view b = bracket.Text;
    const auto dayMatch = patterns.DayInBracket.Find(b);
    if (!dayMatch)
        return std::nullopt;
    const std::string_view day = dayMatch->Text.substr(1, dayMatch->Length() - 2);
    const std::size_t p = dayMatch->Pos; // the leftmost blank, day, blank
    std::string_view monthName = b.substr(1, p - 1);
    while (!monthName.empty() && monthName.front() == ' ')
        monthName.remove_prefix(1);
    while (!monthName.empty() && monthName.back() == ' ')
        monthName.remove_suffix(1);

    const int month = util::MonthFromName(monthName);
    const auto dayNumber = ToInt(day);
    const auto time = TimeOfDay(b.substr(std::min(b.size(), p + 3)));
    const int year = util::DecodeDate(context.Now).Year;
    const auto date = dayNumber ? util::EncodeDate(year, month, *dayNumber) : std::nullopt;
    if (!date || !time) {
        context.ConversionFailed = true;
        return std::nullopt;
    }
    double dateTime = *date + *time;
    // A log from December read in January keeps its year.
    if (dateTime > context.Now + 1)
        dateTime = util::IncYear(dateTime, -1);
    return dateTime;
}

std::optional<regex::TMatch> FindDateBracket(std::string_view line)
{
    if (auto plain = Patterns().DateBracket.Find(line))
        return plain;
    return Patterns().UtcDateBracket.Find(line);
}

} // namespace

void TWU::ReadStartLine(std::string_view line, TParseContext& context)
{
    m_startingUp = true;
    const auto bracket = FindDateBracket(line);
    if (!bracket)
        return;
    if (!Steps.Empty())
        Steps.Back().RestartAfter = true;
    const auto date = BracketDate(*bracket, context);
    if (!date)
        return;
    LastTime = *date;
    StartTime = LastTime;
    EndTime = LastTime;
}

void TWU::ReadOpeningLine(std::string_view line, TParseContext& context)
{
    const auto bracket = FindDateBracket(line);
    if (!bracket)
        return;
    if (const auto date = BracketDate(*bracket, context)) {
        LastTime = *date;
        EndTime = LastTime;
    }
}

void TWU::ParseLine(std::string_view line, TParseContext& context)
{
    const TRowPattern* matched = nullptr;
    std::size_t matchEnd = 0;
    for (const TRowPattern& row : Patterns().Rows) {
        if (line.find(row.MustHold) == std::string_view::npos)
            continue;
        if (const auto match = row.Pattern.Find(line)) {
            if (row.Row == TRow::StartLine || row.Row == TRow::QueueSlot) {
                const auto close = line.rfind(']');
                if (close == std::string_view::npos || close < match->End())
                    continue;
            }
            matched = &row;
            matchEnd = match->End();
            break;
        }
    }
    if (matched == nullptr)
        return;

    switch (matched->Row) {
    case TRow::Progress:
        ReadStepLine(line, false, LastEight(line));
        break;
    case TRow::Frame:
        ReadStepLine(line, true, LastEight(line));
        break;
    case TRow::ProgressPercent:
        ReadStepLine(line, false, After(line, "Completed "));
        break;
    case TRow::ProgressSpaced: {
        const std::size_t open = line.rfind('(', matchEnd - 1); // the match ends "(digits"
        ReadStepLine(line, false, line.substr(open + 1, matchEnd - open - 1));
        break;
    }
    case TRow::QueueSlot:
        ReadStartLine(line, context);
        break;
    case TRow::OpeningLog:
        ReadOpeningLine(line, context);
        break;
    case TRow::StartLine:
        ReadStartLine(line, context);
        break;
    case TRow::CoreRequired:
    case TRow::CoreRequiredInLine:
        m_startingUp = true;
        if (const auto chars = Patterns().CoreChars.Find(After(line, "FahCore_"))) {
            if (const auto code = ToInt(chars->Text, 16))
                SetCore(static_cast<std::uint16_t>(*code));
            else
                context.ConversionFailed = true;
        }
        break;
    case TRow::Protein:
    case TRow::System: {
        const std::string_view label = matched->Row == TRow::Protein ? "Protein:" : "System:";
        if (matched->Row == TRow::System && (Core == core::None || Core == core::Placeholder))
            SetCore(core::QMD);
        // The character after the colon is skipped.
        const auto at = line.find(label) + label.size() + 1;
        if (!SetProtein(line.substr(std::min(at, line.size()))))
            context.ConversionFailed = true;
        break;
    }
    case TRow::Sigterm:
        AdvanceClock(line);
        if (!Steps.Empty() && Steps.Back().Date == 0) {
            TStep& last = Steps.Back();
            last.Date = LastTime;
            if (last.Date != 0 && last.PrevDate != 0 && last.PrevDate < last.Date)
                last.Duration = util::SecondsBetween(last.PrevDate, last.Date);
        }
        break;
    case TRow::UserName: {
        const std::string_view rest = After(line, "User name: ");
        const auto team = rest.find(" (Team ");
        if (team != std::string_view::npos) {
            UserName = rest.substr(0, team);
            TDigitRuns runs(rest.substr(team + 7));
            ReadNumber(runs, Team, context);
        }
        break;
    }
    case TRow::UserID:
        if (const auto id = Patterns().UserIDChars.Find(After(line, "User ID:")))
            UserID = id->Text;
        break;
    case TRow::MachineID: {
        TDigitRuns runs(After(line, "Machine ID:"));
        ReadNumber(runs, MachineID, context);
        break;
    }
    case TRow::LogPath:
        LogPath = After(line, "FahLog Path: ");
        break;
    case TRow::Run: {
        TDigitRuns runs(From(line, "Run:"));
        ReadNumber(runs, Run, context);
        ReadNumber(runs, Clone, context);
        ReadNumber(runs, Gen, context);
        if (Core == core::None)
            SetCore(core::Tinker);
        break;
    }
    case TRow::Project: {
        // The core's start-up block names the unit's own project; a line after a step reports
        // the upload of another unit, and is taken only while the unit has no number at all.
        if (!m_startingUp && Project != -1)
            break;
        TDigitRuns runs(From(line, "Project"));
        ReadNumber(runs, Project, context);
        ReadNumber(runs, Run, context);
        ReadNumber(runs, Clone, context);
        ReadNumber(runs, Gen, context);
        if (Core == core::None)
            SetCore(core::Placeholder);
        break;
    }
    case TRow::FramesCompleted: {
        TDigitRuns runs(From(line, "Frames Completed:"));
        const std::string_view first = runs.Next();
        const std::string_view second = runs.Next();
        if (!first.empty() && !second.empty()) {
            const auto completed = ToInt(first);
            const auto remaining = ToInt(second);
            int sum = 0;
            if (completed && remaining && !__builtin_add_overflow(*completed, *remaining, &sum))
                FramesExpected = sum;
            else
                context.ConversionFailed = true;
        }
        if (Core == core::None)
            SetCore(core::Tinker);
        break;
    }
    case TRow::Converged:
        if (!Steps.Empty())
            Steps.Back().ConvergedAfter = true;
        break;
    case TRow::Tinker:
        AdvanceClock(line);
        break;
    case TRow::Shutdown:
        ShutdownLine = line;
        break;
    }
}

} // namespace korvid::workunits
