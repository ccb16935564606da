#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "workunits/client_line.h"
#include "workunits/client_log.h"
#include "workunits/client_unit.h"
#include "workunits/text_arena.h"

// Stored texts of client units: cut again from a history's text and read into units.
namespace korvid::workunits {
namespace {

constexpr std::string_view PathLabel = LogPathLabel;

std::string JoinedText(const std::vector<std::string_view>& texts)
{
    std::string joined;
    for (std::string_view text : texts)
        joined += text;
    return joined;
}

} // namespace

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
    // The lines that can be a unit's own which the texts read so far hold, heads included.
    std::unordered_set<std::string_view> held;
    // A core line naming no unit is the last started unit's, as the log reader reads it; before
    // any unit started it only dated, so it can be a head line then.
    std::vector<std::size_t> lastStart(kept.size(), kept.size());
    for (std::size_t n = 1; n < kept.size(); ++n) {
        const TClientLine& before = kept[n - 1].Line;
        lastStart[n] =
            before.Event == TEvent::Start && !before.Unit.empty() ? n - 1 : lastStart[n - 1];
    }
    auto startedKey = [&](std::size_t n) {
        return lastStart[n] < kept.size() ? KeyOf(kept[lastStart[n]].Line) : std::string();
    };
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
        return current && !current->Key.empty() && startedKey(n) == current->Key;
    };
    std::size_t i = 0;
    auto begin = [&] {
        if (current)
            take(i);
        current.emplace();
        current->First = i;
    };
    // Where the next log-path line, the next banner and the next closing result of a line's
    // key (for a core line naming no unit, the last started unit's) are, from each kept line on.
    std::vector<std::size_t> nextPath(kept.size() + 1, kept.size());
    std::vector<std::size_t> nextBanner(kept.size() + 1, kept.size());
    std::vector<std::size_t> nextClose(kept.size() + 1, kept.size());
    std::unordered_map<std::string, std::size_t> closeOfKey;
    for (std::size_t at = kept.size(); at-- > 0;) {
        const TClientLine& line = kept[at].Line;
        nextPath[at] = kept[at].Path ? at : nextPath[at + 1];
        nextBanner[at] = line.Event == TEvent::Dating ? at : nextBanner[at + 1];
        if (IsOwn(line) && !line.Unit.empty()) {
            std::size_t& close = closeOfKey.try_emplace(KeyOf(line), kept.size()).first->second;
            if (line.Event == TEvent::Result && !line.Interrupted)
                close = at;
            nextClose[at] = close;
        } else if (IsOwn(line) && lastStart[at] < kept.size()) {
            nextClose[at] = closeOfKey.try_emplace(startedKey(at), kept.size()).first->second;
        }
    }
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
            const bool head =
                nextPath[i + 1] < nextBanner[i + 1] &&
                (!continues || holdsHead() ||
                 !(nextClose[i + 1] < nextPath[i + 1] || openToTheEnd()));
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
        if (IsOwn(k.Line)) // in a head too: a head may repeat it
            held.insert(k.Text);
        else if (k.Line.Event == TEvent::Dating)
            current->Banners.insert(k.Text);
    }
    if (current)
        take(kept.size());
    handClassicBefore(runs.size());
    return refused;
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
    // A client unit's log-path line comes before one of its lines; a v5/v6 unit's before its
    // opening "[HH:MM:SS]" line.
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (spans[i].Kind == TKind::Path)
            spans[i].Kind = i + 1 < spans.size() && spans[i + 1].Kind == TKind::Client
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
