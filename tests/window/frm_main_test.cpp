#include <QMouseEvent>

#include "main_window_fixture.h"

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
    EXPECT_NE(dialog.Filters[0].find("Fahlog*.txt"), std::string::npos);
    EXPECT_NE(dialog.Filters[0].find(";log.txt;log-*.txt|"), std::string::npos);
    // Cancelled: the log page stays empty under its built-in caption.
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FahLog");
    EXPECT_EQ(LogTree().topLevelItemCount(), 0);
    Close();

    EXPECT_EQ(SavedSettings().ReadString("General", "LastFahLog", "absent"), "");
    const auto saved = history::ReadCompressedText(dir / "Korvid.dat");
    EXPECT_EQ(saved.Outcome, history::THistoLoad::Loaded);
    EXPECT_EQ(saved.Text, "");
}

TEST_F(MainWindowTest, SettingsAreReadAtStartAndWrittenBackAtClose)
{
    Settings("FormWidth=700\nFormHeight=520\nFormLeft=10\nFormTop=20\nTreeViewsHeight=150\n"
             "InfoWidth=200\nSort=2\nAutoSaveHisto=2\nShowInfo=0\nLang=english\n"
             "LastFahLog=" +
             (dir / "deleted.txt").string() + "\n");
    Start();

    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(window->size(), QSize(700, 520));
    EXPECT_EQ(Find<QWidget>("pnlTreeviews").height(), 150);
    EXPECT_TRUE(Find<QAction>("mnuSortByDate").isChecked());
    EXPECT_FALSE(Find<QToolButton>("sbFahLogWUInfo").isChecked());
    EXPECT_FALSE(Find<QToolButton>("sbHistoWUInfo").isChecked());
    EXPECT_FALSE(Find<QWidget>("pnlWUInfoLeft").isVisible());
    EXPECT_FALSE(Find<QWidget>("pnlWUInfoTop").isVisible());
    EXPECT_EQ(window->Language(), "ENGLISH");
    // The saved log is gone: the dialog asks for another.
    EXPECT_EQ(dialog.Filters.size(), 1u);
    Close();

    const util::TIniFile ini = SavedSettings();
    EXPECT_EQ(ini.ReadInteger("General", "Sort", -1), 1);
    EXPECT_EQ(ini.ReadInteger("General", "AutoSaveHisto", -1), 0);
    EXPECT_EQ(ini.ReadInteger("General", "ShowInfo", -1), 0);
    EXPECT_EQ(ini.ReadInteger("General", "TreeviewsHeight", 0), 150);
    EXPECT_EQ(ini.ReadString("General", "LastFahLog", "absent"), "");
    // "AutoSaveHisto" of 2 is off.
    EXPECT_FALSE(dir.Exists("Korvid.dat"));
}

TEST_F(MainWindowTest, ClosingMaximizedKeepsTheNormalGeometryInTheFile)
{
    Settings("FormWidth=600\nFormHeight=450\nFormLeft=5\nFormTop=6\nTreeViewsHeight=100\n");
    Start();
    window->showMaximized();
    QCoreApplication::processEvents();
    Close();

    const util::TIniFile ini = SavedSettings();
    EXPECT_EQ(ini.ReadInteger("General", "FormWidth", 0), 600);
    EXPECT_EQ(ini.ReadInteger("General", "TreeviewsHeight", 0), 100);
}

TEST_F(MainWindowTest, DamagedHistoryIsReportedOnceAndNotSavedOverAtClose)
{
    dir.Write("Korvid.dat", "not a zlib stream");
    dir.Write("FAHlog.txt", Log({A, B}));
    Settings("LastFahLog=" + (dir / "FAHlog.txt").string() + "\n");
    Start();

    ASSERT_EQ(messages.Errors.size(), 1u);
    EXPECT_NE(messages.Errors[0].find("Korvid.dat"), std::string::npos);
    // The log's complete units were still added, in memory.
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgWUsAdded", 2)});
    Close();

    EXPECT_EQ(dir.Read("Korvid.dat"), "not a zlib stream");
    EXPECT_FALSE(dir.Exists("Korvid.dat.bak"));
}

