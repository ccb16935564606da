#include "window/live_column_widths.h"

#include <set>

#include <QStandardItemModel>
#include <QTableView>

#include <gtest/gtest.h>

namespace korvid {
namespace {

// Notes which rows the view read texts of.
class TReadRows final : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    mutable std::set<int> Read;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole)
            Read.insert(index.row());
        return QStandardItemModel::data(index, role);
    }
};

TEST(LiveColumnWidths, NewRowsWidenTheirColumnsAndRowsBeforeAreNotMeasuredAgain)
{
    TReadRows model(0, 2);
    QTableView table;
    table.setModel(&model);
    new window::TLiveColumnWidths(table);
    for (int i = 0; i < 20; ++i)
        model.appendRow({new QStandardItem(QStringLiteral("rig")), new QStandardItem("1")});
    const int narrow = table.columnWidth(0);

    model.Read.clear();
    const QString wide = QStringLiteral("a machine with a long name indeed");
    model.appendRow({new QStandardItem(wide), new QStandardItem("2")});
    EXPECT_EQ(model.Read, std::set<int>{20});
    EXPECT_GE(table.columnWidth(0), table.fontMetrics().horizontalAdvance(wide));
    EXPECT_GT(table.columnWidth(0), narrow);

    // A cell grown wider than its column widens it, reading that row alone.
    model.Read.clear();
    model.item(3, 1)->setText(QStringLiteral("Connected, client 8.4.5 and more"));
    EXPECT_EQ(model.Read, std::set<int>{3});
    EXPECT_GE(table.columnWidth(1), table.fontMetrics().horizontalAdvance("Connected, client"));

    // A narrow row later leaves the width; a new set of rows starts afresh.
    model.appendRow({new QStandardItem(QStringLiteral("x")), new QStandardItem("3")});
    EXPECT_GT(table.columnWidth(0), narrow);
    model.clear();
    model.setColumnCount(2);
    model.appendRow({new QStandardItem(QStringLiteral("rig")), new QStandardItem("1")});
    EXPECT_EQ(table.columnWidth(0), narrow);
}

} // namespace
} // namespace korvid
