#include <functional>
#include <sstream>
#include <tuple>

#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QUrl>

#include "main_window_fixture.h"
#include "window/project_table.h"
#include "window/wu_info.h"

namespace korvid {

TEST_F(MainWindowTest, StartsWithTheHistoryAndTheLastLogOfTheProgramFolder)
{
    dir.Write("FAHlog-Prev.txt", Log({A}));
    LastLog({B, C});
    History({D});
    Start();

    EXPECT_TRUE(dialog.Filters.empty());
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(Pages().currentIndex(), 0);
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FAHlog-Prev.txt + FAHlog.txt");
    EXPECT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p20_b", "p30_c"}));
    EXPECT_EQ(GroupTexts(HistoTree()), std::vector<std::string>{"p40_d"});
    EXPECT_EQ(window->LastFahLog(), dir / "FAHlog.txt");
    EXPECT_EQ(window->WUsLog().Items(0)->LogPath, (dir / "FAHlog.txt").string());
}

TEST_F(MainWindowTest, FirstStartAsksForALogAndSavesTheDefaultsAndAnEmptyHistory)
{
    Start();
    ASSERT_EQ(dialog.Filters.size(), 1u);
    EXPECT_NE(dialog.Filters[0].find("|Fahlog*.txt;log.txt;log-*.txt|"), std::string::npos);
    // Cancelled: the log page stays empty under its built-in caption.
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FahLog");
    EXPECT_EQ(LogTree().topLevelItemCount(), 0);
    // Most of the screen, centred in it.
    const QRect room = window->screen()->availableGeometry();
    EXPECT_EQ(window->size(), window::FirstStartSize(room.size()));
    EXPECT_LE((window->geometry().center() - room.center()).manhattanLength(), 4);
    EXPECT_EQ(Find<QWidget>("pnlTreeviews").height(),
              window::FirstStartTreeHeight(window->height()));
    Close();

    EXPECT_EQ(SavedSettings().ReadString("General", "LastFahLog", "absent"), "");
    EXPECT_EQ(SavedSettings().ReadInteger("General", "FollowLog", -1), 1);
    EXPECT_EQ(history::LoadCompressedText(dir / "Korvid.dat"), "");
}

TEST_F(MainWindowTest, SettingsAreReadAtStartAndWrittenBackAtClose)
{
    Settings("FormWidth=700\nFormHeight=520\nFormLeft=10\nFormTop=20\nTreeViewsHeight=150\n"
             "InfoWidth=200\nSort=2\nAutoSaveHisto=2\nShowInfo=0\nLang=english\nFollowLog=0\n"
             "LastFahLog=" +
             (dir / "deleted.txt").string() + "\n");
    Start();

    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(window->size(), QSize(700, 520));
    EXPECT_EQ(Find<QWidget>("pnlTreeviews").height(), 150);
    EXPECT_TRUE(Find<QAction>("mnuSortByDate").isChecked());
    EXPECT_FALSE(Find<QWidget>("pnlWUInfoLeft").isVisible());
    EXPECT_EQ(window->Language(), "ENGLISH");
    // The saved log is gone: the dialog asks for another.
    EXPECT_EQ(dialog.Filters.size(), 1u);
    window->resize(720, 530);
    Close();

    const window::TWindowSettings written{720,   530,  10,    20,    150,       200,   "", true,
                                          false, true, false, false, "ENGLISH", false, 10, {}};
    const window::TScreenRoom room{4000, 4000};
    EXPECT_EQ(window::ReadWindowSettings(SavedSettings(), room), written);
    // "AutoSaveHisto" of 2 is off.
    EXPECT_FALSE(dir.Exists("Korvid.dat"));

    // Closed maximized, the window keeps the normal geometry in the file.
    Start();
    window->showMaximized();
    QCoreApplication::processEvents();
    Close();
    EXPECT_EQ(window::ReadWindowSettings(SavedSettings(), room), written);
}

// Which bytes are damaged and what a save keeps as backup are the store's rules; the window
// must report once, add the log once, and write over the file only when the user says so.
TEST_F(MainWindowTest, ADamagedHistoryIsReportedOnceAndSavedOverOnlyWhenTheUserSaysSo)
{
    dir.Write("Korvid.dat", "not a zlib stream");
    Settings(LogFile({A, B, C}));
    Start();
    EXPECT_EQ(messages.Errors.size(), 1u);
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgWUsAdded", 2)});
    Close();
    EXPECT_EQ(dir.Read("Korvid.dat"), "not a zlib stream");

    Start();
    messages = {};
    messages.Answers = {false, true};
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_EQ(dir.Read("Korvid.dat"), "not a zlib stream");
    EXPECT_NE(messages.Questions[0].find((dir / "Korvid.dat").string()), std::string::npos);
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());
    // Written by the user's choice, the file is ours again: later saves ask nothing.
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_EQ(messages.Questions.size(), 2u);
}

