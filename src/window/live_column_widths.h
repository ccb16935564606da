#pragma once

#include <QObject>

class QTableView;

namespace korvid::window {

// Widths that follow the texts of the live table as rows come, measuring only the rows that
// came: a farm's table measured whole for each new line (each machine as it connects, each unit
// as it is assigned) stalled the window for seconds. Columns grow, never shrink, until the
// model is reset; a cell whose text changed widens its column when it no longer fits (a machine's
// status once connected, a PPD gaining a digit). Lives as long as the table, its parent.
class TLiveColumnWidths final : public QObject {
public:
    explicit TLiveColumnWidths(QTableView& table);

private:
    void Fit(int first, int last, int firstColumn, int lastColumn);

    QTableView& m_table;
    bool m_fitted = false; // since the model's last reset
};

} // namespace korvid::window
