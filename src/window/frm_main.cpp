#include "window/frm_main.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "translation/french_defaults.h"
#include "util/ascii_case.h"
#include "util/error.h"
#include "util/ini_file.h"
#include "window/languages.h"
#include "window/qt_platform.h"
#include "window/text_format.h"
#include "window/translate_form.h"
#include "window/wu_info.h"
#include "workunits/log_files.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

constexpr const char* FormName = "frmMain";
// The language items keep their own names in every language.
constexpr std::string_view TranslateExclusions = "frmMain=mnuLang_";
constexpr const char* LanguageItemPrefix = "mnuLang_";
// Batches longer than this show their progress and may be cancelled.
constexpr int QuietBatchUnits = 20;
constexpr int StateIndexRole = tree_role::StateIndex;
constexpr int ImageRole = tree_role::Image;

constexpr int DesignWidth = 640;
constexpr int DesignHeight = 498;
constexpr int DesignTreeHeight = 182;
constexpr int DesignInfoWidth = 249;
constexpr int PanelHeight = 24;
constexpr int RightPanelWidth = 26;
// Positions and sizes from the settings file stay where Qt's arithmetic cannot overflow.
constexpr int MaxCoordinate = 1 << 20;

class TBusyCursor {
public:
    TBusyCursor()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // Pending repaints first, so the window stays whole while the work blocks it.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A long batch shows how far it is and may be cancelled; the files written stay.
class TBatchProgress {
public:
    explicit TBatchProgress(QWidget& parent) : m_parent(parent) {}
    TBatchProgress(const TBatchProgress&) = delete;
    TBatchProgress& operator=(const TBatchProgress&) = delete;

    bool operator()(int written, int total)
    {
        if (total <= QuietBatchUnits)
            return true;
        if (!m_dialog) {
            m_dialog = std::make_unique<QProgressDialog>(&m_parent);
            m_dialog->setWindowTitle(m_parent.windowTitle());
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->setMinimumDuration(0);
            m_dialog->setRange(0, total);
            m_dialog->show();
        }
        m_dialog->setValue(written);
        // The only moment the user can reach the Cancel button.
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }
    [[nodiscard]] TExportProgress Callback()
    {
        return [this](int written, int total) { return (*this)(written, total); };
    }

private:
    QWidget& m_parent;
    std::unique_ptr<QProgressDialog> m_dialog;
};

// Tab captions take "&" as a mnemonic; a file name may hold one.
QString Literal(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = util::UpperAscii(c);
    return text;
}

} // namespace

template <class F> void TfrmMain::Run(F&& work)
{
    // Nothing may cross Qt's event loop: what ends a command is shown and the window goes on.
    try {
        work();
    } catch (const std::exception& e) {
        m_messages.ShowError(e.what());
    }
}

template <class F> void TfrmMain::RunBusy(F&& work)
{
    Run([&] {
        const TBusyCursor busy;
        work();
    });
}

TfrmMain::TfrmMain(const TWindowSeams& seams)
    : m_clock(seams.Clock), m_regional(seams.Regional), m_programFolder(seams.ProgramFolder.Path()),
      m_settingsFolder(seams.ProgramFolder.SettingsFolder()),
      m_languageFolders(seams.ProgramFolder.LanguageFolders()),
      m_messages(seams.Messages), m_fileDialog(seams.FileDialog),
      m_baseName(seams.ExecutableBaseName), m_translation(seams.ExecutableBaseName),
      m_exports(seams.ProgramFolder, m_translation, m_regional), m_wusLog(std::make_unique<TWUs>()),
      m_wusHisto(std::make_unique<TWUs>()), m_store(m_programFolder), m_ilWUs(WUImages())
{
    setObjectName(FormName);
    BuildLayout();
    BuildMenus();
    m_translation.SetFolders(m_languageFolders);
    m_translation.SetDefaults(ToUtf8(m_memLang->toPlainText()));
    ApplyDesignTexts();
    // The window sees key presses before its controls do.
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
}

std::filesystem::path TfrmMain::SettingsPath() const
{
    return m_settingsFolder / (m_baseName + ".ini");
}

