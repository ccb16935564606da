#include "window/frm_main.h"

#include <algorithm>
#include <vector>

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "translation/french_defaults.h"
#include "window/frm_main_parts.h"
#include "window/qt_platform.h"
#include "window/text_format.h"
#include "window/translate_form.h"
#include "window/live_control.h"
#include "window/live_page.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

constexpr int PanelHeight = 24;
constexpr int RightPanelWidth = 26;

} // namespace

enum class TButtonJob {
    Stretch, // no button: the room between the left and the right group
    LoadLog,
    LoadHisto,
    SaveHisto,
    Language,
    Info,
    Sort,
    AddToHisto,
    DelFromHisto,
    Csv,
    Png,
    Projects,
};

namespace {

using TJob = TButtonJob;

struct TButtonDesign {
    const char* Name;
    TGlyph Glyph;
    TJob Job;
};

// Both pages are built alike; a new page is one more row and one more TPage.
struct TPageDesign {
    const char* Sheet;
    const char* TopPanel;
    const char* Tree;
    const char* RightPanel;
    std::vector<TButtonDesign> Top;
    std::vector<TButtonDesign> Right;
};

const TButtonDesign Stretch{nullptr, TGlyph::Info, TJob::Stretch};

const TPageDesign PageDesigns[] = {
    {"tsFahlog",
     "pnlFahlog",
     "tvFahlog",
     "pnlFahlogRight",
     {{"sbLoadFahlog", TGlyph::LoadLog, TJob::LoadLog},
      Stretch,
      {"sbFahlogLang", TGlyph::Language, TJob::Language},
      {"sbFahLogWUInfo", TGlyph::Info, TJob::Info},
      {"sbFahlogSort", TGlyph::Sort, TJob::Sort}},
     {{"sbAddToHisto", TGlyph::AddToHisto, TJob::AddToHisto},
      {"sbFahLogExcel", TGlyph::Csv, TJob::Csv},
      {"sbFahlogSaveBMP", TGlyph::Png, TJob::Png}}},
    {"tsHisto",
     "pnlHisto",
     "tvHisto",
     "pnlHistoRight",
     {{"sbLoadHisto", TGlyph::LoadHisto, TJob::LoadHisto},
      {"sbSaveHisto", TGlyph::SaveHisto, TJob::SaveHisto},
      Stretch,
      {"sbHistoLang", TGlyph::Language, TJob::Language},
      {"sbHistoWUInfo", TGlyph::Info, TJob::Info},
      {"sbHistoSort", TGlyph::Sort, TJob::Sort}},
     {{"sbDelFromHisto", TGlyph::DelFromHisto, TJob::DelFromHisto},
      {"sbHistoExcel", TGlyph::Csv, TJob::Csv},
      {"sbHistoSaveBMP", TGlyph::Png, TJob::Png},
      {"sbHistoProjects", TGlyph::Projects, TJob::Projects}}},
};

} // namespace

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
    for (const TPage page : {TPage::Log, TPage::Histo}) {
        BuildPage(page);
        m_pcPages->addTab(View(page).Sheet, QString());
    }
    m_live = new TLivePage({m_utcClock, m_clock, m_regional, m_liveTimers,
                            [this](std::string_view key) { return Message(key); }},
                           m_pcPages);
    m_live->setObjectName(QStringLiteral("tsLive"));
    m_live->OnSelectedUnit([this](bool newSelection) { LiveUnitChanged(newSelection); });
    m_live->OnUnitEnded([this](const live::TUnitEnding& ending, const workunits::TWU* logged) {
        LiveUnitEnded(ending, logged);
    });
    new TLiveControl(*m_live, m_messages, [this](std::string_view key) { return Message(key); });
    m_live->OnAttention([this](const std::string& text) { Attention(text); });
    m_pcPages->addTab(m_live, QString());
    connect(&m_live->ClientsButton(), &QToolButton::clicked, this, [this] { EditClients(); });
    // The built-in texts, in the language-file format, never shown.
    m_memLang = new QPlainTextEdit(View(TPage::Log).Sheet);
    m_memLang->setObjectName(QStringLiteral("memLang"));
    m_memLang->setPlainText(FromUtf8(translation::FrenchDefaults()));
    m_memLang->hide();
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
            m_settings.InfoWidth = m_pnlWUInfoLeft->width();
    });

    m_splTreeview->addWidget(m_pnlTreeviews);
    m_splTreeview->addWidget(m_pnlInfos);
    m_splTreeview->setStretchFactor(0, 0);
    m_splTreeview->setStretchFactor(1, 1);
    connect(m_splTreeview, &QSplitter::splitterMoved, this,
            [this] { m_settings.TreeViewsHeight = m_pnlTreeviews->height(); });
}

