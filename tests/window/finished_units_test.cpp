#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTableView>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"

namespace korvid {
namespace {

class FinishedUnitsTest : public MainWindowTest {
protected:
    FinishedUnitsTest()
    {
        options.TickSeconds = 3600; // the simulator moves only when the test steps it
        options.PingSeconds = 3600;
        QString error;
        started = server.Start(error);
    }
    // Steps the simulated client a minute at a time, handing its messages over, until the
    // condition holds; the bound only keeps a broken link from hanging the suite.
    template <class TCondition> bool StepUntil(TCondition condition)
    {
        const QDeadlineTimer bound(20'000);
        while (!condition() && !bound.hasExpired()) {
            server.Step(60);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return condition();
    }

    // The script's seed ends its first unit credited, its second failed.
    clientsim::TScriptedClient client{{.Groups = 1, .Units = 2, .UnitSeconds = 1200}};
    clientsim::TServerOptions options;
    clientsim::TSimServer server{client, options};
    bool started = false;
};

TEST_F(FinishedUnitsTest, CreditedUnitJoinsTheHistoryOnceWithTheClientsFactsAndIsSaved)
{
    ASSERT_TRUE(started);
    Settings("Clients=127.0.0.1:" + std::to_string(server.Port()) + "=Rig\n");
    Start();
    ASSERT_TRUE(StepUntil([&] { return window->WUsHisto().Count() > 0; }));
    const workunits::TWU& wu = *window->WUsHisto().Items(0);
    const nlohmann::json& record = client.Finished().front();
    ASSERT_EQ(record["result"], "credited");
    EXPECT_GE(wu.Steps.Count(), 100); // its frames, from the streamed log
    // The client's last PPD, and the credit it stands for over the unit's whole run time.
    const workunits::TClientFacts facts{record["ppd"].get<double>() *
                                            record["run_time"].get<double>() / 86'400,
                                        record["ppd"].get<double>(), "sim1", false};
    EXPECT_TRUE(wu.Client == facts);

    // Each unit leaves the client's units and comes on the finished stream. Once the page shows
    // neither, the credited one has joined once, the failed one not.
    ASSERT_TRUE(StepUntil([&] {
        return client.Finished().size() == 2 && Find<QTableView>("tvLive").model()->rowCount() == 2;
    }));
    ASSERT_EQ(client.Finished()[1]["result"], "failed");
    EXPECT_EQ(window->WUsHisto().Count(), 1);

    // Saved as other additions are: by the periodic save, facts and all.
    ASSERT_TRUE(autoSaveTimer.Waiting);
    autoSaveTimer.Fire();
    workunits::TWUs saved;
    ASSERT_EQ(history::LoadHistoUnits(dir / "Korvid.dat", saved, clock).Outcome,
              history::THistoLoad::Loaded);
    EXPECT_TRUE(saved.Count() == 1 && saved.Items(0)->Client == facts);
}

} // namespace
} // namespace korvid