// Qt widgets belong to their parent, which deletes them: hence the plain new below.
void TfrmMain::BuildLayout()
{
    // The design font where the platform has it, else the system's, at the design size.
    TLanguageFont design;
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
        design.Face = QStringLiteral("MS Sans Serif");
    setFont(WithLanguageFont(font(), design));
    resize(DesignWidth, DesignHeight);

    m_splTreeview = new QSplitter(Qt::Vertical, this);
    m_splTreeview->setObjectName(QStringLiteral("splTreeview"));
    m_splTreeview->setHandleWidth(3);
    m_splTreeview->setChildrenCollapsible(false);
    setCentralWidget(m_splTreeview);

    m_pnlTreeviews = new QWidget(m_splTreeview);
    m_pnlTreeviews->setObjectName(QStringLiteral("pnlTreeviews"));
    auto* treeviewsLayout = new QVBoxLayout(m_pnlTreeviews);
    treeviewsLayout->setContentsMargins(0, 0, 0, 0);
    m_pcPages = new QTabWidget(m_pnlTreeviews);
    m_pcPages->setObjectName(QStringLiteral("pcPages"));
    treeviewsLayout->addWidget(m_pcPages);
    m_tsFahlog = BuildPage(TPage::Log);
    m_tsHisto = BuildPage(TPage::Histo);
    m_pcPages->addTab(m_tsFahlog, QString());
    m_pcPages->addTab(m_tsHisto, QString());
    connect(m_pcPages, &QTabWidget::currentChanged, this, [this] { PagesChange(true); });

    m_pnlInfos = new QWidget(m_splTreeview);
    m_pnlInfos->setObjectName(QStringLiteral("pnlInfos"));
    auto* infosLayout = new QVBoxLayout(m_pnlInfos);
    infosLayout->setContentsMargins(0, 0, 0, 0);
    infosLayout->setSpacing(0);

    m_pnlWUInfoTop = new QLabel(m_pnlInfos);
    m_pnlWUInfoTop->setObjectName(QStringLiteral("pnlWUInfoTop"));
    m_pnlWUInfoTop->setFixedHeight(18);
    m_pnlWUInfoTop->setAlignment(Qt::AlignCenter);
    // The title comes from the log: a protein name is never read as markup.
    m_pnlWUInfoTop->setTextFormat(Qt::PlainText);
    m_pnlWUInfoTop->setAutoFillBackground(true);
    QPalette titlePalette = m_pnlWUInfoTop->palette();
    titlePalette.setColor(QPalette::Window, QColor(0, 0, 128));
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    m_pnlWUInfoTop->setPalette(titlePalette);
    QFont titleFont = m_pnlWUInfoTop->font();
    titleFont.setBold(true);
    m_pnlWUInfoTop->setFont(titleFont);
    m_pnlWUInfoTop->hide();
    infosLayout->addWidget(m_pnlWUInfoTop);

    m_splInfos = new QSplitter(Qt::Horizontal, m_pnlInfos);
    m_splInfos->setObjectName(QStringLiteral("splInfos"));
    m_splInfos->setHandleWidth(3);
    m_splInfos->setChildrenCollapsible(false);
    infosLayout->addWidget(m_splInfos, 1);

    m_pnlWUInfoLeft = new QWidget(m_splInfos);
    m_pnlWUInfoLeft->setObjectName(QStringLiteral("pnlWUInfoLeft"));
    auto* infoLeftLayout = new QVBoxLayout(m_pnlWUInfoLeft);
    infoLeftLayout->setContentsMargins(0, 0, 0, 0);
    m_memWUInfo = new QPlainTextEdit(m_pnlWUInfoLeft);
    m_memWUInfo->setObjectName(QStringLiteral("memWUInfo"));
    m_memWUInfo->setReadOnly(true);
    m_memWUInfo->setFrameShape(QFrame::NoFrame);
    m_memWUInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    infoLeftLayout->addWidget(m_memWUInfo);
    m_pnlWUInfoLeft->hide();

    m_pbGraph = new TChartWidget(m_translation, m_regional, m_splInfos);

    m_splInfos->addWidget(m_pnlWUInfoLeft);
    m_splInfos->addWidget(m_pbGraph);
    m_splInfos->setStretchFactor(0, 0);
    m_splInfos->setStretchFactor(1, 1);
    connect(m_splInfos, &QSplitter::splitterMoved, this, [this] {
        if (m_pnlWUInfoLeft->isVisible())
            m_infoWidth = m_pnlWUInfoLeft->width();
    });

    m_splTreeview->addWidget(m_pnlTreeviews);
    m_splTreeview->addWidget(m_pnlInfos);
    m_splTreeview->setStretchFactor(0, 0);
    m_splTreeview->setStretchFactor(1, 1);
    connect(m_splTreeview, &QSplitter::splitterMoved, this,
            [this] { m_treeHeight = m_pnlTreeviews->height(); });
}

