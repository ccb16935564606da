#include "workunits/classic_log.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "util/ascii_case.h"
#include "workunits/client_line.h"
#include "workunits/literal_search.h"
#include "workunits/passed_bytes.h"
#include "workunits/text_arena.h"

namespace korvid::workunits {
namespace {

// Whether line holds literal, letters compared without regard to case (ASCII only).
// The literal is given in upper case.
bool HoldsNoCase(std::string_view line, std::string_view upperLiteral)
{
    if (upperLiteral.size() > line.size())
        return false;
    const char first = upperLiteral.front();
    const char lower = util::LowerAscii(first);
    const std::size_t last = line.size() - upperLiteral.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (line[i] != first && line[i] != lower)
            continue;
        std::size_t k = 1;
        while (k < upperLiteral.size() && util::UpperAscii(line[i + k]) == upperLiteral[k])
            ++k;
        if (k == upperLiteral.size())
            return true;
    }
    return false;
}

bool Holds(std::string_view line, std::string_view literal)
{
    return line.find(literal) != std::string_view::npos;
}

// Everything Keep accepts holds one of these; all but the last are its own tests, so a line
// found by one of them is kept without testing it again.
const TLiteralSearch& KeepCandidates()
{
    static const TLiteralSearch search({" STEPS ",
                                        "FINISHED A FRAME (",
                                        "CORE REQUIRED",
                                        "GOT A SIGTERM SIGNAL",
                                        "WORKING ON UNIT",
                                        "- USER NAME",
                                        "- USER ID",
                                        "- MACHINE ID",
                                        "- FAHLOG PATH",
                                        "PROJECT: ",
                                        "PROTEIN: ",
                                        "- RUN: ",
                                        "- FRAMES COMPLETED: ",
                                        "TINKER: ",
                                        "SYSTEM: ",
                                        "WF CONVERGED, JUMPING TO MD",
                                        "WORKING ON QUEUE SLOT",
                                        "--- OPENING LOG FILE",
                                        "] COMPLETED ",
                                        "FOLDING@HOME"});
    return search;
}
constexpr std::size_t NeedsWholeTest = 19; // "FOLDING@HOME" alone decides nothing

// Whether a line holding "Folding@Home" is kept: any other test of the filter, "Folding@Home
// Client Shutdown", or a core line that was not interrupted.
bool KeepFoldingAtHomeLine(std::string_view line)
{
    for (auto match = KeepCandidates().Find(line); match;
         match = KeepCandidates().Find(line, match->Pos + 1))
        if (match->Literal != NeedsWholeTest)
            return true;
    if (HoldsNoCase(line, "FOLDING@HOME CLIENT SHUTDOWN"))
        return true;
    // A core shutdown that was interrupted is no end: the unit goes on after the restart.
    return HoldsNoCase(line, "CORE") && !HoldsNoCase(line, "INTERRUPTED");
}

enum class THeader { UserName, UserID, MachineID, LogPath, None };

THeader HeaderKind(std::string_view line)
{
    // All four start with "- ": most lines have no '-' at all.
    if (std::memchr(line.data(), '-', line.size()) == nullptr)
        return THeader::None;
    // The stored form's own line, whatever its path holds.
    if (line.starts_with(LogPathLabel))
        return THeader::LogPath;
    if (HoldsNoCase(line, "- USER NAME"))
        return THeader::UserName;
    if (HoldsNoCase(line, "- USER ID"))
        return THeader::UserID;
    if (HoldsNoCase(line, "- MACHINE ID"))
        return THeader::MachineID;
    if (HoldsNoCase(line, "- FAHLOG PATH"))
        return THeader::LogPath;
    return THeader::None;
}

// Pass 1, read as pass 2 asks: the kept lines of a text, in order, with a short look ahead.
// Lines end at CR LF, a lone CR or a lone LF.
class TKeptLines {
public:
    TKeptLines(std::string_view text, std::string_view firstLine) : m_text(text)
    {
        if (!firstLine.empty())
            m_ahead.push_back(firstLine);
    }

    // The next kept line; false at the end of the text.
    bool Next(std::string_view& line)
    {
        if (!Fill(1))
            return false;
        line = m_ahead.front();
        m_ahead.pop_front();
        return true;
    }

