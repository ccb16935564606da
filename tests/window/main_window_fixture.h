#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include "history/compressed_text.h"
#include "testing/fake_link_timers.h"
#include "testing/fake_window_seams.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "util/ini_file.h"
#include "window/chart_widget.h"
#include "window/frm_main.h"
#include "window/live_model.h"
#include "window/text_format.h"
#include "window_testing.h"

// The main window started on a temporary program folder, with fakes for every box and dialog.
namespace korvid {

using test::TUnitPlan;

// Runs the event loop until the condition holds; the bound only keeps a broken link from
// hanging the suite.
template <class TCondition> bool Until(TCondition condition)
{
    const QDeadlineTimer bound(std::chrono::seconds(10));
    while (!condition() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return condition();
}

inline TUnitPlan Unit(std::string protein, int day, int lastStep = 100)
{
    TUnitPlan unit;
    unit.Protein = std::move(protein);
    unit.Day = day;
    unit.LastStep = lastStep;
    return unit;
}

inline const TUnitPlan A = Unit("p10_a", 4);
inline const TUnitPlan B = Unit("p20_b", 5);
inline const TUnitPlan C = Unit("p30_c", 6, 40); // incomplete
inline const TUnitPlan D = Unit("p40_d", 7, 60); // incomplete

inline std::string Log(const std::vector<TUnitPlan>& units)
{
    std::string log = "--- Opening Log file [March 1 07:00:00]\r\n";
    for (const TUnitPlan& unit : units)
        log += test::UnitLog(unit);
    return log;
}

class MainWindowTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    test::TFakeClock clock;
    test::TFakeRegionalSettings regional;
    test::TFakeProgramFolder folder;
    test::TFakeMessageBox messages;
    test::TFakeFileDialog dialog;
    test::TFakeFolderOpener opener;
    test::TFakeFileWatcher watcher;
    test::TFakeTimer followTimer;
    test::TFakeTimer autoSaveTimer;
    test::TFakeCloseRequests requests;
    std::unique_ptr<window::TfrmMain> window; // after the fakes it holds, so destroyed first
    std::size_t histoLimit = history::MaxHistoBytes;
    test::TFakeLinkTimers liveTimers;
    std::optional<livenet::TClientAddress> localClient; // where a first start looks
    test::TFakeTray tray;

    MainWindowTest() { folder.Folder = dir.Path(); }
    ~MainWindowTest() override
    {
        if (window)
            window->close();
    }

    window::TfrmMain& Start()
    {
        window::TWindowSeams seams{clock,  regional, folder,   messages,
                                   dialog, opener,   "Korvid", histoLimit};
        seams.LiveTimers = &liveTimers;
        seams.UtcClock = &clock;
        seams.LogWatcher = &watcher;
        seams.FollowTimer = &followTimer;
        seams.AutoSaveTimer = &autoSaveTimer;
        seams.CloseRequests = &requests;
        seams.LocalClient = localClient;
        seams.Tray = &tray;
        window = std::make_unique<window::TfrmMain>(seams);
        window->FormCreate();
        return *window;
    }
    void Close()
    {
        window->close();
        window.reset();
    }

    void Settings(const std::string& lines) const
    {
        dir.Write("Korvid.ini", "[General]\n" + lines);
    }
    // The log as FAHlog.txt; the settings line that names it as the last one loaded.
    std::string LogFile(const std::vector<TUnitPlan>& units) const
    {
        dir.Write("FAHlog.txt", Log(units));
        return "LastFahLog=" + (dir / "FAHlog.txt").string() + "\n";
    }
    // That log, without automatic additions.
    void LastLog(const std::vector<TUnitPlan>& units, const std::string& more = "") const
    {
        Settings(LogFile(units) + "AutoAddToHisto=0\n" + more);
    }
    void History(const std::vector<TUnitPlan>& units) const
    {
        workunits::TWUs wus;
        wus.ReadLog(Log(units), "/elsewhere/FAHlog.txt", clock);
        history::SaveCompressedText(wus.AllText(), dir / "Korvid.dat");
    }
    [[nodiscard]] util::TIniFile SavedSettings() const
    {
        return util::TIniFile(dir / "Korvid.ini");
    }

    template <class T> T& Find(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no widget ") + name);
        return *found;
    }
    QTreeWidget& LogTree() const { return Find<QTreeWidget>("tvFahlog"); }
    QTreeWidget& HistoTree() const { return Find<QTreeWidget>("tvHisto"); }
    // Page 0 is the log, 1 the history.
    QTreeWidgetItem* Node(const char* protein, int page = 0) const
    {
        const workunits::TWUs& wus = page == 0 ? window->WUsLog() : window->WUsHisto();
        for (QTreeWidgetItemIterator it(page == 0 ? &LogTree() : &HistoTree()); *it != nullptr;
             ++it) {
            const auto index = (*it)->data(0, window::tree_role::StateIndex).toLongLong();
            if (index != -1 && wus.Items(index) != nullptr && wus.Items(index)->Protein == protein)
                return *it;
        }
        return nullptr;
    }
    void Select(const char* protein, int page = 0) const
    {
        (page == 0 ? LogTree() : HistoTree()).setCurrentItem(Node(protein, page));
    }
    window::TChartWidget& Chart() const { return Find<window::TChartWidget>("pbGraph"); }
    std::string Memo() const
    {
        return Find<QPlainTextEdit>("memWUInfo").toPlainText().toStdString();
    }
    QTabWidget& Pages() const { return Find<QTabWidget>("pcPages"); }
    window::TLiveModel& Model() const
    {
        return dynamic_cast<window::TLiveModel&>(*Find<QTableView>("tvLive").model());
    }
    void Trigger(const char* item) const { Find<QAction>(item).trigger(); }
    // Clicks a button that opens a menu, and closes the menu again.
    bool ItemShownByButton(const char* button, const char* menu, const char* item) const
    {
        Find<QToolButton>(button).click();
        const bool visible = Find<QAction>(item).isVisible();
        Find<QMenu>(menu).hide();
        return visible;
    }
    void F5(Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F5, modifiers);
        QApplication::sendEvent(Pages().currentIndex() == 0 ? &LogTree() : &HistoTree(), &key);
    }

    // A message of the window's catalogue, its count filled in.
    [[nodiscard]] std::string Text(std::string_view key, long long count = 0) const
    {
        return window::FormatText(window->Translation().GetText("", key), {count});
    }

    static std::vector<std::string> GroupTexts(const QTreeWidget& tree)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            texts.push_back(tree.topLevelItem(i)->text(0).toStdString());
        return texts;
    }
    static const QTreeWidgetItem* Selected(const QTreeWidget& tree)
    {
        return tree.selectedItems().value(0);
    }
};

} // namespace korvid
