#include "workunits/client_log.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <unordered_map>

#include "util/date_time.h"
#include "workunits/client_line.h"
#include "workunits/passed_bytes.h"
#include "workunits/text_arena.h"

namespace korvid::workunits {
namespace {

constexpr std::string_view PathLabel = LogPathLabel;

// A client log's calendar: the banners give the day, the stamps the time of day. Midnight is
// seen as the time of day going back by more than half a day; less is a clock set back.
class TClientClock {
public:
    void Banner(const TClientLine& line)
    {
        if (line.At) {
            SetWhole(*line.At);
        } else if (line.Day) {
            m_day = *line.Day;
        }
    }

    // The date-time of a line with a stamp.
    double Timed(const TClientLine& line)
    {
        if (line.At) {
            SetWhole(*line.At);
            return m_last;
        }
        double at = 0;
        if (m_day != 0 && m_day != m_base) {
            at = m_day + *line.Time; // the log's own day wins
            m_base = m_day;
        } else {
            at = m_base + *line.Time;
            if (at < m_last - 0.5) {
                at += 1;
                m_base += 1;
            }
        }
        m_day = 0;
        m_last = at;
        return at;
    }

    [[nodiscard]] double Last() const { return m_last; }

private:
    void SetWhole(double at)
    {
        m_last = at;
        m_base = util::DateOf(at);
        m_day = 0;
    }

    double m_last = 0;
    // The day of m_last. A day plus a time of day stays on that day, so only whole date-times
    // need working it out.
    double m_base = 0;
    double m_day = 0; // a "Date:" banner not yet applied
};

// Into key's own storage: reading a log builds one for every line.
void SetKey(std::string& key, const TClientLine& line)
{
    key.assign(line.Slot);
    key += ':';
    key += line.Unit;
}

} // namespace

std::string KeyOf(const TClientLine& line)
{
    std::string key;
    SetKey(key, line);
    return key;
}

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

namespace {

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
        line.Event == TEvent::Received || line.Event == TEvent::Donor)
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

} // namespace

std::unique_ptr<TWU> BuildUnit(const std::vector<std::string_view>& lines, TTextArena& arena,
                               std::vector<TStep>& spareSteps, const std::vector<TSeen>* seen)
{
    auto wu = std::make_unique<TWU>();
    wu->Dialect = TDialect::Client;
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
        if (line.Event == TEvent::Donor) {
            if (line.Team < 0 || !line.Unit.empty())
                wu->UserName = line.User;
            if (line.Team >= 0)
                wu->Team = line.Team;
            continue; // it stands before the unit's own lines, out of time order
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

bool IsOwn(const TClientLine& line)
{
    return line.Event != TEvent::None && line.Event != TEvent::Dating &&
           line.Event != TEvent::Donor && (!line.Unit.empty() || line.Event == TEvent::Core);
}

bool PrcgDiffers(const std::array<int, 4>& known, const TClientLine& line)
{
    return known[0] >= 0 && line.HasPrcg() && known != line.Prcg;
}

namespace {

// A unit being cut out of a whole log.
struct TCut {
    std::string Key;
    std::vector<std::string_view> Lines; // its own lines and the banners among them
    std::vector<TSeen> Said;             // what each of Lines said
    std::vector<std::string_view> Head;  // the lines that date its first line, if any
    std::size_t BannersSeen = 0;
    std::array<int, 4> Prcg = {-1, -1, -1, -1};
    // The config's user and team lines last seen before it opened: copies, as the log's bytes
    // may be given back before it closes.
    std::string User, Team;
    std::size_t Index = 0; // in the list of cuts
    // The first byte of the log its lines may need: its first line, or the banner before it.
    // Never lower than that of a unit opened before it.
    const char* Oldest = nullptr;
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

void ReadClientLog(std::string_view content, std::string_view logPath, TTextArena& arena,
                   const TTakeUnit& take, TPassedBytes* passed)
{
    std::vector<std::unique_ptr<TCut>> cuts; // in the order they opened; closed ones are gone
    std::size_t firstOpen = 0;               // no open cut before it
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
    std::string userLine, teamLine;
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
        // The log-path line ends the lines that only date the unit; a unit without them begins
        // with it.
        if (pathFits) {
            lines.assign(cut.Head.begin(), cut.Head.end());
            lines.push_back(pathLine);
            for (const std::string* donor : {&cut.User, &cut.Team})
                if (!donor->empty())
                    lines.push_back(*donor);
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
        if (line.Secret)
            continue;
        // A v8 request names a unit that may never come: it opens none.
        if (line.Event == TEvent::Donor)
            (line.Team >= 0 ? teamLine : userLine).assign(text);
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
        if (line.Event == TEvent::None || line.Event == TEvent::Donor) {
            extendBridge();
            continue;
        }
        if (!line.Unit.empty())
            SetKey(key, line);
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
            cut->User = userLine;
            cut->Team = teamLine;
            cut->Oldest = bridge.empty() ? text.data() : bridge.front().data();
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
        if (passed != nullptr) {
            // The banner the bridge starts at comes before the lines of every unit opened
            // later; units opened before, still open, hold their own first bytes.
            while (firstOpen < cuts.size() && !cuts[firstOpen])
                ++firstOpen;
            const char* oldest = bridge.empty() ? text.data() : bridge.front().data();
            if (firstOpen < cuts.size())
                oldest = std::min(oldest, cuts[firstOpen]->Oldest);
            passed->Before(oldest);
        }
    }
    for (auto& cut : cuts)
        if (cut)
            build(cut);
}

} // namespace korvid::workunits