void TfrmMain::BuildPage(TPage page)
{
    const TPageDesign& design = PageDesigns[static_cast<std::size_t>(page)];
    TPageView& view = View(page);
    auto* sheet = new QWidget(m_pcPages);
    view.Sheet = sheet;
    sheet->setObjectName(QString::fromLatin1(design.Sheet));
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(0);

    auto* top = new QWidget(sheet);
    top->setObjectName(QString::fromLatin1(design.TopPanel));
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
    view.Tree = tree;
    tree->setObjectName(QString::fromLatin1(design.Tree));
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
    right->setObjectName(QString::fromLatin1(design.RightPanel));
    right->setFixedWidth(RightPanelWidth);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(1, 1, 1, 1);
    rightLayout->setSpacing(0);
    row->addWidget(right);

    auto place = [&](QWidget* panel, QBoxLayout* layout,
                     const std::vector<TButtonDesign>& buttons) {
        for (const TButtonDesign& button : buttons) {
            if (button.Job == TJob::Stretch) {
                layout->addStretch(1);
                continue;
            }
            QToolButton* made = SpeedButton(button.Name, button.Glyph, panel);
            layout->addWidget(made);
            WireButton(*made, button.Job, page);
        }
    };
    place(top, topLayout, design.Top);
    place(right, rightLayout, design.Right);
    rightLayout->addStretch(1);
}

void TfrmMain::WireButton(QToolButton& button, TButtonJob job, TPage page)
{
    QToolButton* const at = &button;
    auto clicked = [this, at](auto work) { connect(at, &QToolButton::clicked, this, work); };
    // The menus are made after the buttons: they are looked up at the click.
    auto popup = [this, at, clicked](QMenu* TfrmMain::*menu) {
        clicked([this, at, menu] { PopupAtButton(*(this->*menu), *at); });
    };
    // The item about the selected unit is offered only when there is one.
    auto popupForSelection = [this, at, clicked, page](QMenu* TfrmMain::*menu,
                                                       QAction* TfrmMain::*item) {
        clicked([this, at, menu, item, page] {
            (this->*item)->setVisible(View(page).Selection != nullptr);
            PopupAtButton(*(this->*menu), *at);
        });
    };
    switch (job) {
    case TJob::Stretch:
        break;
    case TJob::LoadLog:
        View(page).LoadButton = at;
        clicked([this, at] { Run(at->toolTip(), [this] { LoadFahLog({}); }); });
        break;
    case TJob::LoadHisto:
        View(page).LoadButton = at;
        clicked([this, at] { RunBusy(at->toolTip(), [this] { LoadHisto(); }); });
        break;
    case TJob::SaveHisto:
        clicked([this, at] { RunBusy(at->toolTip(), [this] { SaveHisto(TSave::Asked); }); });
        break;
    case TJob::Language:
        View(page).LanguageButton = at;
        popup(&TfrmMain::m_popLang);
        break;
    case TJob::Info:
        View(page).InfoToggle = at;
        at->setCheckable(true);
        clicked([this, page] { WUInfoClick(page); });
        break;
    case TJob::Sort:
        popup(&TfrmMain::m_popSort);
        break;
    case TJob::AddToHisto:
        popupForSelection(&TfrmMain::m_popAddHisto, &TfrmMain::m_mnuAddWUToHisto);
        break;
    case TJob::DelFromHisto:
        popupForSelection(&TfrmMain::m_popDelHisto, &TfrmMain::m_mnuDelWUFromHisto);
        break;
    case TJob::Csv:
        popupForSelection(&TfrmMain::m_popExcel, &TfrmMain::m_mnuExcelWU);
        break;
    case TJob::Png:
        popupForSelection(&TfrmMain::m_popBitmap, &TfrmMain::m_mnuBitmapWU);
        break;
    case TJob::Projects:
        clicked([this, at] { RunBusy(at->toolTip(), [this] { ShowProjectTable(); }); });
        break;
    }
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

void TfrmMain::ApplyPanelSizes()
{
    // A splitter shares out whatever its sizes do not cover, so they must add up to its room.
    const int treeRoom = std::max(m_splTreeview->height() - m_splTreeview->handleWidth(), 1);
    const int treeHeight = std::min(m_settings.TreeViewsHeight, treeRoom);
    m_splTreeview->setSizes({treeHeight, treeRoom - treeHeight});
    if (m_pnlWUInfoLeft->isVisibleTo(m_splInfos)) {
        const int infoRoom = std::max(m_splInfos->width() - m_splInfos->handleWidth(), 1);
        const int infoWidth = std::min(m_settings.InfoWidth, infoRoom);
        m_splInfos->setSizes({infoWidth, infoRoom - infoWidth});
    }
}

} // namespace korvid::window
