#include "window/live_page.h"

#include <charconv>

#include <QItemSelectionModel>
#include <QTableView>

#include "window/live_model.h"

namespace korvid::window {

void TLivePage::WatchSelection()
{
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { SelectionChanged(); });
}

void TLivePage::SelectionChanged()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    // A line that went took the selection with it (TLiveTable): its unit stays shown.
    if (rows.isEmpty())
        return;
    // A unit's key is "client:id", a machine's "client:", the total's "total".
    const std::string& key = m_model->Row(rows.front().row()).Key;
    std::optional<TSelection> selected;
    std::size_t client = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), client);
    if (error == std::errc() && end != key.data() + key.size() && *end == ':' &&
        end + 1 != key.data() + key.size())
        selected = TSelection{client, std::string(end + 1, key.data() + key.size())};
    if (selected == m_selected)
        return;
    m_selected = std::move(selected);
    if (m_told)
        m_told(true);
}

std::optional<TLivePage::TSelectedUnit> TLivePage::SelectedUnit() const
{
    if (!m_selected || m_selected->Client >= m_clients.size())
        return std::nullopt;
    const TClient& client = m_clients[m_selected->Client];
    if (!client.Handler)
        return std::nullopt;
    return TSelectedUnit{&client.Handler->Session(), m_selected->Id, client.Name};
}

void TLivePage::TellSelected(std::size_t client) const
{
    if (m_told && m_selected && m_selected->Client == client)
        m_told(false);
}

} // namespace korvid::window
