#include <tuple>

#include <QTableView>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"
#include "window/live_model.h"

namespace korvid {
namespace {

class LiveChartTest : public MainWindowTest {
protected:
    LiveChartTest()
    {
        QString error;
        started = server.Start(error);
    }
    // The live page, following the simulator, with its first unit's line selected: that line.
    std::string FollowFirstUnit(const std::string& settings = "")
    {
        Settings("AutoAddToHisto=0\nShowInfo=1\nClients=127.0.0.1:" +
                 std::to_string(server.Port()) + "=Rig\n" + settings);
        Start();
        Pages().setCurrentWidget(&Find<QWidget>("tsLive"));
        EXPECT_TRUE(StepUntil(60, [&] { return Model().rowCount() > 2; }));
        Find<QTableView>("tvLive").selectRow(1);
        return Model().Row(1).Key;
    }
    // The messages travel through a real socket: each step runs the event loop until they came.
    // The rounds only keep a broken link from hanging the suite.
    template <class TCondition> bool StepUntil(double seconds, TCondition condition)
    {
        for (int round = 0; round < 500 && !condition(); ++round) {
            server.Step(seconds);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return condition();
    }
    [[nodiscard]] int LastFrame() const
    {
        const workunits::TWU* wu = window->CurrentWU();
        return wu == nullptr || wu->Steps.Empty() ? -1 : wu->Steps.Back().Frame;
    }
    [[nodiscard]] bool MemoHas(std::string_view key, const QString& value) const
    {
        const std::string line =
            window->Translation().GetText("", key) + ": " + value.toStdString();
        return Memo().find(line) != std::string::npos;
    }

    clientsim::TScriptedClient client{{.Groups = 2, .UnitSeconds = 3'000}};
    // The simulator moves only when the test steps it.
    clientsim::TServerOptions options{.TickSeconds = 3600, .PingSeconds = 3600};
    clientsim::TSimServer server{client, options};
    bool started = false;
};

TEST_F(LiveChartTest, ASelectedUnitChartsItsFramesAndFollowsThemKeepingTheZoom)
{
    ASSERT_TRUE(started);
    const std::string key = FollowFirstUnit(LogFile({A}));
    ASSERT_TRUE(StepUntil(60, [&] { return LastFrame() >= 3; }));
    const window::TLiveRow& row = Model().Row(1);
    ASSERT_EQ(row.Key, key);
    EXPECT_EQ(Chart().CurrentWU(), window->CurrentWU());
    EXPECT_EQ(window->CurrentWU()->Project, row.Cells[3].section(' ', 0, 0).toInt());
    EXPECT_TRUE(MemoHas("msgLiveStatus", row.Cells[5]));
    EXPECT_TRUE(MemoHas("msgLivePpd", row.Cells[9]));
    EXPECT_TRUE(MemoHas("msgLiveCredit", row.Cells[10]));
    EXPECT_TRUE(MemoHas("msgFoldedFrames", QString::number(window->CurrentWU()->FoldedFrames())));

    window::TChartWidget& chart = Chart();
    const chart::TGraph& g = *chart.Chart().Graph(1);
    test::Drag(chart, QPoint(g.PlotLeft + g.PlotWidth / 4, g.PlotTop() + 1),
               QPoint(g.PlotRight() - 1, g.PlotBottom - 1), Qt::ControlModifier);
    const chart::TZoomWindow zoom = chart.Chart().Zoom(1);
    ASSERT_NE(zoom, chart::TZoomWindow{});
    const int frame = LastFrame();
    ASSERT_TRUE(StepUntil(60, [&] { return LastFrame() > frame; }));
    EXPECT_EQ(chart.CurrentWU(), window->CurrentWU());
    EXPECT_EQ(chart.Chart().Zoom(1), zoom);

    // The log page shows its own unit again.
    Pages().setCurrentIndex(0);
    ASSERT_NE(window->SelLogWU(), nullptr);
    EXPECT_EQ(chart.CurrentWU(), window->SelLogWU());
}

TEST_F(LiveChartTest, AUnitThatLeavesOrWhoseClientDropsKeepsItsLastFrames)
{
    ASSERT_TRUE(started);
    const std::string key = FollowFirstUnit();
    ASSERT_TRUE(StepUntil(60, [&] { return LastFrame() >= 1; }));
    ASSERT_TRUE(StepUntil(1200, [&] { return Model().Row(1).Key != key; }));
    const workunits::TWU* kept = window->CurrentWU();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(MemoHas("msgLiveStatus", QString::fromStdString(Text("msgLiveUnitGone"))));

    server.DropAll();
    ASSERT_TRUE(StepUntil(60, [&] { return !Model().Row(0).Cells[5].contains("8.4.5"); }));
    EXPECT_EQ(std::tuple(window->CurrentWU(), Chart().CurrentWU()), std::tuple(kept, kept));

    // A machine's line shows no unit.
    Find<QTableView>("tvLive").selectRow(0);
    EXPECT_EQ(std::tuple(Chart().CurrentWU(), Memo()), std::tuple(nullptr, ""));
}

} // namespace
} // namespace korvid
