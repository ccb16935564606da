#pragma once

#include <optional>

#include <QObject>
#include <QWidget>

#include "chart/cursor_services.h"

namespace korvid::window {

// The mouse cursor over the chart widget. Qt cannot clip the cursor on every platform, so while
// confined the pointer is pulled back into the rectangle whenever it leaves it.
class TQtCursor final : public QObject, public chart::ICursorServices {
public:
    explicit TQtCursor(QWidget& widget);

    void SetCursorShape(chart::TCursorShape shape) override;
    [[nodiscard]] chart::TPoint CursorPos() const override;
    void ConfineCursor(const chart::TRect& screenRect) override;
    void ReleaseCursor() override;
    [[nodiscard]] std::optional<chart::TRect> Confinement() const { return m_confined; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_widget;
    std::optional<chart::TRect> m_confined;
};

} // namespace korvid::window