QWidget* TfrmMain::BuildPage(TPage page)
{
    const bool log = page == TPage::Log;
    auto* sheet = new QWidget(m_pcPages);
    sheet->setObjectName(log ? QStringLiteral("tsFahlog") : QStringLiteral("tsHisto"));
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);

    auto* top = new QWidget(sheet);
    top->setObjectName(log ? QStringLiteral("pnlFahlog") : QStringLiteral("pnlHisto"));
    top->setFixedHeight(PanelHeight);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(1, 1, 1, 1);
    topLayout->setSpacing(0);
    sheetLayout->addWidget(top);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    sheetLayout->addLayout(row, 1);

    auto* tree = new QTreeWidget(sheet);
    tree->setObjectName(log ? QStringLiteral("tvFahlog") : QStringLiteral("tvHisto"));
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setAllColumnsShowFocus(true);
    tree->setIndentation(21);
    tree->setIconSize(QSize(18, 18));
    // Every row has the height of an icon: Qt then lays out thousands of rows at once.
    tree->setUniformRowHeights(true);
    connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, page] { TreeChange(page); });
    row->addWidget(tree, 1);

    auto* right = new QWidget(sheet);
    right->setObjectName(log ? QStringLiteral("pnlFahlogRight") : QStringLiteral("pnlHistoRight"));
    right->setFixedWidth(RightPanelWidth);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(1, 1, 1, 1);
    rightLayout->setSpacing(0);
    row->addWidget(right);

    auto popupWhenSelected = [this](QToolButton* button, QMenu* TfrmMain::*menu,
                                    QAction* TfrmMain::*item, TPage from) {
        connect(button, &QToolButton::clicked, this, [this, button, menu, item, from] {
            const TWU* selection = from == TPage::Log ? m_selLogWU : m_selHistoWU;
            (this->*item)->setVisible(selection != nullptr);
            PopupAtButton(*(this->*menu), *button);
        });
    };
    auto popup = [this](QToolButton* button, QMenu* TfrmMain::*menu) {
        connect(button, &QToolButton::clicked, this,
                [this, button, menu] { PopupAtButton(*(this->*menu), *button); });
    };

    if (log) {
        m_tvFahlog = tree;
        m_sbLoadFahlog = SpeedButton("sbLoadFahlog", TGlyph::LoadLog, top);
        m_sbFahlogLang = SpeedButton("sbFahlogLang", TGlyph::Language, top);
        m_sbFahLogWUInfo = SpeedButton("sbFahLogWUInfo", TGlyph::Info, top);
        m_sbFahlogSort = SpeedButton("sbFahlogSort", TGlyph::Sort, top);
        m_sbAddToHisto = SpeedButton("sbAddToHisto", TGlyph::AddToHisto, right);
        m_sbFahLogExcel = SpeedButton("sbFahLogExcel", TGlyph::Csv, right);
        m_sbFahlogSaveBMP = SpeedButton("sbFahlogSaveBMP", TGlyph::Png, right);
        topLayout->addWidget(m_sbLoadFahlog);
        topLayout->addStretch(1);
        topLayout->addWidget(m_sbFahlogLang);
        topLayout->addWidget(m_sbFahLogWUInfo);
        topLayout->addWidget(m_sbFahlogSort);
        rightLayout->addWidget(m_sbAddToHisto);
        rightLayout->addWidget(m_sbFahLogExcel);
        rightLayout->addWidget(m_sbFahlogSaveBMP);

        m_sbFahLogWUInfo->setCheckable(true);
        connect(m_sbLoadFahlog, &QToolButton::clicked, this,
                [this] { Run([this] { LoadFahLog({}); }); });
        connect(m_sbFahLogWUInfo, &QToolButton::clicked, this, [this] { WUInfoClick(TPage::Log); });
        popup(m_sbFahlogLang, &TfrmMain::m_popLang);
        popup(m_sbFahlogSort, &TfrmMain::m_popSort);
        popupWhenSelected(m_sbAddToHisto, &TfrmMain::m_popAddHisto, &TfrmMain::m_mnuAddWUToHisto,
                          page);
        popupWhenSelected(m_sbFahLogExcel, &TfrmMain::m_popExcel, &TfrmMain::m_mnuExcelWU, page);
        popupWhenSelected(m_sbFahlogSaveBMP, &TfrmMain::m_popBitmap, &TfrmMain::m_mnuBitmapWU,
                          page);

        // The built-in texts, in the language-file format, never shown.
        m_memLang = new QPlainTextEdit(sheet);
        m_memLang->setObjectName(QStringLiteral("memLang"));
        m_memLang->setPlainText(FromUtf8(translation::FrenchDefaults()));
        m_memLang->hide();
    } else {
        m_tvHisto = tree;
        m_sbLoadHisto = SpeedButton("sbLoadHisto", TGlyph::LoadHisto, top);
        m_sbSaveHisto = SpeedButton("sbSaveHisto", TGlyph::SaveHisto, top);
        m_sbHistoLang = SpeedButton("sbHistoLang", TGlyph::Language, top);
        m_sbHistoWUInfo = SpeedButton("sbHistoWUInfo", TGlyph::Info, top);
        m_sbHistoSort = SpeedButton("sbHistoSort", TGlyph::Sort, top);
        m_sbDelFromHisto = SpeedButton("sbDelFromHisto", TGlyph::DelFromHisto, right);
        m_sbHistoExcel = SpeedButton("sbHistoExcel", TGlyph::Csv, right);
        m_sbHistoSaveBMP = SpeedButton("sbHistoSaveBMP", TGlyph::Png, right);
        topLayout->addWidget(m_sbLoadHisto);
        topLayout->addWidget(m_sbSaveHisto);
        topLayout->addStretch(1);
        topLayout->addWidget(m_sbHistoLang);
        topLayout->addWidget(m_sbHistoWUInfo);
        topLayout->addWidget(m_sbHistoSort);
        rightLayout->addWidget(m_sbDelFromHisto);
        rightLayout->addWidget(m_sbHistoExcel);
        rightLayout->addWidget(m_sbHistoSaveBMP);

        m_sbHistoWUInfo->setCheckable(true);
        connect(m_sbLoadHisto, &QToolButton::clicked, this,
                [this] { RunBusy([this] { LoadHisto(); }); });
        connect(m_sbSaveHisto, &QToolButton::clicked, this,
                [this] { RunBusy([this] { SaveHisto(TSave::Asked); }); });
        connect(m_sbHistoWUInfo, &QToolButton::clicked, this,
                [this] { WUInfoClick(TPage::Histo); });
        popup(m_sbHistoLang, &TfrmMain::m_popLang);
        popup(m_sbHistoSort, &TfrmMain::m_popSort);
        popupWhenSelected(m_sbDelFromHisto, &TfrmMain::m_popDelHisto,
                          &TfrmMain::m_mnuDelWUFromHisto, page);
        popupWhenSelected(m_sbHistoExcel, &TfrmMain::m_popExcel, &TfrmMain::m_mnuExcelWU, page);
        popupWhenSelected(m_sbHistoSaveBMP, &TfrmMain::m_popBitmap, &TfrmMain::m_mnuBitmapWU, page);
    }
    rightLayout->addStretch(1);
    return sheet;
}

