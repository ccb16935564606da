// A history is a fixed point of its stored form: whatever a log (with its path) or a stored text
// (without) reads into, reading the collection's AllText again, straight or through the history
// file's stream, gives the same units in the same order with the same texts and values.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "history/compressed_text.h"
#include "util/platform.h"
#include "workunits/client_line.h"
#include "workunits/client_log.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace {

using korvid::workunits::TWU;
using korvid::workunits::TWUs;

struct TFixedClock final : korvid::util::IClock {
    [[nodiscard]] double Now() const override { return 46362.5; } // 2026-12-06 12:00
};

void Dump(const char* name, const TWUs& wus)
{
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
        std::fprintf(stderr, "-- %s %td:\n%.*s", name, i,
                     static_cast<int>(wus.Items(i)->Text.size()), wus.Items(i)->Text.data());
}

[[noreturn]] void Fail(const char* what, std::ptrdiff_t unit, const TWUs& first, const TWUs& again)
{
    Dump("first", first);
    Dump("again", again);
    std::fprintf(stderr, "not a fixed point: %s, unit %td\n", what, unit);
    std::abort();
}

// The texts and everything a unit is read into.
void ExpectSameUnits(const TWUs& first, const TWUs& again, const char* how)
{
    if (first.Count() != again.Count())
        Fail(how, -1, first, again);
    for (std::ptrdiff_t i = 0; i < first.Count(); ++i) {
        const TWU& a = *first.Items(i);
        const TWU& b = *again.Items(i);
        if (a.Text != b.Text)
            Fail(how, i, first, again);
        const bool same = a.Project == b.Project && a.Run == b.Run && a.Clone == b.Clone &&
                          a.Gen == b.Gen && a.Protein == b.Protein && a.Core == b.Core &&
                          a.UserName == b.UserName && a.Team == b.Team && a.UserID == b.UserID &&
                          a.MachineID == b.MachineID && a.LogPath == b.LogPath &&
                          a.StartTime == b.StartTime && a.EndTime == b.EndTime &&
                          a.LastTime == b.LastTime && a.FramesExpected == b.FramesExpected &&
                          a.ShutdownLine == b.ShutdownLine && a.Slot == b.Slot &&
                          a.Steps.Count() == b.Steps.Count();
        if (!same)
            Fail(how, i, first, again);
        for (std::ptrdiff_t s = 0; s < a.Steps.Count(); ++s)
            if (!(*a.Steps.Items(s) == *b.Steps.Items(s)))
                Fail(how, i, first, again);
    }
}

void ExpectFixedPoint(const TWUs& read, const korvid::util::IClock& clock)
{
    const std::string text = read.AllText();
    TWUs again;
    again.ReadLog(text, {}, clock);
    ExpectSameUnits(read, again, "AllText read again");

    const auto loaded = korvid::history::TryInflateStream(korvid::history::DeflateStream(text));
    if (loaded.Outcome != korvid::history::TInflate::Inflated || loaded.Bytes != text)
        Fail("the stream gave other bytes", -1, read, read);
    TWUs stored;
    stored.ReadLog(loaded.Bytes, {}, clock);
    ExpectSameUnits(read, stored, "the stream read again");
}

// The stored forms that read two ways (docs/log-formats.md, "Stored text"): a client unit with a
// banner after its log-path line, right before a unit whose text begins with its log-path line,
// when the unit never closed and knows its PRCG, or it already held that banner, or it or a
// unit before it already held the line after that banner. The banner is read as the next unit's
// head.
bool ReadsTwoWays(const TWUs& wus)
{
    constexpr std::string_view Path = korvid::workunits::LogPathLabel;
    std::unordered_set<std::string_view> before; // the lines of the units before this one
    for (std::ptrdiff_t i = 0; i + 1 < wus.Count(); ++i) {
        const TWU& wu = *wus.Items(i);
        if (i > 0) {
            korvid::workunits::TLineCursor cursor(wus.Items(i - 1)->Text);
            for (std::string_view line; cursor.Next(line);)
                before.insert(line);
        }
        if (wu.Slot.empty() && wu.Text.find("\r\n*") == std::string_view::npos)
            continue; // no client unit, or one without a banner
        const bool closed =
            !wu.ShutdownLine.empty() && wu.ShutdownLine.find("INTERRUPTED") == std::string::npos;
        if (!wus.Items(i + 1)->Text.starts_with(Path))
            continue;
        std::vector<std::string_view> lines;
        korvid::workunits::TLineCursor cursor(wu.Text);
        for (std::string_view line; cursor.Next(line);)
            lines.push_back(line);
        bool pastPath = false;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            pastPath = pastPath || lines[k].starts_with(Path);
            const std::string_view line = lines[k];
            if (!pastPath || line.empty() || line.front() != '*' ||
                !korvid::workunits::IsClientLine(line))
                continue;
            if (!closed && wu.Project >= 0)
                return true;
            if (std::find(lines.begin(), lines.begin() + k, line) != lines.begin() + k)
                return true; // a banner written twice
            if (k + 1 < lines.size() && !lines[k + 1].starts_with(Path) &&
                (before.contains(lines[k + 1]) ||
                 std::find(lines.begin(), lines.begin() + k, lines[k + 1]) != lines.begin() + k))
                return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TFixedClock clock;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // As the window loads a log: zero runs end lines, the file's path is given.
    std::string log(bytes);
    korvid::workunits::EndLinesAtZeroRuns(log);
    TWUs fromLog;
    fromLog.ReadLog(log, "C:\\Program Files\\FAH\\FAHlog.txt", clock);
    if (!ReadsTwoWays(fromLog))
        ExpectFixedPoint(fromLog, clock);

    // As the window loads a history: the text ends at its first zero byte, no path.
    TWUs fromHistory;
    fromHistory.ReadLog(bytes.substr(0, bytes.find('\0')), {}, clock);
    if (!ReadsTwoWays(fromHistory))
        ExpectFixedPoint(fromHistory, clock);
    return 0;
}
