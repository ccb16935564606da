#include "window/live_model.h"

#include <QItemSelectionModel>

#include <gtest/gtest.h>

namespace korvid {
namespace {

std::vector<window::TLiveRow> Rows(std::initializer_list<const char*> keys, const char* text = "")
{
    std::vector<window::TLiveRow> rows;
    for (const char* key : keys)
        rows.push_back({key, {QString::fromLatin1(key), QString::fromLatin1(text)}});
    return rows;
}

std::vector<std::string> Keys(const window::TLiveModel& model)
{
    std::vector<std::string> keys;
    for (int row = 0; row < model.rowCount(); ++row) {
        keys.push_back(model.Row(row).Key);
        EXPECT_EQ(model.index(row, 0).data().toString().toStdString(), keys.back());
    }
    return keys;
}

// Units come and go in the middle, at the ends, all at once; the selected unit and the block
// after stay where the keys say, and nothing resets the view.
TEST(LiveModelTest, UnitsThatComeOrGoMoveOnlyTheirRowsAndKeepTheSelection)
{
    window::TLiveModel model({"key", "text"}, {false, true});
    model.SetBlockCount(2);
    model.SetBlock(1, Rows({"total"}));
    model.SetBlock(0, Rows({"m", "a", "b", "c"}));
    QItemSelectionModel selection(&model);
    selection.select(model.index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });

    const std::pair<std::vector<window::TLiveRow>, std::vector<std::string>> steps[] = {
        {Rows({"m", "a", "x", "y", "c"}), {"m", "a", "x", "y", "c", "total"}},
        {Rows({"m", "c"}), {"m", "c", "total"}},
        {Rows({"m", "z", "c", "w"}), {"m", "z", "c", "w", "total"}},
    };
    for (const auto& [rows, expected] : steps) {
        model.SetBlock(0, rows);
        ASSERT_EQ(Keys(model), expected);
        const int at =
            static_cast<int>(std::find(expected.begin(), expected.end(), "c") - expected.begin());
        EXPECT_EQ(selection.selectedRows().value(0).row(), at);
    }
    model.SetBlock(0, {});
    EXPECT_EQ(Keys(model), std::vector<std::string>{"total"});
    EXPECT_EQ(resets, 0);
}

TEST(LiveModelTest, ARowThatStaysTellsOnlyTheCellsThatChanged)
{
    window::TLiveModel model({"key", "text"}, {false, true});
    model.SetBlockCount(1);
    model.SetBlock(0, Rows({"m", "a"}, "1"));
    std::vector<std::pair<QModelIndex, QModelIndex>> told;
    QObject::connect(
        &model, &QAbstractItemModel::dataChanged,
        [&](const QModelIndex& from, const QModelIndex& to) { told.emplace_back(from, to); });
    model.SetBlock(0, Rows({"m", "a"}, "1"));
    EXPECT_TRUE(told.empty());
    auto rows = Rows({"m", "a"}, "1");
    rows[1].Cells[1] = "2";
    model.SetBlock(0, rows);
    // The changed cell alone.
    EXPECT_EQ(told, (std::vector<std::pair<QModelIndex, QModelIndex>>{
                        {model.index(1, 1), model.index(1, 1)}}));
    EXPECT_EQ(model.index(1, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
}

} // namespace
} // namespace korvid
