#include "window/live_model.h"

#include <algorithm>

#include <QFont>

namespace korvid::window {

TLiveModel::TLiveModel(QStringList headers, std::vector<bool> rightAligned, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_right(std::move(rightAligned))
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

void TLiveModel::SetBlock(std::size_t block, std::vector<TLiveRow> rows)
{
    std::vector<TLiveRow>& old = m_blocks.at(block);
    const int first = m_first[block];
    // The rows that keep their key at the start and at the end stay; those between go or come.
    std::size_t head = 0;
    while (head < old.size() && head < rows.size() && old[head].Key == rows[head].Key)
        ++head;
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < rows.size() - head &&
           old[old.size() - 1 - tail].Key == rows[rows.size() - 1 - tail].Key)
        ++tail;
    const int gone = static_cast<int>(old.size() - head - tail);
    const int come = static_cast<int>(rows.size() - head - tail);
    const int middle = first + static_cast<int>(head);
    if (gone > 0) {
        beginRemoveRows({}, middle, middle + gone - 1);
        old.erase(old.begin() + static_cast<std::ptrdiff_t>(head),
                  old.begin() + static_cast<std::ptrdiff_t>(head) + gone);
        Shift(block, -gone);
        endRemoveRows();
    }
    if (come > 0) {
        beginInsertRows({}, middle, middle + come - 1);
        old.insert(old.begin() + static_cast<std::ptrdiff_t>(head),
                   rows.begin() + static_cast<std::ptrdiff_t>(head),
                   rows.begin() + static_cast<std::ptrdiff_t>(head) + come);
        Shift(block, come);
        endInsertRows();
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i >= head && i < head + static_cast<std::size_t>(come))
            continue;
        TLiveRow& kept = old[i];
        int left = -1;
        int right = -1;
        for (int c = 0; c < rows[i].Cells.size(); ++c)
            if (c >= kept.Cells.size() || kept.Cells[c] != rows[i].Cells[c]) {
                left = left < 0 ? c : left;
                right = c;
            }
        if (kept.Strong != rows[i].Strong) {
            left = 0;
            right = static_cast<int>(m_headers.size()) - 1;
        }
        kept = std::move(rows[i]);
        const int row = first + static_cast<int>(i);
        if (left >= 0)
            emit dataChanged(index(row, left), index(row, right));
    }
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
