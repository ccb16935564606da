#include <filesystem>

#include <QHeaderView>
#include <QTableView>

#include "main_window_fixture.h"
#include "sim/scripted_client.h"
#include "sim/sim_server.h"

namespace korvid {
namespace {

using namespace std::chrono_literals;

class LivePageTest : public MainWindowTest {
protected:
    LivePageTest()
    {
        // The simulator moves only when the test steps it.
        options.TickSeconds = 3600;
        options.PingSeconds = 3600;
        QString error;
        started = server.Start(error);
    }
    [[nodiscard]] int UnitRows() const
    {
        int units = 0;
        for (int row = 0; row < Model().rowCount(); ++row)
            units += Model().Row(row).Key.starts_with("0:") && Model().Row(row).Key != "0:";
        return units;
    }

    clientsim::TScriptedClient client{{.Groups = 2, .UnitSeconds = 20'000}};
    clientsim::TServerOptions options;
    clientsim::TSimServer server{client, options};
    bool started = false;
};

TEST_F(LivePageTest, ShowsEachUnitAndUpdatesItsCellsWithoutResetOrLosingTheSelection)
{
    ASSERT_TRUE(started);
    Settings("AutoAddToHisto=0\nClients=127.0.0.1:" + std::to_string(server.Port()) +
             "=Rig; nowhere:0\n");
    Start();
    window::TLiveModel& model = Model();
    ASSERT_TRUE(Until([&] {
        server.Step(60);
        return UnitRows() == 2;
    }));
    // The machine, its units, the entry that names no client, the total.
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.Row(0).Cells[0], "Rig");
    EXPECT_EQ(model.Row(3).Cells[0], "nowhere:0");
    EXPECT_FALSE(model.Row(3).Cells[5].isEmpty());

    QTableView& table = Find<QTableView>("tvLive");
    table.selectRow(2);
    const std::string selected = model.Row(2).Key;
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    const QString progress = model.Row(2).Cells[6];
    ASSERT_TRUE(Until([&] {
        server.Step(300);
        return model.Row(2).Cells[6] != progress;
    }));
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(model.Row(2).Key, selected);
    EXPECT_EQ(table.selectionModel()->selectedRows().value(0).row(), 2);
    EXPECT_FALSE(model.Row(4).Cells[9].isEmpty()); // the total PPD

    // Sorted by unit number, both ways, the units change places within their machine.
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        table.horizontalHeader()->setSortIndicator(2, order);
        const bool ascending =
            model.Row(1).Cells[2].toLongLong() < model.Row(2).Cells[2].toLongLong();
        EXPECT_EQ(ascending, order == Qt::AscendingOrder);
        EXPECT_EQ(model.Row(0).Key, "0:");
    }

    // The machine drops: its line says when it tries again, then it is back with its units.
    server.DropAll();
    ASSERT_TRUE(Until([&] { return model.Row(0).Cells[5].contains(" 1 s"); }));
    clock.Value += 1.0 / 86'400;
    liveTimers.FireRunning(); // the countdown, then the retry
    ASSERT_TRUE(Until([&] { return model.Row(0).Cells[5].contains("8.4.5") && UnitRows() == 2; }));
    EXPECT_EQ(resets, 0);
}

// Started in English beside the French file, the headers were French: they were taken from the
// built-in texts. A language chosen later reaches the headers and every cell.
TEST_F(LivePageTest, HeadersAndStatusWordsFollowTheLanguage)
{
    ASSERT_TRUE(started);
    for (const char* file : {"Korvid.ENGLISH.lng", "Korvid.FRANCAIS.lng"})
        std::filesystem::copy_file(std::filesystem::path(KORVID_SOURCE_DIR) / "data/lang" / file,
                                   dir / file);
    Settings("Lang=english\nClients=127.0.0.1:" + std::to_string(server.Port()) + "\n");
    Start();
    auto shown = [&] {
        return (Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString() + "|" +
                Model().Row(1).Cells[5])
            .toStdString();
    };
    ASSERT_TRUE(Until([&] {
        server.Step(60);
        return shown().ends_with("|Running");
    }));
    EXPECT_EQ(shown(), "Group|Running");
    Trigger("mnuLang_FRANCAIS");
    EXPECT_EQ(shown(), "Groupe|En cours");
}

} // namespace
} // namespace korvid
