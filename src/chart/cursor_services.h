#pragma once

#include "chart/canvas.h"

namespace korvid::chart {

enum class TCursorShape { Default, Hand, Cross, Hidden };

// The mouse cursor, for the readout: its shape, and keeping it inside the plot while it runs.
struct ICursorServices {
    virtual ~ICursorServices() = default;
    virtual void SetCursorShape(TCursorShape shape) = 0;
    // In screen coordinates.
    [[nodiscard]] virtual TPoint CursorPos() const = 0;
    // A screen rectangle, right and bottom excluded.
    virtual void ConfineCursor(const TRect& screenRect) = 0;
    virtual void ReleaseCursor() = 0;
};

// For charts painted off screen, where no mouse reads them.
struct TNoCursor final : ICursorServices {
    void SetCursorShape(TCursorShape) override {}
    [[nodiscard]] TPoint CursorPos() const override { return {}; }
    void ConfineCursor(const TRect&) override {}
    void ReleaseCursor() override {}
};

} // namespace korvid::chart