    // The kept line k places after the one Next gave last (0 is the next one), if any.
    [[nodiscard]] const std::string_view* Peek(std::size_t k)
    {
        return Fill(k + 1) ? &m_ahead[k] : nullptr;
    }

    // Where the first byte still to be read is: the given line, a line looked at ahead, or
    // the scan's position, whichever comes first.
    [[nodiscard]] const char* OldestNeeded(std::string_view line) const
    {
        const char* oldest = m_text.data() + m_pos;
        if (!m_ahead.empty())
            oldest = std::min(oldest, m_ahead.front().data());
        return std::min(oldest, line.data());
    }

private:
    bool Fill(std::size_t count)
    {
        while (m_ahead.size() < count)
            if (!Scan())
                return false;
        return true;
    }

    // Finds one more kept line.
    bool Scan()
    {
        const TLiteralSearch& candidates = KeepCandidates();
        const char* data = m_text.data();
        while (m_pos < m_text.size()) {
            const auto match = candidates.Find(m_text, m_pos);
            if (!match) {
                m_pos = m_text.size();
                return false;
            }
            // The line around the match: back to the last line end, on to the next one.
            std::size_t start = m_pos;
            for (const char end : {'\n', '\r'})
                if (const void* at = memrchr(data + start, end, match->Pos - start))
                    start = static_cast<std::size_t>(static_cast<const char*>(at) - data) + 1;
            if (m_nextLf <= match->Pos) { // no literal starts with a line end
                const void* at = std::memchr(data + match->Pos, '\n', m_text.size() - match->Pos);
                m_nextLf = at == nullptr
                               ? m_text.size()
                               : static_cast<std::size_t>(static_cast<const char*>(at) - data);
            }
            std::size_t end = m_nextLf;
            if (const void* cr = std::memchr(data + match->Pos, '\r', end - match->Pos))
                end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
            const std::string_view line = m_text.substr(start, end - start);
            m_pos = end;
            if (m_pos < m_text.size())
                m_pos +=
                    m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n'
                        ? 2
                        : 1;
            // A client line is no v5/v6 unit's: kept, it would read back as a client text.
            if ((match->Literal != NeedsWholeTest || KeepFoldingAtHomeLine(line)) &&
                !IsClientLine(line)) {
                m_ahead.push_back(line);
                return true;
            }
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;    // always the start of a line
    std::size_t m_nextLf = 0; // the first LF at or after the last match, or the end
    std::deque<std::string_view> m_ahead;
};

// In a stored text, the header lines a unit was saved with: user name?, user ID?, machine ID?,
// then the log-path line as the reader writes it. Such a run begins a new unit even when the one
// before never closed.
bool StartsHeaderRun(std::string_view line, THeader kind, TKeptLines& lines)
{
    std::size_t k = 0;
    for (THeader expected : {THeader::UserName, THeader::UserID, THeader::MachineID}) {
        if (kind != expected)
            continue;
        const std::string_view* next = lines.Peek(k++);
        if (next == nullptr)
            return false;
        line = *next;
        kind = HeaderKind(line);
    }
    return kind == THeader::LogPath && line.starts_with(LogPathLabel);
}

} // namespace

int ReadClassicLog(std::string_view content, std::string_view logPath, double now,
                   TTextArena& arena, const TAdoptUnit& adopt, std::string* owned)
{
    std::string pathLine;
    std::string joined;
    const char* ownPathLine = nullptr; // the one log-path line a log read with a path may hold
    if (!logPath.empty()) {
        pathLine = "- FahLog Path: " + std::string(logPath);
        if (pathLine.find_first_of("\r\n") != std::string::npos) {
            // A path with a line break in it splits like any other text.
            joined = pathLine + "\r\n" + std::string(content);
            content = joined;
            pathLine.clear();
            if (owned != nullptr)
                owned = &joined;
        }
    }
    TKeptLines lines(content, pathLine);
    ownPathLine = pathLine.empty() ? joined.data() : pathLine.data();

    std::unordered_set<const char*> unconverted;
    TParseContext context;
    context.Now = now;
    std::unique_ptr<TWU> current;
    // Copies, so that nothing behind the kept lines is needed; origin is where the line was read.
    struct THeaderLine {
        std::string Text;
        const char* Origin = nullptr;
    };
    THeaderLine remembered[4];
    const bool storedText = logPath.empty();

    arena.ExpectBytes(content.size());
    // The open unit's text grows in place in the arena: one copy of each kept byte.
    auto feed = [&](std::string_view line, const char* origin) {
        arena.Append(line);
        arena.Append("\r\n");
        context.ConversionFailed = false;
        current->ParseLine(line, context);
        if (context.ConversionFailed)
            unconverted.insert(origin);
    };
    TPassedBytes passed(owned);
    std::vector<TStep> spareSteps;
    // In a stored text, an open unit ends where a header run begins; the next unit's head must
    // then stay such a run, or reading its text again would not end the open unit there.
    bool headEndsOpenUnit = false;
    THeaderLine openedWith[4];
    bool openedLocked = false;
    // A stored unit gets back only its own header lines. One that leaves no text behind (outdated,
    // or a copy of one this text gave) hands on a head that ended an open unit, since the next
    // unit's text must now end that one.
    std::unordered_set<const TWU*> added;
    auto forget = [&](bool handOn) {
        if (handOn && openedLocked) {
            std::copy(std::begin(openedWith), std::end(openedWith), std::begin(remembered));
            headEndsOpenUnit = true;
        } else {
            std::fill(std::begin(remembered), std::end(remembered), THeaderLine{});
        }
    };
    // split: the unit ends at a header run, which is the next head.
    auto close = [&](bool split) {
        current->Text = arena.Seal();
        const TWU* twin = nullptr;
        const TWU* unit = current.get(); // where the collection keeps it, if it does
        auto spare = adopt(std::move(current), twin);
        if (spare) {
            spareSteps = std::move(*spare);
            if (storedText)
                added.insert(unit);
        }
        if (storedText)
            forget(!split && !spare && added.contains(twin));
    };

    auto headHolds = [&](std::size_t kind) {
        for (std::size_t k = kind; k < 4; ++k)
            if (remembered[k].Origin != nullptr)
                return true;
        return false;
    };
    auto open = [&] {
        current = std::make_unique<TWU>();
        current->Steps.Recycle(std::move(spareSteps));
        std::copy(std::begin(remembered), std::end(remembered), std::begin(openedWith));
        openedLocked = headEndsOpenUnit;
        headEndsOpenUnit = false;
        for (const THeaderLine& header : remembered)
            if (header.Origin != nullptr)
                feed(header.Text, header.Origin);
    };

    std::string_view line;
    while (lines.Next(line)) {
        passed.Before(lines.OldestNeeded(line));
        const THeader kind = HeaderKind(line);
        const auto slot = static_cast<std::size_t>(kind);
        const bool isPathLine = line.starts_with(LogPathLabel);
        // A log-path line names the log, even one in a folder called "Core required".
        auto opens = [&] { return !isPathLine && Holds(line, "Core required"); };
        auto closes = [&] { return Holds(line, "Folding@home Core Shutdown"); };
        if (!storedText) {
            // Only the stored form writes this line; one in the log would read back as the
            // start of another unit.
            if (isPathLine && line.data() != ownPathLine)
                continue;
            if (kind != THeader::None)
                remembered[slot] = {std::string(line), line.data()};
            if (!current && opens())
                open();
        } else if (current) {
            // A header line that closes the unit is its last line, as in a log.
            if (kind != THeader::None && !closes() && StartsHeaderRun(line, kind, lines)) {
                close(true);
                headEndsOpenUnit = true;
            }
        }
        if (storedText && !current) {
            if (kind != THeader::None) {
                // The head a unit was stored with: its kinds in order, none of them opening it.
                if (!headHolds(slot)) {
                    remembered[slot] = {std::string(line), line.data()};
                    continue;
                }
                // Only a log-path line names the log: a line of its kind that is not one
                // leaves it in the head, so a head that is a header run stays one.
                if (!(kind == THeader::LogPath && !isPathLine &&
                      remembered[slot].Text.starts_with(LogPathLabel)))
                    remembered[slot] = {std::string(line), line.data()};
            }
            if (!opens())
                continue;
            open();
        }
        if (!current)
            continue;
        feed(line, line.data());
        if (closes()) {
            if (Holds(line, "CORE_OUTDATED")) {
                current.reset();
                arena.Drop();
                if (storedText)
                    forget(true);
            } else {
                close(false);
            }
        }
    }
    // The unit the client is still working on.
    if (current)
        close(false);
    return static_cast<int>(unconverted.size());
}

} // namespace korvid::workunits
