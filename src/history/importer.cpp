#include "history/importer.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "workunits/client_line.h"
#include "workunits/client_log.h"
#include "workunits/text_arena.h"

// Earlier versions stored client texts among the v5/v6 ones with nothing saying where one ends;
// these rules cut them again (docs/log-formats.md, "Importing client texts of earlier
// histories"). Nothing else reads a history this way.
namespace korvid::history {
namespace {

using namespace workunits;

constexpr std::string_view PathLabel = LogPathLabel;

struct TTextRun {
    std::string_view Text;
    bool Client = false;
};

// Takes a unit read from a stored text: the storage its steps had, or nothing when it was refused
// as a copy of one already held.
using TKeepUnit = std::function<std::optional<std::vector<TStep>>(std::unique_ptr<TWU>)>;

std::string JoinedText(const std::vector<std::string_view>& texts)
{
    std::string joined;
    for (std::string_view text : texts)
        joined += text;
    return joined;
}

// The units of stored client texts one after the other, as ReadClientLog wrote them. The client
// runs are read as one text, so that what lies between them cuts no client text; each v5/v6 run
// goes to readClassic where it lies among the client units. gone marks the kept lines (time-
// stamped, banners, log-path lines of the client runs, counted in order) to leave out; the lines
// of texts refused now are marked too, and then true is returned: the units a refused text lay
// between may read otherwise without it, so the caller reads again without them.
bool ReadClientTexts(const std::vector<TTextRun>& runs, TTextArena& arena, const TKeepUnit& keep,
                     const std::function<void(std::string_view)>& readClassic,
                     std::vector<bool>& gone)
{
    // The lines a unit text can hold, with what they say and the run they are in.
    struct TKept {
        std::string_view Text;
        TClientLine Line;
        bool Path = false;
        std::size_t Run = 0;
        std::size_t Index = 0; // among all kept lines, gone or not
    };
    std::vector<TKept> kept;
    std::size_t index = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (!runs[r].Client)
            continue;
        TLineCursor cursor(runs[r].Text);
        std::string_view text;
        while (cursor.Next(text)) {
            const bool path = text.starts_with(PathLabel);
            const TClientLine line = path ? TClientLine{} : ReadClientLine(text);
            if (!path && line.Event != TEvent::Dating && !line.Timed())
                continue;
            if (index >= gone.size())
                gone.push_back(false);
            if (!gone[index])
                kept.push_back({text, line, path, r, index});
            ++index;
        }
    }
    // The v5/v6 runs met while a client text is read go after it, before the next one, where
    // a path line ending it keeps the client line after it. Placed together, they are read as
    // one text, as they will be read again.
    std::size_t handed = 0; // the runs before it are read
    auto handClassicBefore = [&](std::size_t run) {
        std::vector<std::string_view> texts;
        for (; handed < run; ++handed)
            if (!runs[handed].Client)
                texts.push_back(runs[handed].Text);
        if (texts.size() == 1)
            readClassic(texts.front());
        else if (!texts.empty())
            readClassic(JoinedText(texts));
    };

