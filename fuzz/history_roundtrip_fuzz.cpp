// Read(Write(units)) == units: whatever a log (with its path) or a history text reads into, its
// stored text, straight or through the history file's stream, reads back into the same units in
// the same order with the same texts, values and steps.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "history/compressed_text.h"
#include "history/history.h"
#include "testing/fakes.h"
#include "util/platform.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace {

using korvid::workunits::TWU;
using korvid::workunits::TWUs;

[[noreturn]] void Fail(const char* what, std::ptrdiff_t unit, const TWUs& first, const TWUs& again)
{
    for (const auto& [name, wus] : {std::pair{"first", &first}, std::pair{"again", &again}})
        for (std::ptrdiff_t i = 0; i < wus->Count(); ++i)
            std::fprintf(stderr, "-- %s %td:\n%.*s", name, i,
                         static_cast<int>(wus->Items(i)->Text.size()), wus->Items(i)->Text.data());
    std::fprintf(stderr, "not a fixed point: %s, unit %td\n", what, unit);
    std::abort();
}

// The text and everything a unit is read into but the dialect, which names the reader: a framed
// v5/v6 text read back is taken whole.
auto Fields(const TWU& u)
{
    return std::tie(u.Text, u.Project, u.Run, u.Clone, u.Gen, u.Protein, u.Core, u.UserName, u.Team,
                    u.UserID, u.MachineID, u.LogPath, u.StartTime, u.EndTime, u.LastTime,
                    u.FramesExpected, u.ShutdownLine, u.Slot, u.Client, u.Steps);
}

void ExpectSameUnits(const TWUs& first, const TWUs& again, const char* how)
{
    if (first.Count() != again.Count())
        Fail(how, -1, first, again);
    for (std::ptrdiff_t i = 0; i < first.Count(); ++i)
        if (Fields(*first.Items(i)) != Fields(*again.Items(i)))
            Fail(how, i, first, again);
}

void ExpectFixedPoint(const TWUs& read, const korvid::util::IClock& clock)
{
    const std::string text = korvid::history::StoredTextOf(read);
    TWUs again;
    if (!korvid::history::ReadStoredText(text, again, clock))
        Fail("the stored text reads as damaged", -1, read, again);
    ExpectSameUnits(read, again, "the stored text read again");

    const auto loaded = korvid::history::TryInflateStream(korvid::history::DeflateStream(text));
    if (loaded.Outcome != korvid::history::TInflate::Inflated || loaded.Bytes != text)
        Fail("the stream gave other bytes", -1, read, read);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const korvid::test::TFakeClock clock; // 2026-12-06 12:00
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // As the window loads a log: zero runs end lines, the file's path is given.
    std::string log(bytes);
    korvid::workunits::EndLinesAtZeroRuns(log);
    TWUs fromLog;
    fromLog.ReadLog(log, "C:\\Program Files\\FAH\\FAHlog.txt", clock);
    ExpectFixedPoint(fromLog, clock);

    // The same units as a live client ends them: facts cut from the input, so that any
    // machine name is tried.
    TWUs withFacts;
    for (std::ptrdiff_t i = 0; i < fromLog.Count(); ++i) {
        TWU wu = *fromLog.Items(i);
        const std::size_t from = static_cast<std::size_t>(i) * 7 % (size + 1);
        wu.Client = {static_cast<double>(size) / 3, std::nullopt,
                     std::string(bytes.substr(from, 40)), i % 2 == 1};
        withFacts.AddCopy(wu);
    }
    ExpectFixedPoint(withFacts, clock);

    // As a history file's text, framed or not.
    TWUs fromHistory;
    if (korvid::history::ReadStoredText(bytes, fromHistory, clock))
        ExpectFixedPoint(fromHistory, clock);
    return 0;
}
