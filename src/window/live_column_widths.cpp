#include "window/live_column_widths.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableView>

namespace korvid::window {

TLiveColumnWidths::TLiveColumnWidths(QTableView& table) : QObject(&table), m_table(table)
{
    connect(table.model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                Fit(first, last, 0, m_table.model()->columnCount() - 1);
            });
    connect(table.model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                if (m_fitted)
                    Fit(topLeft.row(), bottomRight.row(), topLeft.column(), bottomRight.column());
            });
    connect(table.model(), &QAbstractItemModel::modelReset, this, [this] { m_fitted = false; });
}

void TLiveColumnWidths::Fit(int first, int last, int firstColumn, int lastColumn)
{
    const QAbstractItemModel& model = *m_table.model();
    const QHeaderView& header = *m_table.horizontalHeader();
    // As QTableView::resizeColumnsToContents reckons a cell: its delegate's hint, the grid line.
    const int grid = m_table.showGrid() ? 1 : 0;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        const int was = m_fitted ? m_table.columnWidth(column) : header.sectionSizeHint(column);
        int width = was;
        for (int row = first; row <= last; ++row)
            width =
                std::max(width, m_table.sizeHintForIndex(model.index(row, column)).width() + grid);
        if (width != was || !m_fitted)
            m_table.setColumnWidth(column, width);
    }
    m_fitted = true;
}

} // namespace korvid::window