TEST_F(MainWindowTest, AnUnreadableLogLeavesThePreviousOneOnDisplay)
{
    LastLog({A, B});
    Start();
    std::filesystem::create_directory(dir / "folder.txt");
    dialog.Choices = {dir / "folder.txt"};
    Find<QToolButton>("sbLoadFahlog").click();

    EXPECT_EQ(messages.Errors.size(), 1u);
    EXPECT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p20_b"}));
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FAHlog.txt");
    EXPECT_EQ(window->LastFahLog(), dir / "FAHlog.txt");
}

// Each notice names the file where the user will find what it speaks of. The library's own
// failures name theirs already and reach the boxes as they are.
TEST_F(MainWindowTest, EveryNoticeAboutAFileNamesIt)
{
    const std::string log = (dir / "FAHlog.txt").string();
    const std::string histo = (dir / "Korvid.dat").string();
    auto badLines = [&] {
        std::string text = Log({Unit("p_odd", 4), B});
        const std::string run = "(Run 1, Clone 2, Gen 3)";
        text.replace(text.rfind(run), run.size(), "(Run 99999999999, Clone 2, Gen 3)");
        LastLog({});
        dir.Write("FAHlog.txt", text);
    };
    struct TRow {
        const char* name;
        std::function<void()> before, after;
        std::string said;
    };
    const TRow rows[] = {
        {"unreadable lines", badLines, {}, "2 lignes de " + log + " contiennent"},
        {"unreadable lines after the previous log",
         [&] {
             badLines();
             dir.Write("FAHlog-Prev.txt", Log({A}));
         },
         {},
         "de " + (dir / "FAHlog-Prev.txt").string() + " + " + log + " contiennent"},
        {"a language file whose text has no place for the file",
         [&] {
             badLines();
             dir.Write("Korvid.OLD.lng", "Language=Old\nmsgLinesSkipped=%d bad lines\n");
         },
         {},
         "2 bad lines\n" + log},
        {"a history file too small for the units",
         [&] {
             LastLog({A});
             histoLimit = 1;
         },
         [&] { Trigger("mnuAddWUsToHisto"); },
         "plus que les 1 que le fichier d'historique " + histo},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            std::filesystem::remove_all(entry.path());
        messages = {};
        histoLimit = history::MaxHistoBytes;
        Settings("AutoAddToHisto=0\n");
        row.before();
        Start();
        if (row.after)
            row.after();
        ASSERT_EQ(messages.Count(), 1u);
        const auto& box = messages.Notices.empty() ? messages.Errors : messages.Notices;
        EXPECT_NE(box.front().find(row.said), std::string::npos) << box.front();
        Close();
    }
}

TEST_F(MainWindowTest, ChangingTheSortRebuildsTheTreesDropsTheSelectionAndIsSaved)
{
    LastLog({B, Unit("p10_a", 6), Unit("p10_a", 4, 40)});
    Start();
    ASSERT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p20_b"}));
    EXPECT_TRUE(LogTree().topLevelItem(0)->isExpanded());

    LogTree().setCurrentItem(LogTree().topLevelItem(0)->child(0));
    ASSERT_NE(window->CurrentWU(), nullptr);
    Trigger("mnuSortByDate");
    EXPECT_EQ(std::tuple(window->CurrentWU(), window->SelLogWU(), Selected(LogTree())),
              std::tuple(nullptr, nullptr, nullptr));
    EXPECT_EQ(GroupTexts(LogTree()),
              (std::vector<std::string>{"04/03/2026", "05/03/2026", "06/03/2026"}));
    Close();
    EXPECT_EQ(SavedSettings().ReadInteger("General", "Sort", -1), 1);
}

