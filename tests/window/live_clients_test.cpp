#include <algorithm>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTcpServer>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"

namespace korvid {
namespace {

class LiveClientsTest : public MainWindowTest {
protected:
    LiveClientsTest() { options.PingSeconds = options.TickSeconds = 3600; }
    [[nodiscard]] QString Machine(int row) const
    {
        return Find<QTableView>("tvLive").model()->index(row, 0).data().toString();
    }
    [[nodiscard]] std::optional<std::string> SavedClients() const
    {
        return SavedSettings().Value("General", "Clients");
    }
    // A link that connects or waits to try again has a timer running.
    [[nodiscard]] bool Linking() const
    {
        return std::any_of(liveTimers.Made.begin(), liveTimers.Made.end(),
                           [](const auto* timer) { return timer->Running; });
    }
    QTableWidget& OpenDialog() const
    {
        QToolButton& button = Find<QToolButton>("sbLiveClients");
        EXPECT_FALSE(button.text().isEmpty()); // it has no glyph: a blank would not be seen
        button.click();
        return Find<QTableWidget>("tblClients");
    }
    void Click(const char* button) const { Find<QPushButton>(button).click(); }

    clientsim::TScriptedClient client{{.Groups = 1, .UnitSeconds = 20'000, .MachineName = "rig"}};
    clientsim::TServerOptions options;
    clientsim::TSimServer server{client, options};
};

TEST_F(LiveClientsTest, FirstStartAddsTheLocalClientWhenItAnswersWithItsState)
{
    QString error;
    ASSERT_TRUE(server.Start(error));
    Settings("AutoAddToHisto=0\n");
    localClient = livenet::TClientAddress{"127.0.0.1", server.Port()};
    Start();
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    ASSERT_TRUE(Until([&] { return SavedClients() == address; }));
    // The page follows it, on a link of its own.
    ASSERT_TRUE(Until([&] { return Machine(0) == "rig"; }));
}

TEST_F(LiveClientsTest, NoAnswerWritesNothingAndAnExistingSettingStopsTheLook)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    localClient = livenet::TClientAddress{"127.0.0.1", closed.serverPort()};
    closed.close();
    for (const char* clients : {"", "Clients=\n"}) {
        SCOPED_TRACE(clients);
        Settings(std::string("AutoAddToHisto=0\n") + clients);
        liveTimers.Made.clear(); // a closed window's timers are gone
        Start();
        // Looked at while the key is absent (the next start looks again), never once it exists.
        EXPECT_EQ(Linking(), *clients == '\0');
        ASSERT_TRUE(Until([&] { return !Linking(); })); // refused: no retry waits
        Close();
        EXPECT_EQ(SavedClients(), *clients == '\0' ? std::nullopt : std::optional<std::string>(""));
    }
}

TEST_F(LiveClientsTest, DialogAddsRenamesRemovesRefusesAndThePageFollowsTheSavedList)
{
    Settings("AutoAddToHisto=0\nClients=localhost:1=Attic; nowhere:0\n");
    Start();
    QTableWidget& table = OpenDialog();
    ASSERT_EQ(table.rowCount(), 2);
    // The entry that names no client is shown as written, to be mended or removed.
    EXPECT_EQ(table.item(1, 0)->text() + ":" + table.item(1, 1)->text(), "nowhere:0");
    table.item(0, 2)->setText("Loft");
    table.selectRow(1);
    Click("btnClientsRemove");
    Click("btnClientsAdd");
    EXPECT_EQ(table.item(1, 1)->text(), "7396");
    // Lines that name no client, as host, port, name, the message's key and what it quotes:
    // the dialog stays open and says why, and nothing is written.
    const char* const refused[][5] = {{"rig1:8101", "", "", "msgClientsBadHost", "rig1:8101"},
                                      {"rig1", "65536", "", "msgClientsBadPort", "65536"},
                                      {"rig1", "", "a;b", "msgClientsBadName", "a;b"},
                                      {"LOCALHOST", "1", "", "msgClientsTwice", "LOCALHOST:1"}};
    for (const auto& row : refused) {
        SCOPED_TRACE(row[3]);
        for (int column = 0; column < 3; ++column)
            table.item(1, column)->setText(row[column]);
        Click("btnClientsOk");
        EXPECT_TRUE(Find<QDialog>("frmClients").isVisible());
        EXPECT_EQ(Find<QLabel>("lblClientsError").text().toStdString(),
                  window::FormatText(window->Translation().GetText("", row[3]),
                                     {2LL, std::string(row[4])}));
    }
    EXPECT_EQ(SavedClients(), "localhost:1=Attic; nowhere:0");
    table.item(1, 0)->setText(" 127.0.0.2 ");
    table.item(1, 1)->setText("08101");
    table.item(1, 2)->setText("");
    Click("btnClientsOk");
    EXPECT_FALSE(Find<QDialog>("frmClients").isVisible());
    EXPECT_EQ(SavedClients(), "localhost:1=Loft; 127.0.0.2:8101");
    EXPECT_EQ(Machine(0) + "|" + Machine(1), "Loft|127.0.0.2:8101");
}

TEST_F(LiveClientsTest, DialogNeverWritesOverASettingsFileItCouldNotRead)
{
    const std::string unread = "[General]\n;" + std::string(util::MaxIniBytes, 'x') + "\n";
    dir.Write("Korvid.ini", unread);
    Start();
    QTableWidget& table = OpenDialog();
    Click("btnClientsAdd");
    table.item(0, 0)->setText("127.0.0.1");
    Click("btnClientsOk");
    ASSERT_EQ(messages.Errors.size(), 1U);
    EXPECT_NE(messages.Errors[0].find((dir / "Korvid.ini").string()), std::string::npos);
    EXPECT_EQ(dir.Read("Korvid.ini"), unread);
    EXPECT_EQ(Machine(0), "127.0.0.1:7396"); // followed all the same, for this run
}

} // namespace
} // namespace korvid