TEST_F(MainWindowTest, SavingOverADamagedHistoryAsksFirstAndKeepsItAsTheBackup)
{
    dir.Write("Korvid.dat", "not a zlib stream");
    LastLog({A});
    Start();
    Trigger("mnuAddWUsToHisto");

    messages.Answers = {false};
    Find<QToolButton>("sbSaveHisto").click();
    ASSERT_EQ(messages.Questions.size(), 1u);
    EXPECT_NE(messages.Questions[0].find("Korvid.dat"), std::string::npos);
    EXPECT_EQ(dir.Read("Korvid.dat"), "not a zlib stream");

    messages.Answers = {true};
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), "not a zlib stream");

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

    ASSERT_EQ(messages.Errors.size(), 1u);
    EXPECT_NE(messages.Errors[0].find("folder.txt"), std::string::npos);
    EXPECT_EQ(window->WUsLog().Count(), 2);
    EXPECT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p20_b"}));
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FAHlog.txt");
    EXPECT_EQ(window->LastFahLog(), dir / "FAHlog.txt");
}

TEST_F(MainWindowTest, UnconvertedLinesLoadAndAreCountedInOneNotice)
{
    std::string log = Log({Unit("p_odd", 4), B});
    const std::string run = "(Run 1, Clone 2, Gen 3)";
    log.replace(log.rfind(run), run.size(), "(Run 99999999999, Clone 2, Gen 3)");
    dir.Write("FAHlog.txt", log);
    Settings("LastFahLog=" + (dir / "FAHlog.txt").string() + "\nAutoAddToHisto=0\n");
    Start();

    EXPECT_EQ(window->WUsLog().Count(), 2);
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgLinesSkipped", 2)});
}

TEST_F(MainWindowTest, ChangingTheSortRebuildsTheTreesDropsTheSelectionAndIsSaved)
{
    LastLog({B, Unit("p10_a", 6), Unit("p10_a", 4, 40)});
    Start();
    ASSERT_EQ(GroupTexts(LogTree()), (std::vector<std::string>{"p10_a", "p20_b"}));
    EXPECT_EQ(LogTree().topLevelItem(0)->childCount(), 2);
    EXPECT_TRUE(LogTree().topLevelItem(0)->isExpanded());

    LogTree().setCurrentItem(LogTree().topLevelItem(0)->child(0));
    ASSERT_NE(window->CurrentWU(), nullptr);
    Trigger("mnuSortByDate");
    EXPECT_EQ(window->CurrentWU(), nullptr);
    EXPECT_EQ(window->SelLogWU(), nullptr);
    EXPECT_EQ(Selected(LogTree()), nullptr);
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
        const QPointF global = viewport->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::RightButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
    };

    rightClick(QPoint(5, viewport->height() - 3));
    EXPECT_EQ(Selected(LogTree()), nullptr);
    EXPECT_EQ(window->CurrentWU(), nullptr);

    QTreeWidgetItem* node = UnitNode(LogTree(), "p10_a", window->WUsLog());
    rightClick(LogTree().visualItemRect(node).center());
    EXPECT_EQ(Selected(LogTree()), node);
    ASSERT_NE(window->CurrentWU(), nullptr);
    EXPECT_EQ(window->CurrentWU(), window->SelLogWU());
    EXPECT_EQ(window->CurrentWU()->Protein, "p10_a");
}

TEST_F(MainWindowTest, AddingTheShownUnitAsksForAnIncompleteOneAndRefusesADuplicate)
{
    LastLog({A, C});
    Start();
    LogTree().clearSelection();
    EXPECT_FALSE(ItemShownByButton("sbAddToHisto", "popAddHisto", "mnuAddWUToHisto"));

    LogTree().setCurrentItem(UnitNode(LogTree(), "p10_a", window->WUsLog()));
    EXPECT_TRUE(ItemShownByButton("sbAddToHisto", "popAddHisto", "mnuAddWUToHisto"));
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 1);
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(GroupTexts(HistoTree()), std::vector<std::string>{"p10_a"});

    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgWUInHistory")});
    EXPECT_EQ(window->WUsHisto().Count(), 1);

    LogTree().setCurrentItem(UnitNode(LogTree(), "p30_c", window->WUsLog()));
    messages.Answers = {false, true};
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 1);
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Questions, std::vector<std::string>(2, Text("msgWUIncomplete")));
    EXPECT_NE(window->WUsHisto().Items(1), window->WUsLog().Items(1));
    EXPECT_EQ(window->WUsHisto().Items(1)->Text, window->WUsLog().Items(1)->Text);
}

