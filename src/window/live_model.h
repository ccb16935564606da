#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

namespace korvid::window {

struct TLiveRow {
    std::string Key; // the same thing on the next update has the same key
    QStringList Cells;
    bool Strong = false; // a machine's line, the total
    int Image = -1;      // an icon in the first cell, from the model's list
};

// Rows in blocks (a machine's line and its units; the total), each block replaced whole by its
// owner. Only what changed is told to the view, so a selection and the scroll position outlive
// an update: rows whose key stays are updated in place, the others removed or inserted.
// Linear in the block's rows, but for rows the client reordered.
class TLiveModel final : public QAbstractTableModel {
public:
    TLiveModel(QStringList headers, std::vector<bool> rightAligned, std::vector<QIcon> icons = {},
               QObject* parent = nullptr);

    // Forgets every row: only when the clients followed change.
    void SetBlockCount(std::size_t blocks);
    void SetBlock(std::size_t block, std::vector<TLiveRow> rows);
    void SetHeaders(QStringList headers);
    // The block and the row within it.
    [[nodiscard]] std::pair<std::size_t, std::size_t> Locate(int row) const;
    [[nodiscard]] const TLiveRow& Row(int row) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    void Shift(std::size_t after, int delta);
    void Remove(std::size_t block, std::size_t begin, std::size_t end);
    void Insert(std::size_t block, std::size_t at, TLiveRow row);
    // The cells of a row that keeps its key; only those that differ are told.
    void Replace(std::size_t block, std::size_t at, TLiveRow row);

    QStringList m_headers;
    std::vector<bool> m_right;
    std::vector<QIcon> m_icons;
    std::vector<std::vector<TLiveRow>> m_blocks;
    std::vector<int> m_first; // the first row of each block
    int m_rows = 0;
};

} // namespace korvid::window
