#include "window/frm_main.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "window/frm_main_parts.h"
#include "window/qt_platform.h"
#include "window/text_format.h"
#include "window/wu_info.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

constexpr int StateIndexRole = tree_role::StateIndex;
constexpr int ImageRole = tree_role::Image;

} // namespace

TGrouping TfrmMain::Grouping() const
{
    return m_mnuSortByDate->isChecked() ? TGrouping::ByDate : TGrouping::ByProject;
}

void TfrmMain::LetGo(TPage page, const TLeaving& leaving)
{
    const TWU*& selection = View(page).Selection;
    if (m_currentWU == selection)
        m_currentWU = nullptr;
    selection = nullptr;
    // The chart points at the unit it shows: it lets go before the unit is destroyed.
    if (const TWU* shown = m_pbGraph->CurrentWU();
        shown != nullptr && leaving && Collection(page).IndexOf(shown) >= 0 && leaving(*shown))
        m_pbGraph->BuildPoints(nullptr);
}

void TfrmMain::FillTree(TPage page)
{
    QTreeWidget& tree = Tree(page);
    // A refilled tree has no selection.
    LetGo(page);
    const std::vector<TTreeNode> nodes = BuildTree(Collection(page), Grouping(), m_regional);
    const TWUs& wus = Collection(page);
    const double now = m_clock.Now();
    auto item = [&](const TTreeNode& node) {
        auto made = std::make_unique<QTreeWidgetItem>();
        made->setText(0, FromUtf8(node.Text));
        // A unit still folding says when it should be done.
        if (const TWU* wu = node.IsWUNode() ? wus.Items(node.StateIndex) : nullptr)
            if (const std::string eta = EtaText(*wu, now, m_translation, m_regional); !eta.empty())
                made->setToolTip(0, FromUtf8(eta));
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
    if (m_popupNode && m_popupNode->Page == page)
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
    const TWU*& selection = View(page).Selection;
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
    // A page turned to with nothing selected would show an empty panel and chart.
    if (bySender && page == TPage::Histo && View(page).Selection == nullptr)
        SelectFirstUnit(TPage::Histo);
    std::unique_ptr<TWUs> retired; // the live unit shown until BuildPoints below
    if (LivePageShown()) {
        retired = TakeLiveUnit();
        m_currentWU = m_liveUnit.WU();
    } else {
        m_currentWU = View(page).Selection;
    }
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

void TfrmMain::UpdateWUInfo()
{
    if (m_currentWU == nullptr)
        return;
    const TWUInfo info = CurrentWUInfo();
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
            m_settings.InfoWidth = m_pnlWUInfoLeft->width();
        m_pnlWUInfoLeft->setVisible(shown);
        if (shown)
            ApplyPanelSizes();
    }
    m_pnlWUInfoTop->setVisible(shown);
    if (m_currentWU == nullptr) {
        m_pnlWUInfoTop->clear();
        m_memWUInfo->clear();
        if (shown && LivePageShown())
            m_memWUInfo->setPlainText(FromUtf8(m_liveUnit.InfoLines(m_translation, m_regional)));
    }
}

void TfrmMain::SortByClick(QAction* item)
{
    RunBusy(item->text(), [this, item] {
        if (item->isCheckable())
            item->setChecked(true);
        for (const TPage page : {TPage::Histo, TPage::Log})
            FillTree(page);
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
        View(page).Selection = wu;
        m_currentWU = wu;
        ShowCurrentWU();
    }
}

void TfrmMain::SelectFirstUnit(TPage page)
{
    QTreeWidget& tree = Tree(page);
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if (const TWU* wu = NodeWU(*it, page)) {
            const QSignalBlocker blocker(&tree);
            tree.setCurrentItem(*it);
            View(page).Selection = wu;
            return;
        }
    }
}

void TfrmMain::SelectNodeByText(QTreeWidget& tree, const QString& text, bool notify)
{
    if (text.isEmpty())
        return;
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if ((*it)->text(0) != text)
            continue;
        if (notify) {
            tree.setCurrentItem(*it);
        } else {
            const QSignalBlocker blocker(&tree);
            tree.setCurrentItem(*it);
            const TPage page = &tree == &Tree(TPage::Log) ? TPage::Log : TPage::Histo;
            View(page).Selection = NodeWU(*it, page);
        }
        return;
    }
}

} // namespace korvid::window