TEST_F(MainWindowTest, AddingCompleteThenAllUnitsTellsHowManyWereAdded)
{
    LastLog({A, B, C});
    Start();
    Trigger("mnuAddCompletedWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    Trigger("mnuAddWUsToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 3);
    Trigger("mnuAddWUsToHisto");
    EXPECT_EQ(messages.Notices,
              (std::vector<std::string>{Text("msgWUsAdded", 2), Text("msgWUAdded", 1)}));
    EXPECT_EQ(UnitNodes(HistoTree()), 3);
    // None of this touches the file.
    EXPECT_FALSE(dir.Exists("Korvid.dat"));
}

TEST_F(MainWindowTest, LoadingALogAddsItsNewCompleteUnitsOnce)
{
    dir.Write("FAHlog.txt", Log({A, B, C}));
    Settings("LastFahLog=" + (dir / "FAHlog.txt").string() + "\n");
    Start();
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    F5();
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Notices, std::vector<std::string>{Text("msgWUsAdded", 2)});
}

TEST_F(MainWindowTest, RemovingUnitsFromTheHistory)
{
    History({A, B, C, D});
    Settings("AutoAddToHisto=0\n");
    Start();
    const std::string file = dir.Read("Korvid.dat");
    Pages().setCurrentIndex(1);

    EXPECT_FALSE(ItemShownByButton("sbDelFromHisto", "popDelHisto", "mnuDelWUFromHisto"));
    HistoTree().setCurrentItem(UnitNode(HistoTree(), "p20_b", window->WUsHisto()));
    EXPECT_TRUE(ItemShownByButton("sbDelFromHisto", "popDelHisto", "mnuDelWUFromHisto"));
    Trigger("mnuDelWUFromHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 3);
    EXPECT_EQ(GroupTexts(HistoTree()), (std::vector<std::string>{"p10_a", "p30_c", "p40_d"}));
    EXPECT_EQ(window->SelHistoWU(), nullptr);
    EXPECT_EQ(window->CurrentWU(), nullptr);
    EXPECT_EQ(messages.Count(), 0u);

    Trigger("mnuDelIncompleteWUFromHisto");
    EXPECT_EQ(GroupTexts(HistoTree()), std::vector<std::string>{"p10_a"});

    // Nothing incomplete left: no message, and the selection stays.
    QTreeWidgetItem* a = UnitNode(HistoTree(), "p10_a", window->WUsHisto());
    HistoTree().setCurrentItem(a);
    Trigger("mnuDelIncompleteWUFromHisto");
    EXPECT_EQ(Selected(HistoTree()), a);
    EXPECT_EQ(window->SelHistoWU(), window->WUsHisto().Items(0));

    Trigger("mnuDelWUsFromHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 0);
    EXPECT_EQ(HistoTree().topLevelItemCount(), 0);
    EXPECT_EQ(window->CurrentWU(), nullptr);
    Trigger("mnuDelWUsFromHisto");
    EXPECT_EQ(messages.Notices,
              (std::vector<std::string>{Text("msgWUsDeleted", 2), Text("msgWUDeleted", 1)}));
    EXPECT_EQ(dir.Read("Korvid.dat"), file);
}

TEST_F(MainWindowTest, SavedHistoryReloadsWithF5AndKeepsTheSelectionByText)
{
    LastLog({A, B, C});
    Start();
    Trigger("mnuAddWUsToHisto");
    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_TRUE(messages.Questions.empty());
    const std::string first = dir.Read("Korvid.dat");
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());

    Pages().setCurrentIndex(1);
    HistoTree().setCurrentItem(UnitNode(HistoTree(), "p30_c", window->WUsHisto()));
    const QString text = Selected(HistoTree())->text(0);
    // Loading replaces what memory holds.
    Trigger("mnuDelWUsFromHisto");
    ASSERT_EQ(window->WUsHisto().Count(), 0);
    F5();
    EXPECT_EQ(window->WUsHisto().Count(), 3);
    EXPECT_EQ(Pages().currentIndex(), 1);

    HistoTree().setCurrentItem(UnitNode(HistoTree(), "p30_c", window->WUsHisto()));
    F5();
    ASSERT_NE(Selected(HistoTree()), nullptr);
    EXPECT_EQ(Selected(HistoTree())->text(0), text);
    ASSERT_NE(window->SelHistoWU(), nullptr);
    EXPECT_EQ(window->SelHistoWU()->Protein, "p30_c");

    Find<QToolButton>("sbSaveHisto").click();
    EXPECT_EQ(dir.Read("Korvid.dat.bak"), first);
}

TEST_F(MainWindowTest, F5RereadsTheLogAndKeepsTheSelectionButNotWithShift)
{
    LastLog({A});
    Start();
    LogTree().setCurrentItem(UnitNode(LogTree(), "p10_a", window->WUsLog()));
    const QString text = Selected(LogTree())->text(0);
    dir.Write("FAHlog.txt", Log({A, B}));

    F5(Qt::ShiftModifier);
    EXPECT_EQ(window->WUsLog().Count(), 1);
    F5();
    EXPECT_EQ(window->WUsLog().Count(), 2);
    ASSERT_NE(Selected(LogTree()), nullptr);
    EXPECT_EQ(Selected(LogTree())->text(0), text);
    ASSERT_NE(window->SelLogWU(), nullptr);
    EXPECT_EQ(window->SelLogWU()->Protein, "p10_a");
    EXPECT_EQ(window->CurrentWU(), window->SelLogWU());
}

TEST_F(MainWindowTest, AFailedSaveAtShutdownAsksWhetherToKeepTheWindowOpen)
{
    History({A});
    dir.Write("FAHlog.txt", Log({A, B}));
    Settings("LastFahLog=" + (dir / "FAHlog.txt").string() + "\nAutoBackupHisto=1\n");
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
        ASSERT_EQ(messages.Questions.size(), 1u);
        EXPECT_NE(messages.Questions[0].find((dir / "Korvid.dat").string() + " : "),
                  std::string::npos)
            << messages.Questions[0];
        EXPECT_NE(messages.Questions[0].find("Korvid.dat.bak"), std::string::npos);
        EXPECT_EQ(dir.Read("Korvid.dat"), file);
    }
    // Once the way is clear, closing again saves.
    std::filesystem::remove_all(dir / "Korvid.dat.bak");
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.Questions.size(), 1u);
    EXPECT_EQ(history::ReadCompressedText(dir / "Korvid.dat").Text, window->WUsHisto().AllText());
}

