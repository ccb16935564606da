#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QIcon>
#include <QMainWindow>

#include "history/history.h"
#include "livenet/client_address.h"
#include "live/unit_endings.h"
#include "livenet/timer.h"
#include "translation/language.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "window/chart_widget.h"
#include "window/exports.h"
#include "window/live_unit_shown.h"
#include "window/text_format.h"
#include "window/window_seams.h"
#include "window/window_settings.h"
#include "window/wu_images.h"
#include "window/wu_tree.h"
#include "workunits/wus.h"

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvid::livenet {
class TClientProbe;
}

namespace korvid::window {

class TLivePage;
struct TWUInfo;

// What the window gets from the platform; tests hand in fakes.
struct TWindowSeams {
    const util::IClock& Clock;
    const util::IRegionalSettings& Regional;
    const util::IProgramFolder& ProgramFolder;
    IMessageBox& Messages;
    IFileDialog& FileDialog;
    IFolderOpener& FolderOpener;
    // The executable's file name without extension: <name>.ini, <name>.<code>.lng.
    std::string ExecutableBaseName;
    // The longest history text the window lets the history grow to: what a file can hold.
    std::size_t MaxHistoBytes = history::MaxHistoBytes;
    // None: the window's own, on Qt. Tests hand in fakes they fire.
    IFileWatcher* LogWatcher = nullptr;
    ITimer* FollowTimer = nullptr;
    ITimer* AutoSaveTimer = nullptr;
    // None: nobody outside asks the window to close.
    ICloseRequests* CloseRequests = nullptr;
    // The live page's: none, Qt's timers and UTC clock.
    livenet::ITimerFactory* LiveTimers = nullptr;
    const util::IClock* UtcClock = nullptr;
    // Where a first start looks for a client on this machine; none: nowhere.
    std::optional<livenet::TClientAddress> LocalClient = std::nullopt;
    // None: the desktop's, through Qt.
    ITray* Tray = nullptr;
};

enum class TPage { Log, Histo };
// What a speed button does; the page table lists one for each button.
enum class TButtonJob;

// What a tree node carries besides its text: its image and its unit's index in the collection,
// -1 for a group.
namespace tree_role {
inline constexpr int StateIndex = Qt::UserRole;
inline constexpr int Image = Qt::UserRole + 1;
} // namespace tree_role

// The window's size at a first start, in the screen's room for windows: most of it, not the
// design size, which shows the trees five rows high.
[[nodiscard]] QSize FirstStartSize(QSize room);
[[nodiscard]] int FirstStartTreeHeight(int windowHeight);

// The main window: the log and the history as trees, the chart area and the information panel,
// the commands that move work units between them. It owns both collections; the selections and
// the unit on display point into them and are cleared whenever a unit leaves.
class TfrmMain final : public QMainWindow {
public:
    explicit TfrmMain(const TWindowSeams& seams);
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Settings, history, the window shown and drawn, then the last log, or the dialog for one.
    void FormCreate();
    // Settings written, history saved when "AutoSaveHisto" says so. Runs once; closing the
    // window runs it. False when that save failed and the user chose to keep the window open,
    // and while that choice is being asked for.
    bool FormDestroy();

