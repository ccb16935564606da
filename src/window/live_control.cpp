#include "window/live_control.h"

#include <algorithm>

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>

#include "window/live_page.h"
#include "window/text_format.h"

namespace korvid::window {
namespace {

struct TItem {
    live::TControl Control;
    const char* Name;    // the menu item's, its caption in the language files
    const char* Machine; // the question for every group of a machine
    const char* Group;   // for one group
};

constexpr std::array<TItem, 3> Items = {{
    {live::TControl::Pause, "mnuLivePause", "msgLiveAskPause", "msgLiveAskPauseGroup"},
    {live::TControl::Fold, "mnuLiveFold", "msgLiveAskFold", "msgLiveAskFoldGroup"},
    {live::TControl::Finish, "mnuLiveFinish", "msgLiveAskFinish", "msgLiveAskFinishGroup"},
}};

} // namespace

TLiveControl::TLiveControl(TLivePage& page, IMessageBox& messages,
                           std::function<std::string(std::string_view key)> label)
    : QObject(&page), m_page(page), m_messages(messages), m_label(std::move(label))
{
    QTableView& table = m_page.Table();
    m_menu = new QMenu(&table);
    m_menu->setObjectName(QStringLiteral("popLive"));
    for (std::size_t i = 0; i < Items.size(); ++i) {
        m_items[i] = m_menu->addAction(QString());
        m_items[i]->setObjectName(QString::fromLatin1(Items[i].Name));
        connect(m_items[i], &QAction::triggered, this,
                [this, control = Items[i].Control] { Confirm(control); });
    }
    table.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&table, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { Offer(at); });
    connect(table.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Enable(); });
    Enable();
}

void TLiveControl::Offer(const QPoint& at)
{
    QTableView& table = m_page.Table();
    if (const QModelIndex index = table.indexAt(at); index.isValid())
        table.selectRow(index.row());
    Enable();
    m_menu->popup(table.viewport()->mapToGlobal(at));
}

void TLiveControl::Enable()
{
    const bool takes = m_page.ControlTarget(m_page.Table().currentIndex().row()).has_value();
    for (QAction* item : m_items)
        item->setEnabled(takes);
}

void TLiveControl::Confirm(live::TControl control)
{
    // Asked again here: the line may have changed since the menu opened.
    const auto target = m_page.ControlTarget(m_page.Table().currentIndex().row());
    if (!target)
        return;
    const TItem& item = *std::find_if(Items.begin(), Items.end(),
                                      [control](const TItem& i) { return i.Control == control; });
    const std::string question =
        target->Group
            ? FormatText(m_label(item.Group),
                         {target->Group->empty() ? m_label("msgLiveDefaultGroup") : *target->Group,
                          target->Machine})
            : FormatText(m_label(item.Machine), {target->Machine});
    if (!m_messages.Ask(question))
        return;
    // The question ran the event loop: the client may have gone meanwhile.
    if (!m_page.Control(*target, control))
        m_messages.Inform(FormatText(m_label("msgLiveNotSent"), {target->Machine}));
}

} // namespace korvid::window