QToolButton* TfrmMain::SpeedButton(const char* name, TGlyph glyph, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setFixedSize(23, 22);
    button->setIcon(Glyph(glyph));
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QAction* TfrmMain::MenuItem(QMenu& menu, const char* name)
{
    QAction* item = menu.addAction(QString());
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void TfrmMain::BuildMenus()
{
    auto menu = [this](const char* name) {
        auto* popup = new QMenu(this);
        popup->setObjectName(QString::fromLatin1(name));
        return popup;
    };
    auto command = [this](QAction* item, auto work) {
        connect(item, &QAction::triggered, this, [this, work] { RunBusy(work); });
    };

    m_popAddHisto = menu("popAddHisto");
    m_mnuAddWUToHisto = MenuItem(*m_popAddHisto, "mnuAddWUToHisto");
    command(m_mnuAddWUToHisto, [this] { AddCurrentWUToHisto(); });
    command(MenuItem(*m_popAddHisto, "mnuAddCompletedWUToHisto"), [this] { AddWUsToHisto(true); });
    command(MenuItem(*m_popAddHisto, "mnuAddWUsToHisto"), [this] { AddWUsToHisto(false); });

    m_popDelHisto = menu("popDelHisto");
    m_mnuDelWUFromHisto = MenuItem(*m_popDelHisto, "mnuDelWUFromHisto");
    command(m_mnuDelWUFromHisto, [this] { DelCurrentWUFromHisto(); });
    command(MenuItem(*m_popDelHisto, "mnuDelIncompleteWUFromHisto"),
            [this] { DelWUsFromHisto(true); });
    command(MenuItem(*m_popDelHisto, "mnuDelWUsFromHisto"), [this] { DelWUsFromHisto(false); });

    m_popSort = menu("popSort");
    auto* sortGroup = new QActionGroup(m_popSort);
    sortGroup->setExclusive(true);
    m_mnuSortByProject = MenuItem(*m_popSort, "mnuSortByProject");
    m_mnuSortByDate = MenuItem(*m_popSort, "mnuSortByDate");
    for (QAction* item : {m_mnuSortByProject, m_mnuSortByDate}) {
        item->setCheckable(true);
        sortGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { SortByClick(item); });
    }
    m_mnuSortByProject->setChecked(true);

    m_popExcel = menu("popExcel");
    m_mnuExcelWU = MenuItem(*m_popExcel, "mnuExcelWU");
    command(m_mnuExcelWU, [this] { m_exports.ExportWUCsv(m_currentWU); });
    command(MenuItem(*m_popExcel, "mnuExcelComplete"), [this] { ExportWUsCsv(true); });
    command(MenuItem(*m_popExcel, "mnuExcelWUs"), [this] { ExportWUsCsv(false); });
    m_popBitmap = menu("popBitmap");
    m_mnuBitmapWU = MenuItem(*m_popBitmap, "mnuBitmapWU");
    command(m_mnuBitmapWU, [this] { SaveGraphPng(); });
    command(MenuItem(*m_popBitmap, "mnuBitmapComplete"), [this] { SaveGraphsPng(true); });
    command(MenuItem(*m_popBitmap, "mnuBitmapWUs"), [this] { SaveGraphsPng(false); });
    // Filled with the language files found at start-up.
    m_popLang = menu("popLang");
}

void TfrmMain::ApplyDesignTexts()
{
    auto text = [this](const QString& name) {
        return FromUtf8(m_translation.GetText(FormName, ToUtf8(name)));
    };
    setWindowTitle(text(QString()));
    m_pcPages->setTabText(0, text(m_tsFahlog->objectName()));
    m_pcPages->setTabText(1, text(m_tsHisto->objectName()));
    for (QToolButton* button : findChildren<QToolButton*>())
        if (!button->objectName().isEmpty())
            button->setToolTip(text(button->objectName() + QStringLiteral(".Hint")));
    for (QMenu* popup : findChildren<QMenu*>())
        for (QAction* item : popup->actions())
            if (!item->objectName().isEmpty())
                item->setText(text(item->objectName()));
}

void TfrmMain::FormCreate()
{
    try {
        LoadSettings();
        BuildLanguageMenu();
        ApplyStartLanguage();
        LoadHisto();
        SetActivePage(TPage::Log);
        PagesChange(false);
        ShowAndDraw();
    } catch (const std::exception& e) {
        ShowAndDraw();
        m_messages.ShowError(e.what());
        return;
    }
    Run([this] { LoadFahLog(m_lastFahLog); });
}

void TfrmMain::ShowAndDraw()
{
    show();
    ApplyPanelSizes();
    activateWindow();
    raise();
    // Drawn before the log is read, which may take a while.
    QCoreApplication::processEvents();
}

void TfrmMain::ApplyPanelSizes()
{
    // A splitter shares out whatever its sizes do not cover, so they must add up to its room.
    const int treeRoom = std::max(m_splTreeview->height() - m_splTreeview->handleWidth(), 1);
    const int treeHeight = std::min(m_treeHeight, treeRoom);
    m_splTreeview->setSizes({treeHeight, treeRoom - treeHeight});
    if (m_pnlWUInfoLeft->isVisibleTo(m_splInfos)) {
        const int infoRoom = std::max(m_splInfos->width() - m_splInfos->handleWidth(), 1);
        const int infoWidth = std::min(m_infoWidth, infoRoom);
        m_splInfos->setSizes({infoWidth, infoRoom - infoWidth});
    }
}

void TfrmMain::LoadSettings()
{
    const util::TIniFile ini(SettingsPath());
    const std::string_view section = settings_key::Section;
    auto coordinate = [&](std::string_view key, int fallback) {
        return std::clamp(ini.ReadInteger(section, key, fallback), -MaxCoordinate, MaxCoordinate);
    };
    // No window larger than all the screens together: its pixels would be allocated for nothing.
    const QRect desktop = screen()->virtualGeometry();
    const int width = std::clamp(ini.ReadInteger(section, "FormWidth", this->width()), 1,
                                 std::max(desktop.width(), DesignWidth));
    const int height = std::clamp(ini.ReadInteger(section, "FormHeight", this->height()), 1,
                                  std::max(desktop.height(), DesignHeight));
    resize(width, height);
    const QRect screenRect = screen()->geometry();
    const int left =
        coordinate("FormLeft", screenRect.x() + (screenRect.width() - this->width()) / 2);
    const int top =
        coordinate("FormTop", screenRect.y() + (screenRect.height() - this->height()) / 2);
    move(left, top);
    m_treeHeight =
        std::clamp(ini.ReadInteger(section, settings_key::TreeViewsHeight, DesignTreeHeight), 0,
                   MaxCoordinate);
    m_infoWidth =
        std::clamp(ini.ReadInteger(section, "InfoWidth", DesignInfoWidth), 0, MaxCoordinate);

    m_lastFahLog = ini.ReadString(section, settings_key::LastFahLog, "");
    std::error_code ec;
    if (!m_lastFahLog.empty() && !std::filesystem::is_regular_file(m_lastFahLog, ec))
        m_lastFahLog.clear();

    m_autoAddToHisto = ini.ReadInteger(section, "AutoAddToHisto", 1) == 1;
    m_autoSaveHisto = ini.ReadInteger(section, "AutoSaveHisto", 1) == 1;
    m_autoBackupHisto = ini.ReadInteger(section, "AutoBackupHisto", 1) == 1;
    m_store.SetAutoBackup(m_autoBackupHisto);

    const bool byProject = ini.ReadInteger(section, "Sort", 0) == 0;
    m_mnuSortByProject->setChecked(byProject);
    m_mnuSortByDate->setChecked(!byProject);

    const bool showInfo = ini.ReadInteger(section, "ShowInfo", 1) == 1;
    m_sbHistoWUInfo->setChecked(showInfo);
    ShowWUInfoPanel(TPage::Histo);
    m_sbFahLogWUInfo->setChecked(showInfo);
    ShowWUInfoPanel(TPage::Log);

    m_language = UpperAscii(ini.ReadString(section, "Lang", "francais"));
}

void TfrmMain::SaveSettings()
{
    util::TIniFile ini(SettingsPath());
    // A file that exists but could not be read is left alone: its other keys would be lost.
    if (ini.LoadOutcome() == util::TIniLoad::Failed)
        return;
    const std::string_view section = settings_key::Section;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        ini.WriteInteger(section, "FormWidth", width());
        ini.WriteInteger(section, "FormHeight", height());
        ini.WriteInteger(section, "FormLeft", x());
        ini.WriteInteger(section, "FormTop", y());
        ini.WriteInteger(section, settings_key::TreeViewsHeight, m_pnlTreeviews->height());
        ini.WriteInteger(section, "InfoWidth",
                         m_pnlWUInfoLeft->isVisible() ? m_pnlWUInfoLeft->width() : m_infoWidth);
    }
    // A path with a line break cannot be stored; the next start then asks for a log.
    if (!ini.WriteString(section, settings_key::LastFahLog, m_lastFahLog.string()))
        ini.WriteString(section, settings_key::LastFahLog, "");
    ini.WriteInteger(section, "AutoAddToHisto", m_autoAddToHisto ? 1 : 0);
    ini.WriteInteger(section, "AutoSaveHisto", m_autoSaveHisto ? 1 : 0);
    ini.WriteInteger(section, "AutoBackupHisto", m_autoBackupHisto ? 1 : 0);
    ini.WriteInteger(section, "Sort", m_mnuSortByProject->isChecked() ? 0 : 1);
    ini.WriteInteger(section, "ShowInfo", InfoToggle(ActivePage()).isChecked() ? 1 : 0);
    try {
        ini.UpdateFile();
    } catch (const util::TError&) {
        // The settings are a convenience: a read-only folder must not stand in the way of closing.
    }
}

void TfrmMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    SaveSettings();
    if (m_autoSaveHisto)
        Run([this] { SaveHisto(TSave::AtShutdown); });
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormDestroy();
    event->accept();
}

void TfrmMain::LoadFahLog(const std::filesystem::path& requested)
{
    std::filesystem::path path = requested;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        const std::string filter =
            Message("msgFilterFAH") + "|Fahlog*.txt|" + Message("msgFilterAll") + "|*.*";
        auto chosen = m_fileDialog.ChooseLog(filter);
        if (!chosen)
            return;
        path = std::move(*chosen);
    }
    const TBusyCursor busy;
    // Everything is read before anything changes: a log that cannot be read leaves the
    // previous one on display.
    auto fresh = std::make_unique<TWUs>();
    const workunits::TReadStats stats =
        fresh->ReadLog(workunits::ReadFahLogText(path), path.string(), m_clock);

    QString caption;
    if (path.filename() == "FAHlog.txt" &&
        std::filesystem::is_regular_file(path.parent_path() / "FAHlog-Prev.txt", ec))
        caption = QStringLiteral("FAHlog-Prev.txt + ");
    caption += FromPath(path.filename());
    m_lastFahLog = path;
    m_pcPages->setTabText(0, Literal(caption));

    if (m_currentWU == m_selLogWU)
        m_currentWU = nullptr;
    m_selLogWU = nullptr;
    ReleaseChart(*m_wusLog);
    m_wusLog = std::move(fresh);
    SetActivePage(TPage::Log);
    FillTree(*m_tvFahlog, *m_wusLog);
    // Whoever opens a log wants to see a chart: its first unit in the tree is shown.
    SelectFirstUnit(TPage::Log);
    PagesChange(false);

    if (stats.UnconvertedLines > 0)
        Notify("msgLineSkipped", "msgLinesSkipped", stats.UnconvertedLines);
    if (m_autoAddToHisto)
        AddWUsToHisto(true);
}

void TfrmMain::LoadHisto()
{
    history::THistoLoadResult result = m_store.LoadHisto();
    switch (result.Outcome) {
    case history::THistoLoad::Missing:
        return;
    case history::THistoLoad::Damaged:
    case history::THistoLoad::TooLarge:
        // What is in memory stays; the file stays too, until the user says otherwise.
        m_histoFileGuarded = true;
        m_messages.ShowError(result.Message);
        return;
    case history::THistoLoad::Loaded:
        break;
    }
    auto fresh = std::make_unique<TWUs>();
    fresh->ReadLog(result.Text, {}, m_clock);
    ClearHistoSelection();
    ReleaseChart(*m_wusHisto);
    m_wusHisto = std::move(fresh);
    // A text cut at a zero byte loads, but the file holds more than we could read.
    m_histoFileGuarded = !result.Message.empty();
    FillTree(*m_tvHisto, *m_wusHisto);
    SetActivePage(TPage::Histo);
    PagesChange(false);
    if (!result.Message.empty())
        m_messages.ShowError(result.Message);
}