    [[nodiscard]] const workunits::TWUs& WUsLog() const { return *m_wusLog; }
    [[nodiscard]] const workunits::TWUs& WUsHisto() const { return m_history.WUs(); }
    [[nodiscard]] const workunits::TWU* SelLogWU() const { return View(TPage::Log).Selection; }
    [[nodiscard]] const workunits::TWU* SelHistoWU() const { return View(TPage::Histo).Selection; }
    // The unit the chart and the information panel show.
    [[nodiscard]] const workunits::TWU* CurrentWU() const { return m_currentWU; }
    [[nodiscard]] const std::filesystem::path& LastFahLog() const { return m_lastFahLog; }
    [[nodiscard]] std::filesystem::path SettingsPath() const;
    [[nodiscard]] const translation::TTranslation& Translation() const { return m_translation; }
    // The "Lang" setting, upper case.
    [[nodiscard]] const std::string& Language() const { return m_settings.Lang; }
    // The codes the language menu offers, in its order.
    [[nodiscard]] const translation::TLanguage& Languages() const { return m_languages; }
    // Something the user should see even when looking elsewhere: in the status line, and as a
    // tray notice while the window is minimised.
    void Attention(const std::string& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    // A log file, or the folder of a v7/v8 client, dropped on the window is opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TSave { Asked, AtShutdown };
    enum class TClosing { Open, Underway, Closed };
    class TChartFollower;
    // One page's widgets, and the unit selected in its tree.
    struct TPageView {
        QWidget* Sheet = nullptr;
        QTreeWidget* Tree = nullptr;
        QToolButton* InfoToggle = nullptr;
        QToolButton* LanguageButton = nullptr;
        QToolButton* LoadButton = nullptr;
        const workunits::TWU* Selection = nullptr;
    };
    // Whether a unit of a collection is about to be destroyed.
    using TLeaving = std::function<bool(const workunits::TWU&)>;
    struct TPopupNode {
        TPage Page = TPage::Log;
        int Image = -1;
        std::ptrdiff_t StateIndex = -1;
    };

    void BuildLayout();
    void BuildPage(TPage page);
    void WireButton(QToolButton& button, TButtonJob job, TPage page);
    void BuildMenus();
    void ApplyDesignTexts();
    [[nodiscard]] QToolButton* SpeedButton(const char* name, TGlyph glyph, QWidget* parent);
    QAction* MenuItem(QMenu& menu, const char* name);

    void LoadSettings();
    void SaveSettings();
    void ShowAndDraw();
    void ApplyPanelSizes();

    // While the settings name no clients at all, one look for a client on this machine; the
    // page follows it when it answers.
    void ProbeLocalClient();
    void LocalClientAnswered();
    void EditClients();
    // Followed at once; saved, or a failure thrown.
    void SaveClients(const std::string& clients);

    void LoadFahLog(const std::filesystem::path& requested);
    // Following: the page, the log tree's selection and the chart's zoom stay, and nothing is
    // announced.
    void ReadFahLog(const std::filesystem::path& path, bool following);
    // Watches the open log and its folder, where a rotation puts a new file.
    void WatchLog();
    // The log changed on disk: read it again when it is not as last read.
    void FollowLog();
    void LoadHisto();
    void SaveHisto(TSave when);
    // Shows what adding did; false, with a message, when the units did not fit.
    bool TellAdding(const history::THistory::TAdding& adding);
    int AddWUsToHisto(bool onlyComplete, bool tell = true);
    int DelWUsFromHisto(bool onlyIncomplete);
    void AddCurrentWUToHisto();
    void DelCurrentWUFromHisto();
    void HistoChanged();
    // Added or deleted units wait for a save: the periodic one starts counting, if not yet.
    void HistoUnsaved();
    void AutoSaveHisto();
    // With AutoAddToHisto, a unit that ended on a followed client and earned its credit joins
    // the history with the client's facts.
    void LiveUnitEnded(const live::TUnitEnding& ending, const workunits::TWU* logged);
    // The page's selection is forgotten (its tree is about to be refilled), and the unit on
    // display with it; the chart lets go of its unit when it is one of the page's leaving.
    void LetGo(TPage page, const TLeaving& leaving = nullptr);

    void FillTree(TPage page);
    [[nodiscard]] TGrouping Grouping() const;
    [[nodiscard]] const workunits::TWU* NodeWU(const QTreeWidgetItem* item, TPage page) const;
    void TreeChange(TPage page);
    void PagesChange(bool bySender);
    void ShowWUInfoPanel(TPage page);
    void WUInfoClick(TPage page);
    void UpdateWUInfo();
    // The chart, and the information while shown, follow FCurrentWU.
    void BuildPoints();
    void ShowCurrentWU();
    // The title and memo of the unit on display; a live unit's adds what its client says.
    [[nodiscard]] TWUInfo CurrentWUInfo() const;

    [[nodiscard]] bool LivePageShown() const;
    // The live page's selected unit copied again; returns the copy it replaced, for the caller
    // to drop once the chart shows the new one.
    std::unique_ptr<workunits::TWUs> TakeLiveUnit();
    // newSelection: another line; else its client sent something.
    void LiveUnitChanged(bool newSelection);
    void SortByClick(QAction* item);
    void TreeMouse(TPage page, const QMouseEvent& event);
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void SelectFirstUnit(TPage page);
    // Quietly, the selection field is set without the selection change's handling.
    void SelectNodeByText(QTreeWidget& tree, const QString& text, bool notify = true);
    void PopupAtButton(QMenu& menu, QToolButton& button);

    void BuildLanguageMenu();
    void ApplyStartLanguage();
    void LanguageItemClick(QAction* item);

    void ExportWUsCsv(bool onlyComplete);
    // The benchmark per project over the history and the open log, in a dialog of its own.
    void ShowProjectTable();
    void SaveGraphPng();
    void SaveGraphsPng(bool onlyComplete);
    [[nodiscard]] std::vector<const workunits::TWU*> DisplayOrder(TPage page) const;

    [[nodiscard]] TPage ActivePage() const;
    void SetActivePage(TPage page);
    [[nodiscard]] TPageView& View(TPage page) { return m_pages[static_cast<std::size_t>(page)]; }
    [[nodiscard]] const TPageView& View(TPage page) const
    {
        return m_pages[static_cast<std::size_t>(page)];
    }
    [[nodiscard]] QTreeWidget& Tree(TPage page) const { return *View(page).Tree; }
    [[nodiscard]] const workunits::TWUs& Collection(TPage page) const;
    [[nodiscard]] QToolButton& InfoToggle(TPage page) const { return *View(page).InfoToggle; }

    [[nodiscard]] std::string Message(std::string_view key) const;
    // A message about a file names it: a language file older than the placeholder that takes
    // it gets the name on a line of its own.
    [[nodiscard]] std::string FileMessage(std::string_view key,
                                          std::initializer_list<TFormatArg> args,
                                          const std::string& file) const;
    // The count, then `file` when it is not empty.
    void Notify(std::string_view oneKey, std::string_view manyKey, int count,
                const std::string& file = {});
    // What an export did: the file when it wrote one, else how many went into which folder;
    // the notice offers to open the folder. Nothing for none.
    void TellWritten(int count, const std::filesystem::path& folder,
                     const std::filesystem::path& file);
    // The command is named by its text as the user sees it, should it fail.
    template <class F> void Run(const QString& command, F&& work);
    template <class F> void RunBusy(const QString& command, F&& work);
    // Within a catch block: the exception caught, as a message.
    void ShowFailure(const QString& command);

    const util::IClock& m_clock;
    const util::IRegionalSettings& m_regional;
    std::filesystem::path m_programFolder;
    std::filesystem::path m_settingsFolder;
    std::vector<std::filesystem::path> m_languageFolders;
    IMessageBox& m_messages;
    IFileDialog& m_fileDialog;
    IFolderOpener& m_folderOpener;
    std::string m_baseName;

    translation::TTranslation m_translation;
    translation::TLanguage m_languages;
    TWindowSettings m_settings;
    TExports m_exports;
    std::unique_ptr<workunits::TWUs> m_wusLog;
    const workunits::TWU* m_currentWU = nullptr;
    TShownLiveUnit m_liveUnit; // the live page's unit on display
    std::optional<TPopupNode> m_popupNode;
    std::filesystem::path m_lastFahLog;
    std::unique_ptr<IFileWatcher> m_ownLogWatcher;
    std::unique_ptr<ITimer> m_ownFollowTimer;
    std::unique_ptr<ITimer> m_ownAutoSaveTimer;
    IFileWatcher& m_logWatcher;
    ITimer& m_followTimer;
    ITimer& m_autoSaveTimer;
    ICloseRequests* m_closeRequests;
    std::unique_ptr<livenet::ITimerFactory> m_ownLiveTimers;
    std::unique_ptr<const util::IClock> m_ownUtcClock;
    livenet::ITimerFactory& m_liveTimers;
    const util::IClock& m_utcClock;
    std::optional<livenet::TClientAddress> m_localClient;
    std::unique_ptr<livenet::TClientProbe> m_localProbe; // uses the live timers and clock above
    std::unique_ptr<ITray> m_ownTray;
    ITray* m_tray = nullptr;
    // Size and time of the log as last read; a change elsewhere in its folder is no change.
    std::optional<std::pair<std::uintmax_t, std::filesystem::file_time_type>> m_logStamp;
    history::THistory m_history;
    TClosing m_closing = TClosing::Open;
    std::vector<QIcon> m_ilWUs;

    QWidget* m_pnlTreeviews = nullptr;
    QTabWidget* m_pcPages = nullptr;
    std::array<TPageView, 2> m_pages;
    TLivePage* m_live = nullptr; // the third page, beside the log and the history
    QPlainTextEdit* m_memLang = nullptr;
    QSplitter* m_splTreeview = nullptr;
    QWidget* m_pnlInfos = nullptr;
    QLabel* m_pnlWUInfoTop = nullptr;
    QWidget* m_pnlWUInfoLeft = nullptr;
    QPlainTextEdit* m_memWUInfo = nullptr;
    QSplitter* m_splInfos = nullptr;
    TChartWidget* m_pbGraph = nullptr;

    QMenu* m_popAddHisto = nullptr;
    QMenu* m_popDelHisto = nullptr;
    QMenu* m_popSort = nullptr;
    QMenu* m_popExcel = nullptr;
    QMenu* m_popBitmap = nullptr;
    QMenu* m_popLang = nullptr;
    QAction* m_mnuAddWUToHisto = nullptr;
    QAction* m_mnuDelWUFromHisto = nullptr;
    QAction* m_mnuSortByProject = nullptr;
    QAction* m_mnuSortByDate = nullptr;
    QAction* m_mnuExcelWU = nullptr;
    QAction* m_mnuBitmapWU = nullptr;
};

} // namespace korvid::window
