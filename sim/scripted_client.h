#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator_parts.h"
#include "sim/simulated_client.h"

namespace korvid::clientsim {

// The client releases whose messages differ in form.
enum class TVersion { V81, V82, V83, V840, V845, V857 };

// "8.1", "8.4.5", "8.5.7"...; throws std::invalid_argument for a release not simulated.
[[nodiscard]] TVersion ParseVersion(std::string_view text);

struct TScriptOptions {
    int Groups = 2;           // folding side by side; 8.1 and 8.2 have only the default one
    int Units = 0;            // each group folds this many, then pauses itself; 0: no end
    std::uint64_t Seed = 1;   // picks projects, pauses and how units end
    double UnitSeconds = 600; // a unit's run time from 0 to 100 %
    std::string Version = "8.4.5";
    std::string MachineName = "sim1";
    double StartEpoch = 1767345187; // seconds since 1970, UTC: 2026-01-02T09:13:07Z
};

// A v8 client folding scripted units: each group takes a unit through assign, download, core,
// run and upload (or dump) to its removal, now and then paused and resumed, ending credited,
// dumped or failed, and logs it as the client does. Every change of the state is one update.
class TScriptedClient final : public ISimulatedClient {
public:
    explicit TScriptedClient(const TScriptOptions& options);

    [[nodiscard]] TVersion Version() const { return m_version; }
    [[nodiscard]] const nlohmann::json& State() const override { return m_state; }
    std::vector<nlohmann::json> Advance(double seconds) override;
    [[nodiscard]] std::size_t LogEnd() const override { return m_logFirst + m_log.size(); }
    [[nodiscard]] std::vector<std::string> LogSince(std::size_t line) const override;
    [[nodiscard]] const std::vector<nlohmann::json>& Finished() const override
    {
        return m_finished;
    }
    // The units' list turns by one, running cores start again from their last frame.
    void Restart() override;

private:
    enum class TPhase { Assign, Download, Core, Starting, Run, Paused, Upload, Dump };
    enum class TEnd { Credited, Dumped, Failed };
    struct TRun {
        int Number = 0;
        std::size_t Index = 0; // position in the state's units
        TPhase Phase = TPhase::Assign;
        double Until = 0; // when the phase ends, for the timed ones
        int Project = 0;  // row of the project table
        int Run = 0, Clone = 0, Gen = 0;
        TEnd End = TEnd::Credited;
        int EndFrame = 100;
        int PauseFrame = -1;
        double PauseSeconds = 0;
        int Frame = 0;           // the last percent the core reported
        double FrameSeconds = 0; // of the frame under way
        double InFrame = 0;
        double RunTime = 0;  // of the core runs that ended
        double RunStart = 0; // of the current core run
        double AssignedAt = 0;
    };
    struct TGroup {
        std::string Name;
        int Begun = 0;
        double NextAssign = 0;
        bool Stopped = false; // finished its units and paused itself
        std::optional<TRun> Unit;
    };

    void Tick(TGroup& group, double seconds);
    void Assign(TGroup& group);
    void NextPhase(TGroup& group);
    void StartCore(TRun& run, bool resumed);
    void CoreReports(TRun& run);
    void Running(TGroup& group, double seconds);
    void Pause(TGroup& group);
    void EndCore(TRun& run);
    void Remove(TGroup& group);
    void Estimates(TRun& run, double progress);

    // Changes the state and says so, unless the value is there already.
    void Set(nlohmann::json path, nlohmann::json value);
    void SetUnit(const TRun& run, std::string_view key, nlohmann::json value);
    void SetGroup(const TGroup& group, std::string_view key, nlohmann::json value);
    [[nodiscard]] std::string Key(std::string_view name) const;
    [[nodiscard]] std::string ProgressKey() const;
    [[nodiscard]] nlohmann::json Eta(double seconds) const;
    [[nodiscard]] std::string Iso() const;
    void Log(std::string_view text);
    void UnitLog(const TRun& run, std::string_view text, std::string_view level = "I1");
    void StartLog();
    std::string RandomId();
    [[nodiscard]] int RunSeconds(const TRun& run) const;

    TScriptOptions m_options;
    TVersion m_version;
    loggen::parts::TRandom m_random;
    // Ids and numbers: two machines given one seed still hold units of their own.
    loggen::parts::TRandom m_ids;
    double m_now = 0; // simulated seconds since the start
    nlohmann::json m_state;
    std::vector<TGroup> m_groups;
    std::vector<nlohmann::json> m_out;
    std::deque<std::string> m_log;
    std::size_t m_logFirst = 0; // number of the oldest line kept
    std::vector<nlohmann::json> m_finished;
    int m_lastNumber = 0;
};

} // namespace korvid::clientsim
