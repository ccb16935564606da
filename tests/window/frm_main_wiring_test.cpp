// The main window with its chart, information block, languages and exports wired in.
#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <QLabel>
#include <QProgressDialog>

#include <gtest/gtest.h>

#include "main_window_fixture.h"

namespace korvid {
namespace {

// A language file whose face no system has.
std::string English()
{
    return test::TestData("window/data/Korvid.EN.lng");
}

bool HasInk(const png::TImage& image)
{
    const auto pixels = image.Pixels();
    return std::any_of(pixels.begin(), pixels.end(),
                       [](std::uint32_t p) { return p != 0xFFFFFFFFU; });
}

// Presses Cancel as soon as a progress dialog appears.
class TCancelOnShow final : public QObject {
public:
    TCancelOnShow() { qApp->installEventFilter(this); }
    ~TCancelOnShow() override { qApp->removeEventFilter(this); }
    int Shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* dialog = qobject_cast<QProgressDialog*>(watched);
            dialog != nullptr && event->type() == QEvent::Show) {
            ++Shown;
            QMetaObject::invokeMethod(dialog, &QProgressDialog::cancel, Qt::QueuedConnection);
        }
        return false;
    }
};

class MainWindowWiringTest : public MainWindowTest {
protected:
    std::string Title() const { return Find<QLabel>("pnlWUInfoTop").text().toStdString(); }
};

} // namespace

// The unit on display is the selection of the active page, and the chart shows it.
TEST_F(MainWindowWiringTest, TheChartShowsTheSelectionOfTheActivePageAndLetsGoOfRemovedOnes)
{
    LastLog({A, B});
    History({C});
    Start();
    auto shown = [&] {
        EXPECT_EQ(Chart().CurrentWU(), window->CurrentWU());
        return window->CurrentWU();
    };

    // A log just loaded shows its first unit.
    EXPECT_EQ(shown(), window->WUsLog().Items(0));
    EXPECT_TRUE(HasInk(Chart().RenderImage()));

    Select("p20_b");
    EXPECT_EQ(shown(), window->WUsLog().Items(1));
    EXPECT_EQ(window->SelLogWU(), window->WUsLog().Items(1));
    LogTree().setCurrentItem(LogTree().topLevelItem(0));
    EXPECT_EQ(shown(), nullptr);
    EXPECT_FALSE(HasInk(Chart().RenderImage()));
    Select("p20_b");

    Pages().setCurrentIndex(1);
    EXPECT_EQ(shown(), window->WUsHisto().Items(0)); // the page's first unit
    Trigger("mnuDelWUFromHisto");
    EXPECT_EQ(shown(), nullptr);

    Pages().setCurrentIndex(0);
    EXPECT_EQ(shown(), window->WUsLog().Items(1));
    // F5 rereads the log, Shift+F5 does not; the tree selects the same text again, and the chart
    // follows the reselected unit.
    dir.Write("FAHlog.txt", Log({A, B, D}));
    F5(Qt::ShiftModifier);
    EXPECT_EQ(window->WUsLog().Count(), 2);
    F5();
    EXPECT_EQ(window->WUsLog().Count(), 3);
    EXPECT_EQ(Selected(LogTree()), Node("p20_b"));
    EXPECT_EQ(window->SelLogWU(), window->WUsLog().Items(1));
    EXPECT_EQ(shown(), window->SelLogWU());
    EXPECT_TRUE(HasInk(Chart().RenderImage()));
}

