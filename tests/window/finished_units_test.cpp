#include <algorithm>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTableView>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"
#include "testing/fake_window_events.h"
#include "window/live_model.h"
#include "window/wu_info.h"
#include "workunits/csv_report.h"

namespace korvid {
namespace {

using namespace std::chrono_literals;

class FinishedUnitsTest : public MainWindowTest {
protected:
    FinishedUnitsTest()
    {
        options.TickSeconds = 3600; // the simulator moves only when the test steps it
        options.PingSeconds = 3600;
        QString error;
        started = server.Start(error);
    }
    // As Start, with the periodic save in the test's hands.
    void StartWithAutoSave()
    {
        window::TWindowSeams seams{clock,  regional, folder,   messages,
                                   dialog, opener,   "Korvid", histoLimit};
        seams.LiveTimers = &liveTimers;
        seams.UtcClock = &clock;
        seams.AutoSaveTimer = &autoSave;
        window = std::make_unique<window::TfrmMain>(seams);
        window->FormCreate();
    }
    // Steps the simulated client a minute at a time, handing its messages over, until the
    // condition holds; the bound only keeps a broken link from hanging the suite.
    template <class TCondition> bool StepUntil(TCondition condition)
    {
        const QDeadlineTimer bound(20s);
        while (!condition() && !bound.hasExpired()) {
            server.Step(60);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return condition();
    }
    [[nodiscard]] int UnitRows() const
    {
        const auto& model = dynamic_cast<window::TLiveModel&>(*Find<QTableView>("tvLive").model());
        int units = 0;
        for (int row = 0; row < model.rowCount(); ++row)
            units += model.Row(row).Key.starts_with("0:") && model.Row(row).Key != "0:";
        return units;
    }
    [[nodiscard]] std::ptrdiff_t Credited() const
    {
        return std::count_if(
            client.Finished().begin(), client.Finished().end(),
            [](const nlohmann::json& unit) { return unit["result"] == "credited"; });
    }

    clientsim::TScriptedClient client{{.Groups = 1, .Units = 2, .UnitSeconds = 1200}};
    clientsim::TServerOptions options;
    clientsim::TSimServer server{client, options};
    test::TFakeTimer autoSave;
    bool started = false;
};

TEST_F(FinishedUnitsTest, CreditedUnitJoinsTheHistoryOnceWithTheClientsFactsAndIsSaved)
{
    ASSERT_TRUE(started);
    Settings("Clients=127.0.0.1:" + std::to_string(server.Port()) + "=Rig\n");
    StartWithAutoSave();
    ASSERT_TRUE(StepUntil([&] { return window->WUsHisto().Count() > 0; }));
    const workunits::TWU& wu = *window->WUsHisto().Items(0);
    const auto record =
        std::find_if(client.Finished().begin(), client.Finished().end(), [&](const auto& unit) {
            return unit["assignment"]["project"] == wu.Project && unit["wu"]["gen"] == wu.Gen;
        });
    ASSERT_NE(record, client.Finished().end());
    EXPECT_EQ((*record)["result"], "credited");
    EXPECT_GE(wu.Steps.Count(), 100); // its frames, from the streamed log
    EXPECT_EQ(wu.Client.Machine, "sim1");
    ASSERT_TRUE(wu.Client.Ppd && wu.Client.Credit);
    // The client's last figures: its PPD, and the credit that PPD stands for over the unit's
    // whole run time.
    EXPECT_EQ(*wu.Client.Ppd, (*record)["ppd"].get<double>());
    EXPECT_NEAR(*wu.Client.Credit,
                *wu.Client.Ppd * (*record)["run_time"].get<double>() / 86'400, 0.5);
    EXPECT_FALSE(wu.Client.Partial);
    // Shown in the information panel, and exported after the log path.
    const std::string memo = window::BuildWUInfo(wu, window->Translation(), regional).Memo;
    EXPECT_NE(memo.find(Text("msgClientMachine") + ": sim1\n"), std::string::npos) << memo;
    const std::string csv = workunits::BuildCsvText(
        wu, [&](std::string_view key) { return Text(key); }, regional);
    EXPECT_NE(csv.find(Text("msgClientMachine") + ";sim1"), std::string::npos) << csv;

    // Each unit leaves the client's units and comes on the finished stream. Once the client
    // has ended both, what it sent is handed over: the credited one joined once, the other not.
    ASSERT_TRUE(StepUntil([&] { return client.Finished().size() == 2 && UnitRows() == 0; }));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(Credited(), 1) << "the script's seed ends the units otherwise";
    EXPECT_EQ(window->WUsHisto().Count(), 1);

    // Saved as other additions are: by the periodic save, facts and all.
    ASSERT_TRUE(autoSave.Waiting);
    autoSave.Fire();
    history::THistory saved(dir.Path(), clock);
    ASSERT_EQ(saved.Load().Outcome, history::THistoLoad::Loaded);
    ASSERT_EQ(saved.WUs().Count(), Credited());
    EXPECT_TRUE(saved.WUs().Items(0)->Client == wu.Client);
}

} // namespace
} // namespace korvid