void TfrmMain::SaveHisto(TSave when)
{
    if (m_histoFileGuarded) {
        if (when == TSave::AtShutdown)
            return;
        const std::string file = ToUtf8(FromPath(m_store.HistoPath()));
        if (!m_messages.Ask(FormatText(Message("msgHistoOverwrite"), {file})))
            return;
    }
    m_store.SetAutoBackup(m_autoBackupHisto);
    m_store.SaveHisto(m_wusHisto->AllText());
    m_histoFileGuarded = false;
}

void TfrmMain::ClearHistoSelection()
{
    if (m_currentWU == m_selHistoWU)
        m_currentWU = nullptr;
    m_selHistoWU = nullptr;
}

void TfrmMain::HistoChanged()
{
    FillTree(*m_tvHisto, *m_wusHisto);
    PagesChange(false);
}

int TfrmMain::AddWUsToHisto(bool onlyComplete)
{
    // The texts are read in one go, as the history file is: every log unit's text starts with
    // its header lines, so the reader cuts them apart again, and it adds no unit twice.
    std::string texts;
    for (std::ptrdiff_t i = 0; i < m_wusLog->Count(); ++i) {
        const TWU& wu = *m_wusLog->Items(i);
        if ((!onlyComplete || IsComplete(wu)) && !m_wusHisto->Contains(wu))
            texts += wu.Text;
    }
    // Counted as the reader added them: a text that reads as no unit is no addition.
    const int added = texts.empty() ? 0 : m_wusHisto->ReadLog(texts, {}, m_clock).Added;
    if (added > 0) {
        ClearHistoSelection();
        HistoChanged();
    }
    Notify("msgWUAdded", "msgWUsAdded", added);
    return added;
}

int TfrmMain::DelWUsFromHisto(bool onlyIncomplete)
{
    int removed = 0;
    if (onlyIncomplete) {
        if (const TWU* shown = m_pbGraph->CurrentWU();
            shown != nullptr && m_wusHisto->IndexOf(shown) >= 0 && !IsComplete(*shown))
            m_pbGraph->BuildPoints(nullptr);
        removed = static_cast<int>(
            m_wusHisto->DeleteWhere([](const TWU& wu) { return !IsComplete(wu); }));
    } else {
        removed = static_cast<int>(m_wusHisto->Count());
        ReleaseChart(*m_wusHisto);
        m_wusHisto->Clear();
    }
    if (removed > 0 || !onlyIncomplete) {
        ClearHistoSelection();
        HistoChanged();
    }
    Notify("msgWUDeleted", "msgWUsDeleted", removed);
    return removed;
}

void TfrmMain::AddCurrentWUToHisto()
{
    if (m_currentWU == nullptr)
        return;
    if (m_wusHisto->Contains(*m_currentWU)) {
        m_messages.Inform(Message("msgWUInHistory"));
        return;
    }
    if (!IsComplete(*m_currentWU) && !m_messages.Ask(Message("msgWUIncomplete")))
        return;
    m_wusHisto->ReadLog(m_currentWU->Text, {}, m_clock);
    ClearHistoSelection();
    HistoChanged();
}

void TfrmMain::DelCurrentWUFromHisto()
{
    // The menu opens on the history page only, so the unit on display is the history's.
    const std::ptrdiff_t index = m_currentWU == nullptr ? -1 : m_wusHisto->IndexOf(m_currentWU);
    if (index < 0)
        return;
    m_currentWU = nullptr;
    m_selHistoWU = nullptr;
    if (m_pbGraph->CurrentWU() == m_wusHisto->Items(index))
        m_pbGraph->BuildPoints(nullptr);
    m_wusHisto->Delete(index);
    HistoChanged();
}

TGrouping TfrmMain::Grouping() const
{
    return m_mnuSortByDate->isChecked() ? TGrouping::ByDate : TGrouping::ByProject;
}

void TfrmMain::FillTree(QTreeWidget& tree, const TWUs& wus)
{
    const std::vector<TTreeNode> nodes = BuildTree(wus, Grouping(), m_regional);
    auto item = [this](const TTreeNode& node) {
        auto made = std::make_unique<QTreeWidgetItem>();
        made->setText(0, FromUtf8(node.Text));
        if (node.Image >= 0 && node.Image < static_cast<int>(m_ilWUs.size()))
            made->setIcon(0, m_ilWUs[static_cast<std::size_t>(node.Image)]);
        made->setData(0, ImageRole, node.Image);
        made->setData(0, StateIndexRole, static_cast<qlonglong>(node.StateIndex));
        return made;
    };

    // Rebuilt whole, without telling anyone on the way: the callers set what the selection means.
    const QSignalBlocker blocker(&tree);
    tree.setUpdatesEnabled(false);
    tree.clearSelection();
    tree.clear();
    if (m_popupNode && &Tree(m_popupNode->Page) == &tree)
        m_popupNode.reset();
    QList<QTreeWidgetItem*> groups;
    groups.reserve(static_cast<qsizetype>(nodes.size()));
    for (const TTreeNode& node : nodes) {
        auto group = item(node);
        QList<QTreeWidgetItem*> children;
        children.reserve(static_cast<qsizetype>(node.Children.size()));
        for (const TTreeNode& child : node.Children)
            children.append(item(child).release());
        group->addChildren(children);
        groups.append(group.release());
    }
    tree.addTopLevelItems(groups);
    tree.expandAll();
    tree.setUpdatesEnabled(true);
}