TEST_F(MainWindowWiringTest, InformationFollowsTheUnitOnlyWhileShown)
{
    LastLog({A, B});
    Start();
    // No language file: the built-in texts, nothing to choose, nothing saved.
    EXPECT_FALSE(Find<QToolButton>("sbFahlogLang").isVisibleTo(window.get()));
    EXPECT_EQ(SavedSettings().ReadString("General", "Lang", ""), "");
    EXPECT_EQ(Title(), "p10_a (Run 1, Clone 2, Gen 3)");
    EXPECT_EQ(Memo().rfind("Protéine: p10_a\nRun: 1\n", 0), 0u) << Memo();
    EXPECT_EQ(Find<QPlainTextEdit>("memWUInfo").textCursor().position(), 0);

    Find<QToolButton>("sbFahLogWUInfo").click();
    EXPECT_FALSE(Find<QWidget>("pnlWUInfoTop").isVisible());
    Select("p20_b");
    EXPECT_EQ(Title(), "p10_a (Run 1, Clone 2, Gen 3)");

    Find<QToolButton>("sbFahLogWUInfo").click();
    EXPECT_TRUE(Find<QWidget>("pnlWUInfoLeft").isVisible());
    EXPECT_EQ(Memo().rfind("Protéine: p20_b\n", 0), 0u);

    LogTree().setCurrentItem(LogTree().topLevelItem(0));
    EXPECT_EQ(Title() + Memo(), "");

    // The two pages' toggles follow each other, and the choice is saved.
    Find<QToolButton>("sbFahLogWUInfo").click();
    Pages().setCurrentIndex(1);
    EXPECT_FALSE(Find<QToolButton>("sbHistoWUInfo").isChecked());
    EXPECT_FALSE(Find<QWidget>("pnlWUInfoLeft").isVisible());
    Close();
    EXPECT_EQ(SavedSettings().ReadInteger("General", "ShowInfo", -1), 0);
}

TEST_F(MainWindowWiringTest, ALanguageChosenAtRunTimeChangesTheWindowAndIsRemembered)
{
    dir.Write("Korvid.EN.lng", English());
    dir.Write("Korvid.ES.lng", "Language=Español\nfrmMain.tsHisto=Historial\n");
    LastLog({A});
    Start();

    const QMenu& popLang = Find<QMenu>("popLang");
    ASSERT_EQ(popLang.actions().size(), 2);
    EXPECT_EQ(popLang.actions()[1]->text().toStdString(), "Español");
    // The saved default, FRANCAIS, has no file here: the built-in texts stay, nothing checked.
    EXPECT_FALSE(popLang.actions()[0]->isChecked() || popLang.actions()[1]->isChecked());
    EXPECT_TRUE(Find<QToolButton>("sbFahlogLang").isVisibleTo(window.get()));
    EXPECT_EQ(Pages().tabText(1).toStdString(), "Historique");
    const png::TImage french = Chart().RenderImage();

    Trigger("mnuLang_EN");
    EXPECT_EQ(window->Language(), "EN");
    EXPECT_TRUE(Find<QAction>("mnuLang_EN").isChecked());
    EXPECT_EQ(SavedSettings().ReadString("General", "Lang", ""), "EN");
    EXPECT_EQ(Pages().tabText(0).toStdString(), "FAHlog.txt");
    EXPECT_EQ(Pages().tabText(1).toStdString(), "History");
    EXPECT_EQ(Find<QToolButton>("sbLoadFahlog").toolTip().toStdString(), "Load a FahLog file");
    EXPECT_EQ(Memo().rfind("Protein: p10_a\n", 0), 0u);
    // The axis captions changed, so the picture did.
    const png::TImage english = Chart().RenderImage();
    EXPECT_TRUE(HasInk(english));
    EXPECT_FALSE(std::ranges::equal(french.Pixels(), english.Pixels()));
    // The file's face is not installed: the system's stands in, at the file's size.
    EXPECT_EQ(Find<QToolButton>("sbLoadFahlog").font().pointSize(), 11);
    EXPECT_NE(window->font().family().toStdString(), "No Such Face 4711");
    Close();

    Start();
    EXPECT_TRUE(Find<QAction>("mnuLang_EN").isChecked());
    // Chosen at start-up, the language's font reaches every widget too.
    for (const char* name : {"tvFahlog", "memWUInfo", "sbLoadHisto"})
        EXPECT_EQ(Find<QWidget>(name).font().pointSize(), 11) << name;
}

// One language file, like none, leaves nothing to choose: no language button.
TEST_F(MainWindowWiringTest, OneLanguageFileIsAppliedAndSavedWithoutALanguageButton)
{
    dir.Write("Korvid.EN.lng", English());
    Settings("AutoAddToHisto=0\n");
    Start();
    EXPECT_EQ(Find<QToolButton>("sbLoadFahlog").toolTip().toStdString(), "Load a FahLog file");
    EXPECT_FALSE(Find<QToolButton>("sbFahlogLang").isVisibleTo(window.get()));
    EXPECT_FALSE(Find<QToolButton>("sbHistoLang").isVisibleTo(window.get()));
    EXPECT_EQ(SavedSettings().ReadString("General", "Lang", ""), "EN");
}

