#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QIcon>
#include <QMainWindow>

#include "history/history_store.h"
#include "translation/language.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "window/chart_widget.h"
#include "window/exports.h"
#include "window/window_seams.h"
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

namespace korvid::window {

// What the window gets from the platform; tests hand in fakes.
struct TWindowSeams {
    const util::IClock& Clock;
    const util::IRegionalSettings& Regional;
    const util::IProgramFolder& ProgramFolder;
    IMessageBox& Messages;
    IFileDialog& FileDialog;
    // The executable's file name without extension: <name>.ini, <name>.<code>.lng.
    std::string ExecutableBaseName;
};

enum class TPage { Log, Histo };

// What a tree node carries besides its text: its image and its unit's index in the collection,
// -1 for a group.
namespace tree_role {
inline constexpr int StateIndex = Qt::UserRole;
inline constexpr int Image = Qt::UserRole + 1;
} // namespace tree_role

// The settings file's section and keys.
namespace settings_key {
inline constexpr std::string_view Section = "General";
inline constexpr std::string_view LastFahLog = "LastFahLog";
// Read and written under one spelling (keys match without regard to case).
inline constexpr std::string_view TreeViewsHeight = "TreeViewsHeight";
} // namespace settings_key

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
    // window runs it.
    void FormDestroy();