    struct TText {
        std::vector<std::string_view> Lines;
        std::string Key;
        std::array<int, 4> Prcg = {-1, -1, -1, -1};
        bool Closed = false;
        std::size_t First = 0; // in kept
        std::unordered_set<std::string_view> Banners;
    };
    // The lines right after a banner, the ones a head may repeat; and of those, the ones the
    // texts read so far hold as lines that can be a unit's own, heads included.
    std::unordered_set<std::string_view> afterBanner;
    for (std::size_t n = 0; n + 1 < kept.size(); ++n)
        if (kept[n].Line.Event == TEvent::Dating)
            afterBanner.insert(kept[n + 1].Text);
    std::unordered_set<std::string_view> held;
    // A core line naming no unit is the last started unit's, as the log reader reads it; before
    // any unit started it only dated, so it can be a head line then. Units are stored in the
    // order they close, so the last start among the stored lines need not be the log's: the line
    // goes on in a text whose key started before it.
    std::unordered_map<std::string, std::size_t> firstStart;
    // Where each key's closing results are, in order.
    std::unordered_map<std::string, std::vector<std::size_t>> closes;
    for (std::size_t n = 0; n < kept.size(); ++n) {
        const TClientLine& line = kept[n].Line;
        if (line.Unit.empty() || !IsOwn(line))
            continue;
        if (line.Event == TEvent::Start)
            firstStart.try_emplace(KeyOf(line), n);
        else if (line.Event == TEvent::Result && !line.Interrupted)
            closes[KeyOf(line)].push_back(n);
    }
    std::optional<TText> current;
    std::vector<TStep> spareSteps;
    bool refused = false;
    // A refused copy leaves a gap its neighbours would not have on reading the kept units
    // again: its lines are marked gone, for a reading without them.
    auto take = [&](std::size_t end) {
        auto spare = keep(BuildUnit(current->Lines, arena, spareSteps));
        if (spare) {
            spareSteps = std::move(*spare);
            return;
        }
        refused = true;
        for (std::size_t k = current->First; k < end; ++k)
            gone[kept[k].Index] = true;
    };
    auto startsText = [&](const TClientLine& line) {
        return !current || current->Closed ||
               (!line.Unit.empty() && !current->Key.empty() && KeyOf(line) != current->Key) ||
               PrcgDiffers(current->Prcg, line);
    };
    auto isOwn = [&](std::size_t n) {
        const TClientLine& line = kept[n].Line;
        if (!line.Unit.empty() || !IsOwn(line))
            return IsOwn(line);
        if (!current || current->Key.empty())
            return false;
        const auto started = firstStart.find(current->Key);
        return started != firstStart.end() && started->second < n;
    };
    std::size_t i = 0;
    auto begin = [&] {
        if (current)
            take(i);
        current.emplace();
        current->First = i;
    };
    // Where the next log-path line and the next banner are, from each kept line on.
    std::vector<std::size_t> nextPath(kept.size() + 1, kept.size());
    std::vector<std::size_t> nextBanner(kept.size() + 1, kept.size());
    for (std::size_t at = kept.size(); at-- > 0;) {
        nextPath[at] = kept[at].Path ? at : nextPath[at + 1];
        nextBanner[at] = kept[at].Line.Event == TEvent::Dating ? at : nextBanner[at + 1];
    }
    // The first closing result of the open text's key from a kept line on.
    auto nextClose = [&](std::size_t n) {
        const auto of = closes.find(current->Key);
        if (of == closes.end())
            return kept.size();
        const auto close = std::lower_bound(of->second.begin(), of->second.end(), n);
        return close == of->second.end() ? kept.size() : *close;
    };
    bool bridging = false;
    for (; i < kept.size(); ++i) {
        const TKept& k = kept[i];
        if (k.Path) {
            // Outside a head it is the first line of a unit that has none.
            if (!current || !bridging)
                begin();
            bridging = false;
        } else if (k.Line.Event == TEvent::Dating) {
            // A banner opens a text when a log-path line comes before the next banner: the
            // lines between date the unit. Inside a text it comes right before one of its lines;
            // when those go on to the text's closing result before that path line, the path
            // line begins a unit without a head.
            // A text that never closed and knows no PRCG was open to the log's end, so every
            // line of its key after it is its own: when only such lines come before the path
            // line, the banner lies inside it too. One that knows a PRCG may have been cut by
            // another; a head line naming its PRCG would then have cut that other, which closes
            // between the two texts, so such a line is its. Either way, a head is the banner and
            // the first line after it, which a text read before may hold already (the unit it
            // belongs to, or a head that repeats it): a line held before is a head made again.
            // So is a banner the open text holds: a log writes each banner once, and a core line
            // naming no unit after it may have come before the open unit started.
            const TKept* next = i + 1 < kept.size() ? &kept[i + 1] : nullptr;
            const bool nextOwn = next != nullptr && isOwn(i + 1);
            const bool continues =
                current && !current->Closed && nextOwn && !startsText(next->Line);
            auto holdsHead = [&] {
                return held.contains(next->Text) || current->Banners.contains(k.Text);
            };
            auto openToTheEnd = [&] {
                if (current->Prcg[0] >= 0 && current->Prcg != next->Line.Prcg)
                    return false;
                for (std::size_t n = i + 1; n < nextPath[i + 1]; ++n)
                    if (!isOwn(n) || startsText(kept[n].Line))
                        return false;
                return true;
            };
            const bool head = nextPath[i + 1] < nextBanner[i + 1] &&
                              (!continues || holdsHead() ||
                               !(nextClose(i + 1) < nextPath[i + 1] || openToTheEnd()));
            if (!current || head || (nextOwn && startsText(next->Line)))
                begin();
            bridging = head;
        } else if (bridging || !isOwn(i)) {
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
        if (current->First == i)
            handClassicBefore(k.Run);
        current->Lines.push_back(k.Text);
        if (IsOwn(k.Line)) { // in a head too: a head may repeat it
            if (afterBanner.contains(k.Text))
                held.insert(k.Text);
        } else if (k.Line.Event == TEvent::Dating) {
            current->Banners.insert(k.Text);
        }
    }
    if (current)
        take(kept.size());
    handClassicBefore(runs.size());
    return refused;
}

// A stored text cut into runs of v5/v6 unit texts and of client unit texts, in order. A text
// without client lines is one run.
std::vector<TTextRun> SplitStoredText(std::string_view content)
{
    enum class TKind : std::uint8_t { Classic, Client, Path };
    struct TSpan {
        std::size_t Begin;
        TKind Kind;
        bool Empty = false; // of the kind of the line before
    };
    std::vector<TSpan> spans;
    bool anyClient = false;
    TLineCursor cursor(content);
    std::string_view line;
    std::size_t begin = 0;
    while (cursor.Next(line)) {
        TKind kind = TKind::Classic;
        const bool empty = line.empty() && !spans.empty(); // an empty line splits nothing
        if (line.starts_with(PathLabel))
            kind = TKind::Path;
        else if (IsClientLine(line))
            kind = TKind::Client;
        else if (empty)
            kind = spans.back().Kind;
        anyClient = anyClient || kind == TKind::Client;
        spans.push_back({begin, kind, empty});
        begin = cursor.Pos();
    }
    if (!anyClient)
        return {{content, false}};
    // A client unit's log-path line comes before one of its lines; a v5/v6 unit's before its
    // opening "[HH:MM:SS]" line.
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].Empty) {
            spans[i].Kind = spans[i - 1].Kind;
        } else if (spans[i].Kind == TKind::Path) {
            std::size_t next = i + 1;
            while (next < spans.size() && spans[next].Empty)
                ++next;
            spans[i].Kind = next < spans.size() && spans[next].Kind == TKind::Client
                                ? TKind::Client
                                : TKind::Classic;
        }
    }
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

} // namespace