// The exports take the active page's units; the PNG ones borrow the chart and give it back.
TEST_F(MainWindowWiringTest, ExportsTakeTheActivePagesUnitsAndGiveTheShownOneBack)
{
    LastLog({A, B, C});
    History({D});
    Start();
    Select("p20_b");
    struct TRow {
        const char* item;
        int page;
        const char* folder;
        std::size_t files;
    };
    const TRow rows[] = {
        {"mnuExcelWU", 0, "csv", 1},   {"mnuExcelComplete", 0, "csv", 2},
        {"mnuExcelWUs", 0, "csv", 3},  {"mnuExcelWUs", 1, "csv", 1},
        {"mnuBitmapWU", 0, "png", 1},  {"mnuBitmapComplete", 0, "png", 2},
        {"mnuBitmapWUs", 0, "png", 3}, {"mnuBitmapWUs", 1, "png", 1},
    };
    bool chosen = false; // every other notice has its folder opened
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " on page " + std::to_string(row.page));
        std::filesystem::remove_all(dir / row.folder);
        Pages().setCurrentIndex(row.page);
        const QTreeWidget& tree = row.page == 0 ? LogTree() : HistoTree();
        const auto before = std::tuple(window->CurrentWU(), window->CurrentWU(), Selected(tree));
        Trigger(row.item);
        EXPECT_EQ(std::tuple(window->CurrentWU(), Chart().CurrentWU(), Selected(tree)), before);
        // Each export names its file, or says how many went where, and offers the folder.
        const auto names = test::FileNames(dir / row.folder);
        ASSERT_EQ(names.size(), row.files);
        const std::string where = (dir / row.folder).string();
        EXPECT_EQ(messages.Notices,
                  std::vector<std::string>{row.files == 1
                                               ? "1 fichier écrit : " + where + "/" + names[0]
                                               : std::to_string(row.files) +
                                                     " fichiers écrits dans " + where});
        EXPECT_EQ(messages.FolderButtons.back(), "Ouvrir le dossier");
        EXPECT_EQ(opener.Opened,
                  std::vector<std::filesystem::path>(chosen ? 1 : 0, dir / row.folder));
        messages.Notices.clear();
        opener.Opened.clear();
        chosen = !chosen;
        messages.ChooseFolder = chosen;
    }
    messages.ChooseFolder = false;
    EXPECT_EQ(messages.Count(), 0u);

    // A batch that fails is reported once and still gives the shown unit back.
    Pages().setCurrentIndex(0);
    std::filesystem::remove_all(dir / "png");
    dir.Write("png", "a file where the folder should be");
    Trigger("mnuBitmapWUs");
    ASSERT_EQ(messages.Errors.size(), 1u);
    EXPECT_NE(messages.Errors[0].find((dir / "png").string()), std::string::npos);
    EXPECT_EQ(std::tuple(Chart().CurrentWU(), window->CurrentWU()),
              std::tuple(window->WUsLog().Items(1), window->WUsLog().Items(1)));
}

TEST_F(MainWindowWiringTest, ALongPngBatchCanBeCancelled)
{
    std::vector<test::TUnitPlan> units;
    for (int i = 0; i < 21; ++i)
        units.push_back(Unit("p" + std::to_string(100 + i) + "_x", 1 + i, 5));
    LastLog(units);
    Start();
    const workunits::TWU* shown = window->CurrentWU();
    ASSERT_NE(shown, nullptr);

    const TCancelOnShow cancel;
    Trigger("mnuBitmapWUs");
    EXPECT_EQ(cancel.Shown, 1);
    EXPECT_TRUE(test::FileNames(dir / "png").empty());
    EXPECT_EQ(messages.Count(), 0u);
    EXPECT_EQ(std::tuple(window->CurrentWU(), Chart().CurrentWU()), std::tuple(shown, shown));
}

} // namespace korvid
