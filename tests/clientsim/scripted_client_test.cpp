#include "sim/scripted_client.h"

#include <map>

#include <gtest/gtest.h>

#include "live/state_update.h"
#include "testing/fakes.h"
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
            // Which unit a message speaks of is read before the message can remove it.
            const json* unit = message[0] == "units" && message.size() > 2 &&
                                       message[1].get<std::size_t>() < remote["units"].size()
                                   ? &remote["units"][message[1].get<std::size_t>()]
                                   : nullptr;
            const int number = unit ? (*unit)["number"].get<int>() : 0;
            // Applied as Korvid's reader applies it, not by the simulator's own rule; the
            // client never says what is already so.
            json update = message;
            const json before = remote;
            EXPECT_EQ(live::ApplyUpdate(remote, update), "") << message;
            EXPECT_NE(remote, before) << message;
            if (message.size() == 3 && message[2].is_object())
                seen[message[2]["number"]].States.push_back(message[2]["state"]);
            if (message.size() != 4 || !unit)
                continue;
            if (message[2] == "state")
                seen[number].States.push_back(message[3]);
            if ((message[2] == "wu_progress" || message[2] == "progress") &&
                (*unit)["state"] == "RUN")
                seen[number].Progress.push_back(message[3]);
            if ((message[2] == "pause_reason" || message[2] == "pause-reason") &&
                message[3].is_null())
                seen[number].Resumed = true;
        }
        EXPECT_EQ(remote, client.State()) << "after " << t << " s";
    }
    return seen;
}

TEST(ScriptedClient, UpdatesRebuildItsStateThroughEveryUnitsLife)
{
    const struct {
        const char* version;
        const char* progressKey;
        json::value_t eta;
        std::vector<std::string> ends;
    } rows[] = {
        {"8.1", "progress", json::value_t::string, {"UPLOAD", "DONE", "CLEAN"}},
        {"8.2", "progress", json::value_t::string, {"UPLOAD", "DONE", "CLEAN"}},
        {"8.3", "progress", json::value_t::string, {"UPLOAD", "DONE", "CLEAN"}},
        {"8.4.0", "wu_progress", json::value_t::number_integer, {"UPLOAD", "DONE", "CLEAN"}},
        {"8.4.5", "wu_progress", json::value_t::string, {"UPLOAD", "DONE"}},
        {"8.5.7", "wu_progress", json::value_t::string, {"UPLOAD", "DONE"}},
    };
    const std::vector<std::string> begins = {"ASSIGN", "DOWNLOAD", "CORE", "RUN"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        TScriptedClient client({.Units = 3, .UnitSeconds = 200, .Version = row.version});
        const auto seen =
            Follow(client, 3 * (200 + 300 + 60)); // each unit may be paused up to 300 s
        const std::size_t groups = client.State().contains("groups") ? 2 : 1;
        ASSERT_EQ(seen.size(), 3 * groups);
        EXPECT_EQ(client.Finished().size(), 3 * groups);
        EXPECT_TRUE(client.State()["units"].empty());
        for (const auto& [number, unit] : seen) {
            SCOPED_TRACE(number);
            ASSERT_GE(unit.States.size(), 6u);
            EXPECT_EQ(std::vector(unit.States.begin(), unit.States.begin() + 4), begins);
            if (unit.States[4] == "DUMP")
                continue;
            EXPECT_EQ(std::vector(unit.States.begin() + 4, unit.States.end()), row.ends);
        }
        const json& record = client.Finished().back();
        EXPECT_TRUE(record.contains(row.progressKey));
        EXPECT_EQ(record["eta"].type(), row.eta);
        EXPECT_EQ(record.contains("result"), std::string(row.version) >= "8.4.5");
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
    std::map<int, const workunits::TWU*> byProject;
    int restarts = 0;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i) {
        const workunits::TWU& wu = *wus.Items(i);
        byProject[wu.Project * 100000 + wu.Run * 10 + wu.Clone] = &wu;
        for (std::ptrdiff_t s = 0; s < wu.Steps.Count(); ++s)
            restarts += wu.Steps.Items(s)->RestartAfter;
    }
    EXPECT_GT(restarts, 0);
    for (const json& record : client.Finished()) {
        const int key = record["assignment"]["project"].get<int>() * 100000 +
                        record["wu"]["run"].get<int>() * 10 + record["wu"]["clone"].get<int>();
        ASSERT_TRUE(byProject.count(key)) << record["number"];
        const workunits::TWU& wu = *byProject[key];
        EXPECT_EQ(wu.Gen, record["wu"]["gen"]);
        EXPECT_EQ(wu.Steps.Items(wu.Steps.Count() - 1)->Frame, record["frames"]);
        if (record["result"] == "credited") {
            EXPECT_EQ(wu.FoldedFrames(), 100) << record["number"];
        }
    }
}

} // namespace
} // namespace korvid
