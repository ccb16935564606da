#include "window/qt_cursor.h"

#include <algorithm>

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>

namespace korvid::window {

TQtCursor::TQtCursor(QWidget& widget) : m_widget(widget) {}

void TQtCursor::SetCursorShape(chart::TCursorShape shape)
{
    switch (shape) {
    case chart::TCursorShape::Default:
        m_widget.unsetCursor();
        break;
    case chart::TCursorShape::Hand:
        m_widget.setCursor(Qt::PointingHandCursor);
        break;
    case chart::TCursorShape::Cross:
        m_widget.setCursor(Qt::CrossCursor);
        break;
    case chart::TCursorShape::Hidden:
        m_widget.setCursor(Qt::BlankCursor);
        break;
    }
}

chart::TPoint TQtCursor::CursorPos() const
{
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void TQtCursor::ConfineCursor(const chart::TRect& screenRect)
{
    if (!m_confined)
        m_widget.installEventFilter(this);
    m_confined = screenRect;
}

void TQtCursor::ReleaseCursor()
{
    if (m_confined)
        m_widget.removeEventFilter(this);
    m_confined.reset();
}

bool TQtCursor::eventFilter(QObject* watched, QEvent* event)
{
    if (m_confined && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        const chart::TRect& r = *m_confined;
        const QPoint inside(std::clamp(at.x(), r.Left, std::max(r.Left, r.Right - 1)),
                            std::clamp(at.y(), r.Top, std::max(r.Top, r.Bottom - 1)));
        if (inside != at)
            QCursor::setPos(inside);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvid::window
