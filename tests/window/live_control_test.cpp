#include <QStatusBar>
#include <QTableView>
#include <QTcpServer>

#include <nlohmann/json.hpp>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"

namespace korvid {
namespace {

using nlohmann::json;

class LiveControlTest : public MainWindowTest {
protected:
    LiveControlTest()
    {
        QString error;
        started = folding.Start(error) && readOnly.Start(error);
    }
    // The lines of a machine's block, its own first.
    [[nodiscard]] std::vector<int> Lines(const std::string& prefix) const
    {
        std::vector<int> lines;
        for (int row = 0; row < Model().rowCount(); ++row)
            if (Model().Row(row).Key.starts_with(prefix))
                lines.push_back(row);
        return lines;
    }
    // Selects the line, answers the question, and chooses the item.
    void Choose(int row, const char* item, bool answer)
    {
        Find<QTableView>("tvLive").selectRow(row);
        messages.Answers.push_back(answer);
        Trigger(item);
    }

    clientsim::TScriptedClient client{{.Groups = 2, .UnitSeconds = 20'000}};
    clientsim::TScriptedClient old{{.Groups = 1, .UnitSeconds = 20'000, .Version = "8.2"}};
    // The simulators move only when the test steps them.
    clientsim::TServerOptions options{.TickSeconds = 3600, .PingSeconds = 3600};
    clientsim::TSimServer folding{client, options};
    clientsim::TSimServer readOnly{old, options};
    bool started = false;
};

TEST_F(LiveControlTest, SendsOneStateCommandAfterYesNoneAfterNoAndNoneToAReadOnlyClient)
{
    ASSERT_TRUE(started);
    Settings("AutoAddToHisto=0\nClients=127.0.0.1:" + std::to_string(folding.Port()) +
             "=Rig; 127.0.0.1:" + std::to_string(readOnly.Port()) + "=Old\n");
    Start();
    ASSERT_TRUE(Until([&] {
        folding.Step(60);
        readOnly.Step(60);
        // The log and the finished units asked for, the units shown.
        return folding.Commands().size() == 2 && readOnly.Commands().size() == 1 &&
               Lines("0:").size() == 3 && Lines("1:").size() >= 2;
    }));
    const int rig = Lines("0:")[0];
    const int unit = Lines("0:")[1];
    const std::string group = Model().Row(unit).Cells[1].toStdString();

    Choose(unit, "mnuLiveFinish", false);
    Choose(unit, "mnuLiveFinish", true);
    Choose(rig, "mnuLivePause", true);
    ASSERT_TRUE(Until([&] { return folding.Commands().size() >= 4; }));
    // A command sent after the "no" would have come first: one link keeps the order.
    ASSERT_EQ(folding.Commands().size(), 4U);
    EXPECT_EQ(json::parse(folding.Commands()[2]),
              (json{{"cmd", "state"}, {"state", "finish"}, {"group", group}}));
    EXPECT_EQ(json::parse(folding.Commands()[3]), (json{{"cmd", "state"}, {"state", "pause"}}));
    EXPECT_EQ(messages.Questions.size(), 3U);

    // 8.2 has no groups: neither its machine nor its units offer a command.
    for (const int line : Lines("1:")) {
        Find<QTableView>("tvLive").selectRow(line);
        for (const char* item : {"mnuLivePause", "mnuLiveFold", "mnuLiveFinish"})
            EXPECT_FALSE(Find<QAction>(item).isEnabled()) << line << item;
    }
}

TEST_F(LiveControlTest, MachineThatStaysUnreachableIsToldOnceAndInTheTrayOnlyWhenMinimised)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close(); // a refused connection at once, each try
    for (const bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "minimised" : "shown");
        tray.Notices.clear();
        Settings("AutoAddToHisto=0\nClients=127.0.0.1:" + std::to_string(port) + "=Gone\n");
        Start();
        if (minimised)
            window->setWindowState(Qt::WindowMinimized);
        QStatusBar& line = Find<QStatusBar>("stbAttention");
        // The tray takes every notice; the status line tells only a change of its text.
        std::size_t told = 0;
        QObject::connect(&line, &QStatusBar::messageChanged, [&told] { ++told; });
        const QString connecting = QString::fromStdString(Text("msgLiveConnecting"));
        // Waits of 1, 2, 4 … 32 s, then the slowest pace, 60 s, from the seventh failure on.
        for (int failures = 1; failures <= 10; ++failures) {
            ASSERT_TRUE(Until([&] { return Model().Row(0).Cells[5] != connecting; }));
            const std::size_t expected = failures < 7 ? 0 : 1;
            EXPECT_EQ(told, expected) << failures;
            EXPECT_EQ(tray.Notices.size(), minimised ? expected : 0) << failures;
            liveTimers.FireRunning();
        }
        EXPECT_TRUE(line.currentMessage().contains("Gone"));
        Close();
        liveTimers.Made.clear(); // gone with the window
    }
}

} // namespace
} // namespace korvid
