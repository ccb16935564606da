#include "sim/scripted_client.h"

#include <map>
#include <tuple>

#include <gtest/gtest.h>

#include "live/state_update.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using clientsim::TScriptedClient;
using nlohmann::json;

// What a remote sees of each unit number: the states it went through and the progress values.
struct TSeen {
    std::vector<std::string> States;
    std::vector<double> Progress;
    bool Resumed = false; // a pause_reason was removed
};

std::map<int, TSeen> Follow(TScriptedClient& client, double seconds)
{
    json remote = client.State();
    std::map<int, TSeen> seen;
    for (double t = 0; t < seconds; t += 3.7) {
        for (const json& message : client.Advance(3.7)) {
            // Applied as Korvid's reader applies it, not by the simulator's own rule; the
            // client never says what is already so.
            json update = message, before = remote, *container = nullptr;
            EXPECT_EQ(live::ApplyUpdate(remote, update, &container), "") << message;
            EXPECT_NE(remote, before) << message;
            if (message.size() == 3 && message[2].is_object())
                seen[message[2]["number"]].States.push_back(message[2]["state"]);
            if (message.size() != 4 || message[0] != "units")
                continue;
            TSeen& unit = seen[(*container)["number"].get<int>()];
            if (message[2] == "state")
                unit.States.push_back(message[3]);
            if ((message[2] == "wu_progress" || message[2] == "progress") &&
                (*container)["state"] == "RUN")
                unit.Progress.push_back(message[3]);
            unit.Resumed |= (message[2] == "pause_reason" || message[2] == "pause-reason") &&
                            message[3].is_null();
        }
        EXPECT_EQ(remote, client.State()) << "after " << t << " s";
    }
    return seen;
}

TEST(ScriptedClient, UpdatesRebuildItsStateThroughEveryUnitsLife)
{
    for (const auto& row : test::CaseTable("clientsim/data/client_versions.cases", 4)) {
        SCOPED_TRACE(row[0]);
        TScriptedClient client({.Units = 3, .UnitSeconds = 200, .Version = row[0]});
        // Each unit may be paused up to 300 s.
        const auto seen = Follow(client, 3 * (200 + 300 + 60));
        const std::size_t groups = client.State().contains("groups") ? 2 : 1;
        ASSERT_EQ(seen.size(), 3 * groups);
        EXPECT_EQ(client.Finished().size(), 3 * groups);
        EXPECT_TRUE(client.State()["units"].empty());
        for (const auto& [number, unit] : seen) {
            std::string states;
            for (const std::string& state : unit.States)
                states += (states.empty() ? "" : " ") + state;
            // A dumped unit goes on its own way.
            if (!states.starts_with("ASSIGN DOWNLOAD CORE RUN DUMP ")) {
                EXPECT_EQ(states, row[3]) << number;
            }
        }
        const json& record = client.Finished().back();
        EXPECT_TRUE(record.contains(row[1]));
        EXPECT_EQ(record["eta"].type_name(), row[2]);
        EXPECT_EQ(record.contains("result"), row[0] >= "8.4.5");
    }
}

TEST(ScriptedClient, ResumedUnitShowsNoProgressUntilItsCoreReports)
{
    TScriptedClient client({.Groups = 4, .Units = 4, .UnitSeconds = 300});
    int resumed = 0;
    for (const auto& [number, unit] : Follow(client, 4000)) {
        if (!unit.Resumed)
            continue;
        ++resumed;
        // Rising, down to 0 once at the resume, then rising again from the checkpoint.
        const auto drop = std::adjacent_find(unit.Progress.begin(), unit.Progress.end(),
                                             [](double a, double b) { return b < a; });
        ASSERT_NE(drop, unit.Progress.end());
        EXPECT_EQ(drop[1], 0);
        ASSERT_GT(unit.Progress.end() - drop, 2);
        EXPECT_GT(drop[2], 0.05);
        EXPECT_LE(drop[2], drop[0]);
        EXPECT_TRUE(std::is_sorted(drop + 1, unit.Progress.end()));
    }
    EXPECT_GT(resumed, 0) << "no unit of this seed was paused";
}

TEST(ScriptedClient, RestartedClientOffersItsUnitsInAnotherOrder)
{
    TScriptedClient client({.Groups = 3});
    (void)client.Advance(100);
    const json before = client.State()["units"];
    ASSERT_EQ(before.size(), 3u);
    client.Restart();
    const json& after = client.State()["units"];
    EXPECT_EQ(after[0]["id"], before[1]["id"]);
    EXPECT_EQ(after[2]["id"], before[0]["id"]);
    EXPECT_EQ(client.LogSince(0).front().substr(8),
              ":I1:************************* Folding@home Client *************************");
    Follow(client, 400); // the updates after a restart address the new order
}

TEST(ScriptedClient, LogReadsBackAsItsUnitsWithTheirFrames)
{
    TScriptedClient client({.Groups = 3, .Units = 3, .Seed = 7});
    (void)client.Advance(3 * 3 * 600);
    ASSERT_EQ(client.Finished().size(), 9u);
    std::string log;
    for (const std::string& line : client.LogSince(0))
        log += line + "\n";
    test::TFakeClock clock;
    workunits::TWUs wus;
    wus.ReadLog(log, "/var/lib/fah-client/log.txt", clock);
    ASSERT_EQ(wus.Count(), 9);
    std::map<std::tuple<int, int, int>, const workunits::TWU*> byPrc;
    int restarts = 0;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const workunits::TWU& wu = *wus.Items(i);
        byPrc[{wu.Project, wu.Run, wu.Clone}] = &wu;
        for (const workunits::TStep& step : wu.Steps)
            restarts += step.RestartAfter;
    }
    EXPECT_GT(restarts, 0);
    // Each finished unit was read with its gen and last frame; a credited one folded them all.
    for (const json& record : client.Finished()) {
        const json& id = record["wu"];
        const auto* wu = byPrc[{record["assignment"]["project"].get<int>(), id["run"].get<int>(),
                                id["clone"].get<int>()}];
        ASSERT_NE(wu, nullptr) << record["number"];
        EXPECT_EQ(std::tuple(wu->Gen, wu->Steps.Back().Frame,
                             record["result"] != "credited" || wu->FoldedFrames() == 100),
                  std::tuple(id["gen"].get<int>(), record["frames"].get<int>(), true))
            << record["number"];
    }
}

} // namespace
} // namespace korvid