TEST_F(MainWindowTest, ARightClickSelectsAndShowsAUnitButNotEmptySpace)
{
    LastLog({A});
    Start();
    QWidget* viewport = LogTree().viewport();
    auto rightClick = [&](QPoint at) {
        test::SendMouse(*viewport, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        test::SendMouse(*viewport, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    };

    rightClick(QPoint(5, viewport->height() - 3));
    EXPECT_EQ(std::tuple(Selected(LogTree()), window->CurrentWU()), std::tuple(nullptr, nullptr));

    QTreeWidgetItem* node = Node("p10_a");
    rightClick(LogTree().visualItemRect(node).center());
    const workunits::TWU* first = window->WUsLog().Items(0);
    EXPECT_EQ(std::tuple(Selected(LogTree()), window->CurrentWU(), window->SelLogWU()),
              std::tuple(node, first, first));
}

TEST_F(MainWindowTest, AddingTheShownUnitAsksForAnIncompleteOneAndRefusesADuplicate)
{
    LastLog({A, C});
    Start();
    LogTree().clearSelection();
    EXPECT_FALSE(ItemShownByButton("sbAddToHisto", "popAddHisto", "mnuAddWUToHisto"));

    Select("p10_a");
    EXPECT_TRUE(ItemShownByButton("sbAddToHisto", "popAddHisto", "mnuAddWUToHisto"));
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(GroupTexts(HistoTree()), std::vector<std::string>{"p10_a"});

    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgWUInHistory")});
    EXPECT_EQ(window->WUsHisto().Count(), 1);

    Select("p30_c");
    messages.Answers = {false, true};
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 1);
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Questions, std::vector<std::string>(2, Text("msgWUIncomplete")));
}

TEST_F(MainWindowTest, AddingCompleteThenAllUnitsTellsHowManyAndF5ReloadsTheSavedHistory)
{
    LastLog({A, B, C});
    Start();
    Trigger("mnuAddCompletedWUToHisto");
    Trigger("mnuAddWUsToHisto");
    Trigger("mnuAddWUsToHisto");
    EXPECT_EQ(messages.Notices,
              (std::vector<std::string>{Text("msgWUsAdded", 2), Text("msgWUAdded", 1)}));
    EXPECT_EQ(GroupTexts(HistoTree()), (std::vector<std::string>{"p10_a", "p20_b", "p30_c"}));
    // None of this touches the file.
    EXPECT_FALSE(dir.Exists("Korvid.dat"));

    // F5 on the history page reloads the saved file over what memory holds.
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_TRUE(messages.Questions.empty());
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());

    Pages().setCurrentIndex(1);
    Trigger("mnuDelWUsFromHisto");
    ASSERT_EQ(window->WUsHisto().Count(), 0);
    F5();
    EXPECT_EQ(window->WUsHisto().Count(), 3);
    EXPECT_EQ(Pages().currentIndex(), 1);
}

TEST_F(MainWindowTest, RemovingUnitsFromTheHistory)
{
    History({A, B, C, D});
    Settings("AutoAddToHisto=0\n");
    Start();
    const std::string file = dir.Read("Korvid.dat");
    Pages().setCurrentIndex(1);
    // Turned to with nothing selected, the page shows its first unit.
    EXPECT_EQ(window->CurrentWU(), window->WUsHisto().Items(0));
    EXPECT_EQ(Selected(HistoTree()), Node("p10_a", 1));
    HistoTree().setCurrentItem(HistoTree().topLevelItem(0));
    EXPECT_FALSE(ItemShownByButton("sbDelFromHisto", "popDelHisto", "mnuDelWUFromHisto"));
    Select("p20_b", 1);
    EXPECT_TRUE(ItemShownByButton("sbDelFromHisto", "popDelHisto", "mnuDelWUFromHisto"));
    Trigger("mnuDelWUFromHisto");
    EXPECT_EQ(GroupTexts(HistoTree()), (std::vector<std::string>{"p10_a", "p30_c", "p40_d"}));
    EXPECT_EQ(std::tuple(window->SelHistoWU(), window->CurrentWU()), std::tuple(nullptr, nullptr));
    EXPECT_EQ(messages.Count(), 0u);

    Trigger("mnuDelIncompleteWUFromHisto");
    EXPECT_EQ(GroupTexts(HistoTree()), std::vector<std::string>{"p10_a"});

    Trigger("mnuDelWUsFromHisto");
    EXPECT_EQ(HistoTree().topLevelItemCount(), 0);
    Trigger("mnuDelWUsFromHisto");
    EXPECT_EQ(messages.Notices,
              (std::vector<std::string>{Text("msgWUsDeleted", 2), Text("msgWUDeleted", 1)}));
    EXPECT_EQ(dir.Read("Korvid.dat"), file);
}

TEST(FirstStart, MostOfTheScreenAndTreesAboutTwoFifthsHigh)
{
    for (const auto& row : test::CaseTable("window/data/first_start.cases", 4)) {
        SCOPED_TRACE(row[0]);
        int roomWidth = 0, roomHeight = 0, width = 0, height = 0;
        std::istringstream(row[1]) >> roomWidth >> roomHeight;
        std::istringstream(row[2]) >> width >> height;
        EXPECT_EQ(window::FirstStartSize({roomWidth, roomHeight}), QSize(width, height));
        EXPECT_EQ(window::FirstStartTreeHeight(height), std::stoi(row[3]));
    }
}

