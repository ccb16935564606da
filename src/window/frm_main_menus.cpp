#include "window/frm_main.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "window/frm_main_parts.h"
#include "window/qt_platform.h"
#include "window/live_page.h"

namespace korvid::window {

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
        connect(item, &QAction::triggered, this,
                [this, item, work] { RunBusy(item->text(), work); });
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
    command(m_mnuExcelWU, [this] {
        if (m_currentWU == nullptr)
            return;
        TellWritten(1, m_exports.CsvFolder(), m_exports.ExportWUCsv(m_currentWU));
    });
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
    for (const TPage page : {TPage::Log, TPage::Histo})
        m_pcPages->setTabText(static_cast<int>(page), text(View(page).Sheet->objectName()));
    m_pcPages->setTabText(m_pcPages->indexOf(m_live), text(m_live->objectName()));
    m_live->Retranslate();
    for (QToolButton* button : findChildren<QToolButton*>()) {
        if (button->objectName().isEmpty())
            continue;
        button->setToolTip(text(button->objectName() + QStringLiteral(".Hint")));
        // A button without a glyph shows its caption.
        if (button->toolButtonStyle() == Qt::ToolButtonTextOnly)
            button->setText(text(button->objectName()));
    }
    for (QMenu* popup : findChildren<QMenu*>())
        for (QAction* item : popup->actions())
            if (!item->objectName().isEmpty())
                item->setText(text(item->objectName()));
}

} // namespace korvid::window
