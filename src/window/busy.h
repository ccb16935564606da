#pragma once

#include <memory>

#include <QProgressDialog>
#include <QWidget>

#include "window/exports.h"

namespace korvid::window {

// The cursor shows that the window does not answer until the work is done.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A long batch shows how far it is and may be cancelled; the files written stay.
class TBatchProgress {
public:
    explicit TBatchProgress(QWidget& parent) : m_parent(parent) {}
    TBatchProgress(const TBatchProgress&) = delete;
    TBatchProgress& operator=(const TBatchProgress&) = delete;

    bool operator()(int written, int total);
    [[nodiscard]] TExportProgress Callback()
    {
        return [this](int written, int total) { return (*this)(written, total); };
    }

private:
    QWidget& m_parent;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace korvid::window