TEST_F(MainWindowTest, AUnitStillFoldingTellsItsEndInTheTooltipAndThePanel)
{
    // An hour after the running unit's last frame.
    TUnitPlan folding = C;
    folding.Shutdown.clear();
    workunits::TWUs read;
    read.ReadLog(Log({A, folding}), "FAHlog.txt", clock);
    clock.Value = read.Items(1)->Steps.Back().Date + 1.0 / 24;
    LastLog({A, folding});
    Start();
    const std::string eta =
        window::EtaText(*window->WUsLog().Items(1), clock.Value, window->Translation(), regional);
    ASSERT_NE(eta, "");
    EXPECT_EQ(Node("p30_c")->toolTip(0).toStdString(), eta);
    EXPECT_TRUE(Node("p10_a")->toolTip(0).isEmpty());
    Select("p30_c");
    EXPECT_NE(Memo().find(eta), std::string::npos) << Memo();
}

TEST_F(MainWindowTest, ProjectTableComparesHistoryAndLogAndExportsItsCsv)
{
    auto unit = [](int project, int day, int gen) {
        TUnitPlan plan = Unit("p" + std::to_string(project) + "_x", day);
        plan.Project = project;
        plan.Gen = gen;
        return plan;
    };
    // Project 7 twice in the history and once more in the log, project 30 once.
    History({unit(7, 4, 1), unit(30, 6, 1), unit(7, 5, 2)});
    LastLog({unit(7, 8, 3)});
    Start();
    Pages().setCurrentIndex(1);
    Find<QToolButton>("sbHistoProjects").click();
    auto& projects = Find<window::TProjectTableDialog>("frmProjects");
    QTableWidget& table = projects.Table();
    ASSERT_EQ(table.rowCount(), 2);
    // The first project is charted, a header and a point per unit.
    EXPECT_EQ(projects.Chart().Points().size(), 4U);

    // Sorted by the count of units, fewest first; the selected project follows its row.
    table.sortByColumn(2, Qt::AscendingOrder);
    EXPECT_EQ(table.item(0, 0)->text().toStdString(), "30");
    table.selectRow(0);
    EXPECT_EQ(projects.Chart().Points().size(), 2U);

    projects.findChild<QPushButton*>("btnExportTable")->click();
    EXPECT_NE(dir.Read("csv/projects.csv").find("\r\n7;p7_x;3;"), std::string::npos);
    EXPECT_EQ(messages.Notices, std::vector<std::string>{"1 fichier écrit : " +
                                                         (dir / "csv" / "projects.csv").string()});
}

TEST_F(MainWindowTest, ADroppedLogFileOrClientFolderIsOpened)
{
    Settings("AutoAddToHisto=0\n");
    Start();
    dir.Write("other.txt", Log({A}));
    std::filesystem::create_directories(dir / "client");
    dir.Write("client/log.txt", Log({B}));
    std::filesystem::create_directories(dir / "empty");
    struct TRow {
        std::filesystem::path dropped;
        bool accepted;
        std::filesystem::path opened;
    };
    const TRow rows[] = {
        {dir / "other.txt", true, dir / "other.txt"},
        {dir / "client", true, dir / "client" / "log.txt"},
        {dir / "empty", false, dir / "client" / "log.txt"}, // nothing to open: the log stays
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.dropped.string());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(row.dropped.string()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), row.accepted);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        EXPECT_EQ(window->LastFahLog(), row.opened);
    }
    EXPECT_EQ(GroupTexts(LogTree()), std::vector<std::string>{"p20_b"});
}

TEST_F(MainWindowTest, AFailedSaveAtShutdownAsksWhetherToKeepTheWindowOpen)
{
    History({A});
    Settings(LogFile({A, B}) + "AutoBackupHisto=1\n");
    const std::string file = dir.Read("Korvid.dat");
    // A folder where the backup goes: the save fails before Korvid.dat is replaced.
    std::filesystem::create_directories(dir / "Korvid.dat.bak" / "in the way");
    for (const bool keepOpen : {false, true}) {
        SCOPED_TRACE(keepOpen ? "kept open" : "closed");
        messages = {};
        Start();
        ASSERT_EQ(window->WUsHisto().Count(), 3); // A read from elsewhere counts apart
        messages.Answers = {keepOpen};
        EXPECT_EQ(window->close(), !keepOpen);
        EXPECT_EQ(window->isVisible(), keepOpen);
        EXPECT_EQ(messages.Questions.size(), 1u);
        EXPECT_EQ(dir.Read("Korvid.dat"), file);
    }
    // Once the way is clear, closing again saves.
    std::filesystem::remove_all(dir / "Korvid.dat.bak");
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.Questions.size(), 1u);
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());
}

} // namespace korvid