workunits::TReadStats ImportStoredText(std::string_view content, workunits::TWUs& wus,
                                       const util::IClock& clock)
{
    workunits::TReadStats stats;
    auto readClassic = [&](std::string_view text) {
        const workunits::TReadStats classic = wus.ReadLog(text, {}, clock);
        stats.Added += classic.Added;
        stats.UnconvertedLines += classic.UnconvertedLines;
    };
    const std::vector<TTextRun> runs = SplitStoredText(content);
    if (runs.size() == 1 && !runs.front().Client) {
        readClassic(content);
        return stats;
    }
    // Units are built here and copied into the collection, so that a round's units can be
    // taken back without reaching into it.
    workunits::TTextArena arena;
    arena.ExpectBytes(content.size());
    std::unordered_set<const workunits::TWU*> added;
    auto keep = [&](std::unique_ptr<workunits::TWU> wu) -> std::optional<std::vector<TStep>> {
        if (!wus.AddCopy(*wu))
            return std::nullopt;
        ++stats.Added;
        added.insert(wus.Items(wus.Count() - 1));
        return std::vector<TStep>{};
    };
    auto readClassicAdded = [&](std::string_view text) {
        const std::ptrdiff_t before = wus.Count();
        readClassic(text);
        for (std::ptrdiff_t i = before; i < wus.Count(); ++i)
            added.insert(wus.Items(i));
    };
    // Each time round leaves out at least one more text, and a copy is rare. Copies crafted to
    // surface one per round must not make the read quadratic: after a few rounds the last read
    // stands; what it refused were copies, so nothing is lost.
    constexpr int MostRounds = 8;
    std::vector<bool> gone;
    for (int round = 1;
         ReadClientTexts(runs, arena, keep, readClassicAdded, gone) && round < MostRounds;
         ++round) {
        wus.DeleteWhere([&](const workunits::TWU& wu) { return added.contains(&wu); });
        added.clear();
        stats = {};
    }
    return stats;
}

} // namespace korvid::history