const TWU* TfrmMain::NodeWU(const QTreeWidgetItem* item, TPage page) const
{
    if (item == nullptr)
        return nullptr;
    const int image = item->data(0, ImageRole).toInt();
    const std::ptrdiff_t index = item->data(0, StateIndexRole).toLongLong();
    if (image <= wu_image::Arrow || index == -1)
        return nullptr;
    return Collection(page).Items(index);
}

void TfrmMain::TreeChange(TPage page)
{
    const TWU*& selection = page == TPage::Log ? m_selLogWU : m_selHistoWU;
    selection = nullptr;
    m_currentWU = nullptr;
    if (const TWU* wu = NodeWU(Tree(page).selectedItems().value(0), page)) {
        selection = wu;
        m_currentWU = wu;
    }
    PagesChange(false);
}

void TfrmMain::PagesChange(bool bySender)
{
    const TPage page = ActivePage();
    const TPage other = page == TPage::Log ? TPage::Histo : TPage::Log;
    m_currentWU = page == TPage::Log ? m_selLogWU : m_selHistoWU;
    // The toggles follow each other only when the user turns the page.
    if (bySender)
        InfoToggle(page).setChecked(InfoToggle(other).isChecked());
    if (InfoToggle(page).isChecked())
        UpdateWUInfo();
    ShowWUInfoPanel(page);
    BuildPoints();
}

void TfrmMain::ShowCurrentWU()
{
    if (InfoToggle(ActivePage()).isChecked())
        UpdateWUInfo();
    BuildPoints();
}

void TfrmMain::BuildPoints()
{
    m_pbGraph->BuildPoints(m_currentWU);
}

void TfrmMain::ReleaseChart(const TWUs& wus)
{
    if (const TWU* shown = m_pbGraph->CurrentWU(); shown != nullptr && wus.IndexOf(shown) >= 0)
        m_pbGraph->BuildPoints(nullptr);
}

void TfrmMain::UpdateWUInfo()
{
    if (m_currentWU == nullptr)
        return;
    const TWUInfo info = BuildWUInfo(*m_currentWU, m_translation, m_regional);
    m_pnlWUInfoTop->setText(FromUtf8(info.Title));
    m_memWUInfo->setPlainText(FromUtf8(info.Memo));
    m_memWUInfo->moveCursor(QTextCursor::Start);
    m_memWUInfo->ensureCursorVisible();
}

void TfrmMain::WUInfoClick(TPage page)
{
    if (InfoToggle(page).isChecked())
        UpdateWUInfo();
    ShowWUInfoPanel(page);
}

void TfrmMain::ShowWUInfoPanel(TPage page)
{
    const bool shown = InfoToggle(page).isChecked();
    if (shown != m_pnlWUInfoLeft->isVisibleTo(m_splInfos)) {
        if (!shown && m_pnlWUInfoLeft->isVisible())
            m_infoWidth = m_pnlWUInfoLeft->width();
        m_pnlWUInfoLeft->setVisible(shown);
        if (shown)
            ApplyPanelSizes();
    }
    m_pnlWUInfoTop->setVisible(shown);
    if (m_currentWU == nullptr) {
        m_pnlWUInfoTop->clear();
        m_memWUInfo->clear();
    }
}

void TfrmMain::SortByClick(QAction* item)
{
    RunBusy([this, item] {
        if (item->isCheckable())
            item->setChecked(true);
        m_currentWU = nullptr;
        m_selHistoWU = nullptr;
        FillTree(*m_tvHisto, *m_wusHisto);
        m_selLogWU = nullptr;
        FillTree(*m_tvFahlog, *m_wusLog);
        PagesChange(false);
    });
}

void TfrmMain::TreeMouse(TPage page, const QMouseEvent& event)
{
    QTreeWidget& tree = Tree(page);
    if (event.type() == QEvent::MouseButtonPress) {
        m_popupNode.reset();
        if (event.button() != Qt::RightButton)
            return;
        QTreeWidgetItem* item = tree.itemAt(event.position().toPoint());
        if (item == nullptr)
            return;
        tree.setCurrentItem(item);
        const std::ptrdiff_t index = item->data(0, StateIndexRole).toLongLong();
        if (index != -1)
            m_popupNode = TPopupNode{page, item->data(0, ImageRole).toInt(), index};
        return;
    }
    if (event.button() != Qt::RightButton || !m_popupNode || m_popupNode->Page != page)
        return;
    if (m_popupNode->Image <= wu_image::Arrow || m_popupNode->StateIndex == -1)
        return;
    if (const TWU* wu = Collection(page).Items(m_popupNode->StateIndex)) {
        (page == TPage::Log ? m_selLogWU : m_selHistoWU) = wu;
        m_currentWU = wu;
        ShowCurrentWU();
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(key->key(), key->modifiers()))
                return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (watched == m_tvFahlog->viewport())
            TreeMouse(TPage::Log, *static_cast<QMouseEvent*>(event));
        else if (watched == m_tvHisto->viewport())
            TreeMouse(TPage::Histo, *static_cast<QMouseEvent*>(event));
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (key != Qt::Key_F5 || (modifiers & held) || QGuiApplication::mouseButtons() != Qt::NoButton)
        return false;
    RunBusy([this] {
        const TPage page = ActivePage();
        QTreeWidget& tree = Tree(page);
        const QTreeWidgetItem* selected = tree.selectedItems().value(0);
        const QString text = selected == nullptr ? QString() : selected->text(0);
        if (page == TPage::Log)
            LoadFahLog(m_lastFahLog);
        else
            LoadHisto();
        if (!text.isEmpty())
            SelectNodeByText(tree, text);
    });
    return true;
}

void TfrmMain::SelectFirstUnit(TPage page)
{
    QTreeWidget& tree = Tree(page);
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if (const TWU* wu = NodeWU(*it, page)) {
            const QSignalBlocker blocker(&tree);
            tree.setCurrentItem(*it);
            (page == TPage::Log ? m_selLogWU : m_selHistoWU) = wu;
            return;
        }
    }
}

