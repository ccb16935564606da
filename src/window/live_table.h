#pragma once

#include <QTableView>

namespace korvid::window {

// The live page's table. A line that goes (its unit left, its client dropped) takes the selection
// with it: Qt's single selection would hand it to the next line, and a chart following the
// selection would jump to another unit, or to none, under the user's eyes.
class TLiveTable final : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override
    {
        setSelectionMode(QAbstractItemView::MultiSelection);
        QTableView::rowsAboutToBeRemoved(parent, start, end);
        setSelectionMode(QAbstractItemView::SingleSelection);
    }
};

} // namespace korvid::window
