#include "sim/scripted_client.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "util/date_time.h"

namespace korvid::clientsim {
namespace {

using nlohmann::json;

constexpr int DaysTo1970 = 25569;           // 1970-01-01 in days since 1899-12-30
constexpr std::size_t MaxLogLines = 100000; // the client's ring of recent lines
constexpr double NominalUnitSeconds = 6 * 3600;
constexpr double CoreStartSeconds = 15; // from a resume until the core reports its checkpoint
constexpr char IdAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr const char* User = "Korvid_Sim";
constexpr int Team = 32;
// Never a real donor's; here so that a reader can be checked to keep it to itself.
constexpr const char* Passkey = "0123456789abcdef0123456789abcdef";

struct TProject {
    int Number, Core, Steps, Credit;
};

constexpr TProject Projects[] = {
    {18201, 0xa8, 500000, 18100}, {17605, 0xa8, 250000, 9400},   {12419, 0xa8, 1000000, 26500},
    {16958, 0xa7, 250000, 4200},  {19227, 0xa8, 1500000, 31200},
};

// By prefix, first match: 8.4.0 and 8.4.1 wrote the ETA as seconds.
constexpr struct {
    const char* Prefix;
    TVersion Version;
} Releases[] = {{"8.1", TVersion::V81},    {"8.2", TVersion::V82},    {"8.3", TVersion::V83},
                {"8.4.0", TVersion::V840}, {"8.4.1", TVersion::V840}, {"8.4", TVersion::V845},
                {"8.5", TVersion::V857}};
// What each announces, in the order of TVersion.
constexpr const char* FullVersions[] = {"8.1.18", "8.2.1", "8.3.18", "8.4.0", "8.4.5", "8.5.7"};

const char* FullVersion(TVersion version)
{
    return FullVersions[static_cast<int>(version)];
}

std::string Format(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

TVersion ParseVersion(std::string_view text)
{
    for (const auto& release : Releases) {
        const std::string_view prefix = release.Prefix;
        if (text.substr(0, prefix.size()) == prefix &&
            (text.size() == prefix.size() || text[prefix.size()] == '.'))
            return release.Version;
    }
    throw std::invalid_argument("no simulated client release " + std::string(text) +
                                ": give 8.1, 8.2, 8.3, 8.4.0, 8.4.5 or 8.5.7");
}

TScriptedClient::TScriptedClient(const TScriptOptions& options)
    : m_options(options), m_version(ParseVersion(options.Version)), m_random(options.Seed),
      m_ids(options.Seed ^ std::hash<std::string>{}(options.MachineName))
{
    const bool groups = m_version >= TVersion::V83;
    const int groupCount = groups ? std::clamp(options.Groups, 1, 16) : 1;
    m_options.UnitSeconds = std::max(options.UnitSeconds, 10.0);
    m_lastNumber = 1000 + m_ids.Below(900000);

    json info = {{"version", FullVersion(m_version)},
                 {"os", "linux"},
                 {Key("os_version"), "6.1"},
                 {"cpu", "amd64"},
                 {Key("cpu_brand"), "Korvid Simulated CPU"},
                 {"cpus", 4 * groupCount},
                 {"gpus", json::object()},
                 {"id", RandomId()}};
    if (m_version >= TVersion::V82) {
        info["mach_name"] = options.MachineName;
        info["hostname"] = options.MachineName;
        info["account"] = "";
    }
    if (m_version >= TVersion::V83) {
        info["url"] = m_version >= TVersion::V857 ? "https://v8-5.foldingathome.org/"
                                                  : "https://v8-4.foldingathome.org/";
        info["mode"] = "Release";
        info["revision"] = "0000000000000000000000000000000000000000";
        info["has_battery"] = false;
        info["on_battery"] = false;
    }
    if (m_version >= TVersion::V857) {
        info["pid"] = 4242;
        info["cwd"] = "/var/lib/fah-client";
    }
    json folding = {{"paused", false},
                    {"finish", false},
                    {"cpus", 4},
                    {"gpus", json::object()},
                    {Key("on_idle"), false}};
    json config = {{"user", User}, {"team", Team}, {"passkey", Passkey}, {"cause", "any"}};
    m_state = {{"info", std::move(info)}, {"units", json::array()}};
    for (int i = 0; i < groupCount; ++i) {
        TGroup& group = m_groups.emplace_back();
        group.Name = i == 0 ? "" : "rg" + std::to_string(i);
        group.NextAssign = 2 + 3 * i;
    }
    if (groups) {
        folding.update({{"beta", false}, {"key", 0}, {"on_battery", false}, {"keep_awake", true}});
        if (m_version >= TVersion::V840)
            folding["cuda"] = false;
        if (m_version >= TVersion::V857)
            folding["hip"] = false;
        for (const TGroup& group : m_groups)
            m_state["groups"][group.Name] = {{"config", folding}};
    } else {
        config.update(folding); // one group, its settings among the client's
    }
    m_state["config"] = std::move(config);
    StartLog();
}

std::vector<json> TScriptedClient::Advance(double seconds)
{
    // Whole seconds, as the client re-estimates progress each second.
    while (seconds > 0) {
        const double step = std::min(seconds, 1.0);
        seconds -= step;
        m_now += step;
        for (TGroup& group : m_groups)
            Tick(group, step);
    }
    return std::exchange(m_out, {});
}

std::vector<std::string> TScriptedClient::LogSince(std::size_t line) const
{
    const std::size_t from = std::max(line, m_logFirst) - m_logFirst;
    if (from >= m_log.size())
        return {};
    return {m_log.begin() + static_cast<std::ptrdiff_t>(from), m_log.end()};
}

void TScriptedClient::Restart()
{
    std::vector<TRun*> running;
    for (TGroup& group : m_groups)
        if (group.Unit &&
            (group.Unit->Phase == TPhase::Run || group.Unit->Phase == TPhase::Starting)) {
            running.push_back(&*group.Unit);
            EndCore(*group.Unit);
        }
    m_logFirst += m_log.size();
    m_log.clear();
    StartLog();
    json& units = m_state["units"];
    if (units.size() > 1) {
        json first = std::move(units[0]);
        units.erase(units.begin());
        units.push_back(std::move(first));
        for (TGroup& group : m_groups)
            if (group.Unit)
                group.Unit->Index = (group.Unit->Index + units.size() - 1) % units.size();
    }
    for (TRun* run : running)
        StartCore(*run, true);
    // A remote that connects now gets the state as it stands; none heard the steps to it.
    m_out.clear();
}

void TScriptedClient::Tick(TGroup& group, double seconds)
{
    if (!group.Unit) {
        if (!group.Stopped && m_now >= group.NextAssign)
            Assign(group);
        return;
    }
    if (group.Unit->Phase == TPhase::Run)
        Running(group, seconds);
    else if (m_now >= group.Unit->Until)
        NextPhase(group);
}

void TScriptedClient::Assign(TGroup& group)
{
    if (m_options.Units > 0 && group.Begun == m_options.Units) {
        group.Stopped = true;
        SetGroup(group, "paused", true);
        SetGroup(group, "finish", false);
        return;
    }
    ++group.Begun;
    TRun& run = group.Unit.emplace();
    run.Number = ++m_lastNumber;
    run.Index = m_state["units"].size();
    run.Project = m_random.Below(static_cast<int>(std::size(Projects)));
    run.Run = m_random.Below(5000);
    run.Clone = m_random.Below(200);
    run.Gen = m_random.Below(400);
    const int roll = m_random.Below(100);
    run.End = roll < 80 ? TEnd::Credited : roll < 90 ? TEnd::Dumped : TEnd::Failed;
    run.EndFrame = run.End == TEnd::Credited ? 100 : 5 + m_random.Below(60);
    if (m_random.Chance(30)) {
        run.PauseFrame = 10 + m_random.Below(60);
        run.PauseSeconds = 60 + m_random.Below(240);
    }
    run.AssignedAt = m_now;
    run.Until = m_now + 2;

    json unit = {{"number", run.Number}, {"cpus", 4}, {"gpus", json::array()}, {"state", "ASSIGN"}};
    if (m_version != TVersion::V82)
        unit["group"] = group.Name;
    Set({"units", run.Index}, std::move(unit));
    SetUnit(run, "paused", false);
    SetUnit(run, "id", RandomId());
    UnitLog(run, Format("Requesting WU assignment for user %s team %d", User, Team));
    if (m_options.Units > 0 && group.Begun == m_options.Units)
        SetGroup(group, "finish", true); // fold this one, then pause
}

void TScriptedClient::NextPhase(TGroup& group)
{
    TRun& run = *group.Unit;
    switch (run.Phase) {
    case TPhase::Assign:
        run.Phase = TPhase::Download;
        run.Until = m_now + 3;
        SetUnit(run, "state", "DOWNLOAD");
        SetUnit(run, "progress", 0);
        UnitLog(run, "Downloading WU");
        break;
    case TPhase::Download:
        run.Phase = TPhase::Core;
        run.Until = m_now + 1;
        UnitLog(run, Format("Received WU P%d R%d C%d G%d", Projects[run.Project].Number, run.Run,
                            run.Clone, run.Gen));
        SetUnit(run, "state", "CORE");
        SetUnit(run, "progress", 1); // the core is on disk already
        break;
    case TPhase::Core:
        SetUnit(run, "state", "RUN");
        SetUnit(run, "progress", 0);
        StartCore(run, false);
        break;
    case TPhase::Starting:
        CoreReports(run);
        break;
    case TPhase::Paused:
        SetGroup(group, "paused", false);
        SetUnit(run, Key("pause_reason"), nullptr);
        StartCore(run, true);
        break;
    case TPhase::Upload:
    case TPhase::Dump:
        Remove(group);
        break;
    case TPhase::Run:
        break;
    }
}

void TScriptedClient::StartCore(TRun& run, bool resumed)
{
    run.RunStart = m_now;
    run.InFrame = 0;
    if (m_version >= TVersion::V840)
        SetUnit(run, "start_time", Iso());
    if (m_version >= TVersion::V857)
        SetUnit(run, "pid", 10000 + m_random.Below(50000));
    if (!resumed) {
        const std::string time = Iso();
        SetUnit(run, "assignment",
                {{"time", time},
                 {"ws", "ws1.example.org"},
                 {"port", 443},
                 {"project", Projects[run.Project].Number},
                 {"deadline", 345600},
                 {"timeout", 259200},
                 {"credit", Projects[run.Project].Credit},
                 {"cpus", 4},
                 {Key("min_cpus"), 1},
                 {Key("max_cpus"), 64},
                 {"core", {{"type", Format("0x%02x", Projects[run.Project].Core)}}}});
        SetUnit(run, "wu",
                {{"time", time},
                 {"cs", {"cs1.example.org"}},
                 {"server", 2166411723},
                 {"run", run.Run},
                 {"clone", run.Clone},
                 {"gen", run.Gen}});
    }
    // The estimate starts over with the new core process, until the core reports.
    Estimates(run, 0);
    UnitLog(run, "Starting");
    UnitLog(run, Format("Running FahCore: /var/lib/fah-client/cores/FahCore_%02x -dir %d "
                        "-suffix 01",
                        Projects[run.Project].Core, run.Number));
    UnitLog(run, Format("Started FahCore on PID %d", 1000 + m_random.Below(60000)));
    run.Phase = TPhase::Starting;
    run.Until = m_now + (resumed ? CoreStartSeconds : 0);
    if (!resumed)
        CoreReports(run);
}

void TScriptedClient::CoreReports(TRun& run)
{
    UnitLog(run, "*********************** Log Started " + Iso() + " ***********************");
    UnitLog(run, Format("       Type: 0x%02x", Projects[run.Project].Core));
    UnitLog(run, Format("Project: %d (Run %d, Clone %d, Gen %d)", Projects[run.Project].Number,
                        run.Run, run.Clone, run.Gen));
    UnitLog(run, "Digital signatures verified");
    UnitLog(run, Format("Completed %d out of %d steps (%d%%)",
                        Projects[run.Project].Steps / 100 * run.Frame, Projects[run.Project].Steps,
                        run.Frame));
    run.Phase = TPhase::Run;
    run.FrameSeconds = m_options.UnitSeconds / 100 * (0.97 + 0.06 * m_random.Unit());
    Estimates(run, run.Frame / 100.0);
}

void TScriptedClient::Running(TGroup& group, double seconds)
{
    TRun& run = *group.Unit;
    run.InFrame += seconds;
    while (run.InFrame >= run.FrameSeconds) {
        run.InFrame -= run.FrameSeconds;
        ++run.Frame;
        run.FrameSeconds = m_options.UnitSeconds / 100 * (0.97 + 0.06 * m_random.Unit());
        UnitLog(run, Format("Completed %d out of %d steps (%d%%)",
                            Projects[run.Project].Steps / 100 * run.Frame,
                            Projects[run.Project].Steps, run.Frame));
        SetUnit(run, "frames", run.Frame);
        if (run.Frame == run.EndFrame) {
            EndCore(run);
            return;
        }
    }
    // Paused midway through a frame: the core starts again from the frame's checkpoint.
    if (run.Frame == run.PauseFrame && run.InFrame >= run.FrameSeconds / 2) {
        Pause(group);
        return;
    }
    Estimates(run, (run.Frame + run.InFrame / run.FrameSeconds) / 100);
}

void TScriptedClient::Pause(TGroup& group)
{
    TRun& run = *group.Unit;
    run.PauseFrame = -1;
    SetGroup(group, "paused", true);
    SetUnit(run, Key("pause_reason"), "Paused");
    EndCore(run);
    run.Phase = TPhase::Paused;
    run.Until = m_now + run.PauseSeconds;
}

void TScriptedClient::EndCore(TRun& run)
{
    run.RunTime += m_now - run.RunStart;
    const bool ends = run.Frame == run.EndFrame;
    if (!ends) {
        UnitLog(run, "Core returned INTERRUPTED (102)");
    } else {
        switch (run.End) {
        case TEnd::Credited:
            UnitLog(run, "Folding@home Core Shutdown: FINISHED_UNIT");
            UnitLog(run, "Core returned FINISHED_UNIT (100)");
            Estimates(run, 1);
            break;
        case TEnd::Dumped:
            UnitLog(run, "Core returned FAILED_1 (0)", "E ");
            break;
        case TEnd::Failed:
            UnitLog(run, "Core returned BAD_WORK_UNIT (114)", "W ");
            break;
        }
    }
    SetUnit(run, Key("run_time"), RunSeconds(run));
    SetUnit(run, "start_time", nullptr);
    SetUnit(run, "pid", nullptr);
    if (!ends)
        return;
    run.Until = m_now + 3;
    if (run.End == TEnd::Dumped) {
        run.Phase = TPhase::Dump;
        SetUnit(run, "state", "DUMP");
        UnitLog(run, "Sending dump report");
    } else {
        run.Phase = TPhase::Upload;
        SetUnit(run, "state", "UPLOAD");
        UnitLog(run, "Uploading WU results");
    }
}

void TScriptedClient::Remove(TGroup& group)
{
    TRun& run = *group.Unit;
    const char* result = run.End == TEnd::Credited ? "credited"
                         : run.End == TEnd::Dumped ? "dumped"
                                                   : "failed";
    if (run.End != TEnd::Dumped) {
        SetUnit(run, "progress", 1);
        UnitLog(run, run.End == TEnd::Credited ? "Credited" : "Server responded FAILED");
    }
    if (m_version >= TVersion::V840)
        SetUnit(run, "end_time", Iso());
    if (m_version >= TVersion::V845)
        SetUnit(run, "result", result);
    SetUnit(run, "state", "DONE");
    if (m_version <= TVersion::V840)
        SetUnit(run, "state", "CLEAN");
    if (m_version >= TVersion::V83)
        Set({"groups", group.Name, "wait"}, Iso());
    m_finished.push_back(m_state["units"][run.Index]);
    Log(Format("D3:WU%d:Cleaning WU", run.Number));
    const std::size_t index = run.Index;
    Set({"units", index}, nullptr);
    group.Unit.reset();
    group.NextAssign = m_now + 5 + m_random.Below(20);
    for (TGroup& other : m_groups)
        if (other.Unit && other.Unit->Index > index)
            --other.Unit->Index;
}

void TScriptedClient::Estimates(TRun& run, double progress)
{
    const double left = (1 - progress) * m_options.UnitSeconds;
    const double shown = std::round(progress * 1000) / 1000;
    // Whole values as integers, as the client writes them.
    SetUnit(run, ProgressKey(),
            shown == std::floor(shown) ? json(static_cast<int>(shown)) : json(shown));
    SetUnit(run, "eta", Eta(left));
    // The client's bonus rule: credit grows with the square root of the time to spare. Reckoned
    // as if the unit ran for hours, as real ones do; a unit of minutes would earn millions a day.
    const double scale = NominalUnitSeconds / m_options.UnitSeconds;
    const double taken = (m_now - run.AssignedAt + left) * scale;
    const double credit =
        Projects[run.Project].Credit * std::max(1.0, std::sqrt(0.75 * 345600 / taken));
    SetUnit(run, "ppd", std::lround(credit * 86400 / NominalUnitSeconds));
}

void TScriptedClient::Set(json path, json value)
{
    json* parent = &m_state;
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        parent = path[i].is_string() ? &(*parent)[path[i].get_ref<const std::string&>()]
                                     : &(*parent)[path[i].get<std::size_t>()];
    const json& key = path.back();
    if (parent->is_array()) {
        const auto at = key.get<std::size_t>();
        if (value.is_null())
            parent->erase(at);
        else if (at == parent->size())
            parent->push_back(value);
        else if ((*parent)[at] == value)
            return;
        else
            (*parent)[at] = value;
    } else {
        const std::string& name = key.get_ref<const std::string&>();
        const auto found = parent->find(name);
        if (found == parent->end() ? value.is_null() : *found == value)
            return; // the client says nothing of a change that changes nothing
        if (value.is_null())
            parent->erase(found);
        else
            (*parent)[name] = value;
    }
    path.push_back(std::move(value));
    m_out.push_back(std::move(path));
}

void TScriptedClient::SetUnit(const TRun& run, std::string_view key, json value)
{
    if ((key == "start_time" || key == "end_time") && m_version < TVersion::V840)
        return;
    if (key == "pid" && m_version < TVersion::V857)
        return;
    Set({"units", run.Index, key}, std::move(value));
}

void TScriptedClient::SetGroup(const TGroup& group, std::string_view key, json value)
{
    if (m_version >= TVersion::V83)
        Set({"groups", group.Name, "config", key}, std::move(value));
    else
        Set({"config", key}, std::move(value));
}

std::string TScriptedClient::Key(std::string_view name) const
{
    std::string key(name);
    if (m_version == TVersion::V81)
        std::replace(key.begin(), key.end(), '_', '-');
    return key;
}

std::string TScriptedClient::ProgressKey() const
{
    return m_version >= TVersion::V840 ? "wu_progress" : "progress";
}

json TScriptedClient::Eta(double seconds) const
{
    const int s = static_cast<int>(std::lround(seconds));
    if (m_version == TVersion::V840)
        return s;
    const bool compact = m_version >= TVersion::V845;
    const int parts[] = {s / 86400, s / 3600 % 24, s / 60 % 60, s % 60};
    const char* units[2][4] = {{" days", " hours", " mins", " secs"}, {"d", "h", "m", "s"}};
    int first = 0;
    while (first < 3 && parts[first] == 0)
        ++first;
    std::string text = std::to_string(parts[first]) + units[compact][first];
    if (first < 3)
        text += " " + std::to_string(parts[first + 1]) + units[compact][first + 1];
    return text;
}

std::string TScriptedClient::Iso() const
{
    std::string text =
        util::FormatIso(std::floor(m_options.StartEpoch + m_now) / 86400 + DaysTo1970);
    text[10] = 'T';
    return text + 'Z';
}

void TScriptedClient::Log(std::string_view text)
{
    m_log.push_back(Iso().substr(11, 8) + ":" + std::string(text));
    if (m_log.size() > MaxLogLines) {
        m_log.pop_front();
        ++m_logFirst;
    }
}

void TScriptedClient::UnitLog(const TRun& run, std::string_view text, std::string_view level)
{
    Log(std::string(level) + ":WU" + std::to_string(run.Number) + ":" + std::string(text));
}

void TScriptedClient::StartLog()
{
    Log("I1:************************* Folding@home Client *************************");
    Log(Format("I1:      Version: %s", FullVersion(m_version)));
    Log("I1:     Platform: linux 6.1");
    Log("I1:          CPU: Korvid Simulated CPU");
    Log(Format("I1:    CPU Cores: %d", 4 * static_cast<int>(m_groups.size())));
    Log("I1:***********************************************************************");
    Log("I1:Connecting to api.foldingathome.org");
}

std::string TScriptedClient::RandomId()
{
    std::string id(43, ' ');
    for (char& c : id)
        c = IdAlphabet[m_ids.Below(64)];
    return id;
}

int TScriptedClient::RunSeconds(const TRun& run) const
{
    return static_cast<int>(std::lround(run.RunTime));
}

} // namespace korvid::clientsim
