#include "window/busy.h"

#include <QApplication>
#include <QCoreApplication>

namespace korvid::window {
namespace {

// Batches longer than this show their progress and may be cancelled.
constexpr int QuietBatchUnits = 20;

} // namespace

TBusyCursor::TBusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Pending repaints first, so the window stays whole while the work blocks it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TBusyCursor::~TBusyCursor()
{
    QApplication::restoreOverrideCursor();
}

bool TBatchProgress::operator()(int written, int total)
{
    if (total <= QuietBatchUnits)
        return true;
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(&m_parent);
        m_dialog->setWindowTitle(m_parent.windowTitle());
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setRange(0, total);
        m_dialog->show();
    }
    m_dialog->setValue(written);
    // The only moment the user can reach the Cancel button.
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}

} // namespace korvid::window