void TfrmMain::SelectNodeByText(QTreeWidget& tree, const QString& text)
{
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if ((*it)->text(0) == text) {
            tree.setCurrentItem(*it);
            return;
        }
    }
}

void TfrmMain::PopupAtButton(QMenu& menu, QToolButton& button)
{
    menu.popup(button.mapToGlobal(QPoint(0, button.height())));
}

TPage TfrmMain::ActivePage() const
{
    return m_pcPages->currentIndex() == 1 ? TPage::Histo : TPage::Log;
}

void TfrmMain::SetActivePage(TPage page)
{
    // Turned by the program, not the user: the page-change handling runs without a sender.
    const QSignalBlocker blocker(m_pcPages);
    m_pcPages->setCurrentIndex(page == TPage::Log ? 0 : 1);
}

QTreeWidget& TfrmMain::Tree(TPage page) const
{
    return page == TPage::Log ? *m_tvFahlog : *m_tvHisto;
}

const TWUs& TfrmMain::Collection(TPage page) const
{
    return page == TPage::Log ? *m_wusLog : *m_wusHisto;
}

QToolButton& TfrmMain::InfoToggle(TPage page) const
{
    return page == TPage::Log ? *m_sbFahLogWUInfo : *m_sbHistoWUInfo;
}

std::string TfrmMain::Message(std::string_view key) const
{
    return m_translation.GetText("", key);
}

void TfrmMain::Notify(std::string_view oneKey, std::string_view manyKey, int count)
{
    if (count == 1)
        m_messages.Inform(FormatText(Message(oneKey), {1LL}));
    else if (count > 1)
        m_messages.Inform(FormatText(Message(manyKey), {static_cast<long long>(count)}));
}

// The PNG export's view of the chart: the unit it shows is the window's, so the page's
// selection and FCurrentWU follow each unit of a batch and come back with the one shown before.
class TfrmMain::TChartFollower final : public IChartImages {
public:
    TChartFollower(TfrmMain& window, TPage page) : m_window(window), m_page(page) {}
    [[nodiscard]] const TWU* ShownWU() const override { return m_window.m_currentWU; }
    void ShowWU(const TWU* wu) override
    {
        (m_page == TPage::Log ? m_window.m_selLogWU : m_window.m_selHistoWU) = wu;
        m_window.m_currentWU = wu;
        m_window.BuildPoints();
    }
    [[nodiscard]] png::TImage RenderImage() override { return m_window.m_pbGraph->RenderImage(); }

private:
    TfrmMain& m_window;
    TPage m_page;
};

std::vector<const TWU*> TfrmMain::DisplayOrder(TPage page) const
{
    std::vector<const TWU*> units;
    units.reserve(static_cast<std::size_t>(Collection(page).Count()));
    for (QTreeWidgetItemIterator it(&Tree(page)); *it != nullptr; ++it)
        if (const TWU* wu = NodeWU(*it, page))
            units.push_back(wu);
    return units;
}

void TfrmMain::ExportWUsCsv(bool onlyComplete)
{
    TBatchProgress progress(*this);
    m_exports.ExportWUsCsv(Collection(ActivePage()), onlyComplete, progress.Callback());
}

void TfrmMain::SaveGraphPng()
{
    TChartFollower chart(*this, ActivePage());
    m_exports.SaveGraphPng(chart);
}

void TfrmMain::SaveGraphsPng(bool onlyComplete)
{
    const TPage page = ActivePage();
    TChartFollower chart(*this, page);
    TBatchProgress progress(*this);
    m_exports.SaveGraphsPng(chart, DisplayOrder(page), onlyComplete, progress.Callback());
}

void TfrmMain::BuildLanguageMenu()
{
    for (const TLanguageChoice& choice : FindLanguages(m_languageFolders, m_baseName)) {
        const QString name = QString::fromLatin1(LanguageItemPrefix) + FromUtf8(choice.Code);
        auto click = [this](QAction* item) { Run([this, item] { LanguageItemClick(item); }); };
        if (AddLanguageMenuItem(*m_popLang, name, FromUtf8(choice.Name), click,
                                choice.Code == m_language))
            m_languages.Add(choice.Code);
    }
}

void TfrmMain::ApplyStartLanguage()
{
    const QList<QAction*> items = m_popLang->actions();
    if (items.size() >= 2) {
        m_translation.LoadLanguage(m_language);
        TranslateForm(*this, m_translation, TranslateExclusions);
        return;
    }
    // One language or none: nothing to choose from.
    if (items.size() == 1)
        LanguageItemClick(items.front());
    m_sbFahlogLang->hide();
    m_sbHistoLang->hide();
}

void TfrmMain::LanguageItemClick(QAction* item)
{
    if (item == nullptr)
        return;
    item->setChecked(true);
    const std::string* code = m_languages.Items(m_popLang->actions().indexOf(item));
    if (code == nullptr)
        return;
    m_language = *code;

    // Saved at the moment of the choice; settings that cannot be written are no reason to stop.
    util::TIniFile ini(SettingsPath());
    if (ini.LoadOutcome() != util::TIniLoad::Failed) {
        ini.WriteString(settings_key::Section, "Lang", m_language);
        try {
            ini.UpdateFile();
        } catch (const util::TError&) {
        }
    }

    m_translation.LoadLanguage(m_language);
    // The log page's caption names the loaded log, not a text of the language.
    const QString logCaption = m_pcPages->tabText(0);
    TranslateForm(*this, m_translation, TranslateExclusions);
    m_pcPages->setTabText(0, logCaption);
    UpdateWUInfo();
    BuildPoints();
}

} // namespace korvid::window
