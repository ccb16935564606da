#include "window/live_model.h"

#include <algorithm>
#include <unordered_set>

#include <QFont>

namespace korvid::window {

TLiveModel::TLiveModel(QStringList headers, std::vector<bool> rightAligned,
                       std::vector<QIcon> icons, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_right(std::move(rightAligned)),
      m_icons(std::move(icons))
{
}

void TLiveModel::SetBlockCount(std::size_t blocks)
{
    beginResetModel();
    m_blocks.assign(blocks, {});
    m_first.assign(blocks, 0);
    m_rows = 0;
    endResetModel();
}

void TLiveModel::Shift(std::size_t after, int delta)
{
    for (std::size_t b = after + 1; b < m_first.size(); ++b)
        m_first[b] += delta;
    m_rows += delta;
}

void TLiveModel::Remove(std::size_t block, std::size_t begin, std::size_t end)
{
    std::vector<TLiveRow>& rows = m_blocks[block];
    const int first = m_first[block];
    beginRemoveRows({}, first + static_cast<int>(begin), first + static_cast<int>(end) - 1);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(begin),
               rows.begin() + static_cast<std::ptrdiff_t>(end));
    Shift(block, -static_cast<int>(end - begin));
    endRemoveRows();
}

void TLiveModel::Insert(std::size_t block, std::size_t at, TLiveRow row)
{
    std::vector<TLiveRow>& rows = m_blocks[block];
    const int where = m_first[block] + static_cast<int>(at);
    beginInsertRows({}, where, where);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    Shift(block, 1);
    endInsertRows();
}

void TLiveModel::Replace(std::size_t block, std::size_t at, TLiveRow row)
{
    TLiveRow& kept = m_blocks[block][at];
    int left = -1;
    int right = -1;
    for (int c = 0; c < row.Cells.size(); ++c)
        if (c >= kept.Cells.size() || kept.Cells[c] != row.Cells[c]) {
            left = left < 0 ? c : left;
            right = c;
        }
    if (kept.Strong != row.Strong || kept.Image != row.Image) {
        left = 0;
        right = static_cast<int>(m_headers.size()) - 1;
    }
    kept = std::move(row);
    const int where = m_first[block] + static_cast<int>(at);
    if (left >= 0)
        emit dataChanged(index(where, left), index(where, right));
}

void TLiveModel::SetBlock(std::size_t block, std::vector<TLiveRow> rows)
{
    const std::vector<TLiveRow>& old = m_blocks.at(block);
    std::unordered_set<std::string> fresh;
    for (const TLiveRow& row : rows)
        fresh.insert(row.Key);
    // The rows whose key left go first, a run at a time, from the end so earlier ones stay put.
    std::unordered_set<std::string> pending;
    for (std::size_t end = old.size(); end > 0;) {
        if (fresh.contains(old[end - 1].Key)) {
            pending.insert(old[--end].Key);
            continue;
        }
        std::size_t begin = end - 1;
        while (begin > 0 && !fresh.contains(old[begin - 1].Key))
            --begin;
        Remove(block, begin, end);
        end = begin;
    }
    // A kept row stays where it is; one the client moved (a restart turns its list) is taken
    // out and comes back at its new place.
    for (std::size_t i = 0; i < rows.size();) {
        if (i < old.size() && old[i].Key == rows[i].Key) {
            pending.erase(rows[i].Key);
            Replace(block, i, std::move(rows[i]));
            ++i;
        } else if (i < old.size() && pending.contains(rows[i].Key)) {
            pending.erase(old[i].Key);
            Remove(block, i, i + 1);
        } else {
            Insert(block, i, std::move(rows[i]));
            ++i;
        }
    }
    if (old.size() > rows.size())
        Remove(block, rows.size(), old.size());
}

void TLiveModel::SetHeaders(QStringList headers)
{
    m_headers = std::move(headers);
    emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(m_headers.size()) - 1);
}

std::pair<std::size_t, std::size_t> TLiveModel::Locate(int row) const
{
    const auto after = std::upper_bound(m_first.begin(), m_first.end(), row);
    const auto block = static_cast<std::size_t>(after - m_first.begin() - 1);
    return {block, static_cast<std::size_t>(row - m_first[block])};
}

const TLiveRow& TLiveModel::Row(int row) const
{
    const auto [block, at] = Locate(row);
    return m_blocks[block][at];
}

int TLiveModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TLiveModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant TLiveModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const TLiveRow& row = Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return index.column() < row.Cells.size() ? row.Cells[index.column()] : QString();
    case Qt::TextAlignmentRole:
        return static_cast<std::size_t>(index.column()) < m_right.size() &&
                       m_right[static_cast<std::size_t>(index.column())]
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::DecorationRole:
        if (index.column() == 0 && row.Image >= 0 &&
            static_cast<std::size_t>(row.Image) < m_icons.size())
            return m_icons[static_cast<std::size_t>(row.Image)];
        return {};
    case Qt::FontRole:
        if (row.Strong) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant TLiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace korvid::window