TEST_F(MainWindowTest, UnitsThatWouldNotFitInAHistoryFileAreRefusedWhenAdded)
{
    History({A});
    LastLog({A, B, C});
    workunits::TWUs log;
    log.ReadLog(Log({A, B, C}), (dir / "FAHlog.txt").string(), clock);
    const std::size_t stored = history::ReadCompressedText(dir / "Korvid.dat").Text.size();
    std::size_t all = stored;
    for (std::ptrdiff_t i = 0; i < log.Count(); ++i)
        all += log.Items(i)->Text.size();
    // Room for B, then not for C as well. A read from elsewhere counts apart.
    histoLimit = stored + log.Items(1)->Text.size() + log.Items(2)->Text.size() - 1;
    Start();

    Trigger("mnuAddWUsToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 1);
    ASSERT_EQ(messages.Errors.size(), 1u);
    EXPECT_EQ(messages.Errors[0].rfind("3 WU(s) non ajoutée(s) :", 0), 0u) << messages.Errors[0];
    EXPECT_NE(messages.Errors[0].find(std::to_string(all)), std::string::npos);
    EXPECT_TRUE(messages.Notices.empty());

    LogTree().setCurrentItem(UnitNode(LogTree(), "p20_b", window->WUsLog()));
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    LogTree().setCurrentItem(UnitNode(LogTree(), "p30_c", window->WUsLog()));
    messages.DefaultAnswer = true;
    Trigger("mnuAddWUToHisto");
    EXPECT_EQ(window->WUsHisto().Count(), 2);
    EXPECT_EQ(messages.Errors.size(), 2u);
}

} // namespace korvid