    [[nodiscard]] const workunits::TWUs& WUsLog() const { return *m_wusLog; }
    [[nodiscard]] const workunits::TWUs& WUsHisto() const { return *m_wusHisto; }
    [[nodiscard]] const workunits::TWU* SelLogWU() const { return m_selLogWU; }
    [[nodiscard]] const workunits::TWU* SelHistoWU() const { return m_selHistoWU; }
    // The unit the chart and the information panel show.
    [[nodiscard]] const workunits::TWU* CurrentWU() const { return m_currentWU; }
    [[nodiscard]] const std::filesystem::path& LastFahLog() const { return m_lastFahLog; }
    [[nodiscard]] std::filesystem::path SettingsPath() const;
    [[nodiscard]] const translation::TTranslation& Translation() const { return m_translation; }
    // The "Lang" setting, upper case.
    [[nodiscard]] const std::string& Language() const { return m_language; }
    // The codes the language menu offers, in its order.
    [[nodiscard]] const translation::TLanguage& Languages() const { return m_languages; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TSave { Asked, AtShutdown };
    class TChartFollower;
    struct TPopupNode {
        TPage Page = TPage::Log;
        int Image = -1;
        std::ptrdiff_t StateIndex = -1;
    };

    void BuildLayout();
    [[nodiscard]] QWidget* BuildPage(TPage page);
    void BuildMenus();
    void ApplyDesignTexts();
    [[nodiscard]] QToolButton* SpeedButton(const char* name, TGlyph glyph, QWidget* parent);
    QAction* MenuItem(QMenu& menu, const char* name);

    void LoadSettings();
    void SaveSettings();
    void ShowAndDraw();
    void ApplyPanelSizes();

    void LoadFahLog(const std::filesystem::path& requested);
    void LoadHisto();
    void SaveHisto(TSave when);
    int AddWUsToHisto(bool onlyComplete);
    int DelWUsFromHisto(bool onlyIncomplete);
    void AddCurrentWUToHisto();
    void DelCurrentWUFromHisto();
    void ClearHistoSelection();
    void HistoChanged();

    void FillTree(QTreeWidget& tree, const workunits::TWUs& wus);
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
    // The chart points at the unit it shows: it lets go before the unit is destroyed.
    void ReleaseChart(const workunits::TWUs& wus);
    void SortByClick(QAction* item);
    void TreeMouse(TPage page, const QMouseEvent& event);
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void SelectFirstUnit(TPage page);
    void SelectNodeByText(QTreeWidget& tree, const QString& text);
    void PopupAtButton(QMenu& menu, QToolButton& button);

    void BuildLanguageMenu();
    void ApplyStartLanguage();
    void LanguageItemClick(QAction* item);

    void ExportWUsCsv(bool onlyComplete);
    void SaveGraphPng();
    void SaveGraphsPng(bool onlyComplete);
    [[nodiscard]] std::vector<const workunits::TWU*> DisplayOrder(TPage page) const;

    [[nodiscard]] TPage ActivePage() const;
    void SetActivePage(TPage page);
    [[nodiscard]] QTreeWidget& Tree(TPage page) const;
    [[nodiscard]] const workunits::TWUs& Collection(TPage page) const;
    [[nodiscard]] QToolButton& InfoToggle(TPage page) const;

    [[nodiscard]] std::string Message(std::string_view key) const;
    void Notify(std::string_view oneKey, std::string_view manyKey, int count);
    template <class F> void Run(F&& work);
    template <class F> void RunBusy(F&& work);

    const util::IClock& m_clock;
    const util::IRegionalSettings& m_regional;
    std::filesystem::path m_programFolder;
    std::filesystem::path m_settingsFolder;
    std::vector<std::filesystem::path> m_languageFolders;
    IMessageBox& m_messages;
    IFileDialog& m_fileDialog;
    std::string m_baseName;

    translation::TTranslation m_translation;
    translation::TLanguage m_languages;
    std::string m_language;
    TExports m_exports;
    std::unique_ptr<workunits::TWUs> m_wusLog;
    std::unique_ptr<workunits::TWUs> m_wusHisto;
    const workunits::TWU* m_selLogWU = nullptr;
    const workunits::TWU* m_selHistoWU = nullptr;
    const workunits::TWU* m_currentWU = nullptr;
    std::optional<TPopupNode> m_popupNode;
    std::filesystem::path m_lastFahLog;
    bool m_autoAddToHisto = true;
    bool m_autoSaveHisto = true;
    bool m_autoBackupHisto = true;
    history::THistoStore m_store;
    // Korvid.dat was there but not read whole: it is written again only when the user says so.
    bool m_histoFileGuarded = false;
    bool m_destroyed = false;
    int m_treeHeight = 182;
    int m_infoWidth = 249;
    std::vector<QIcon> m_ilWUs;

    QWidget* m_pnlTreeviews = nullptr;
    QTabWidget* m_pcPages = nullptr;
    QWidget* m_tsFahlog = nullptr;
    QWidget* m_tsHisto = nullptr;
    QTreeWidget* m_tvFahlog = nullptr;
    QTreeWidget* m_tvHisto = nullptr;
    QPlainTextEdit* m_memLang = nullptr;
    QSplitter* m_splTreeview = nullptr;
    QWidget* m_pnlInfos = nullptr;
    QLabel* m_pnlWUInfoTop = nullptr;
    QWidget* m_pnlWUInfoLeft = nullptr;
    QPlainTextEdit* m_memWUInfo = nullptr;
    QSplitter* m_splInfos = nullptr;
    TChartWidget* m_pbGraph = nullptr;

    QToolButton* m_sbLoadFahlog = nullptr;
    QToolButton* m_sbFahlogLang = nullptr;
    QToolButton* m_sbFahLogWUInfo = nullptr;
    QToolButton* m_sbFahlogSort = nullptr;
    QToolButton* m_sbAddToHisto = nullptr;
    QToolButton* m_sbFahLogExcel = nullptr;
    QToolButton* m_sbFahlogSaveBMP = nullptr;
    QToolButton* m_sbLoadHisto = nullptr;
    QToolButton* m_sbSaveHisto = nullptr;
    QToolButton* m_sbHistoLang = nullptr;
    QToolButton* m_sbHistoWUInfo = nullptr;
    QToolButton* m_sbHistoSort = nullptr;
    QToolButton* m_sbDelFromHisto = nullptr;
    QToolButton* m_sbHistoExcel = nullptr;
    QToolButton* m_sbHistoSaveBMP = nullptr;

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
