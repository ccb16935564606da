#pragma once

#include <optional>

#include "chart/cursor_services.h"

namespace korvid::test {

// The mouse cursor as a chart test sees it: a fixed screen position, shape and confinement kept.
struct TFakeCursor final : chart::ICursorServices {
    chart::TCursorShape Shape = chart::TCursorShape::Default;
    chart::TPoint Position{1000, 500};
    std::optional<chart::TRect> Confined;

    void SetCursorShape(chart::TCursorShape shape) override { Shape = shape; }
    [[nodiscard]] chart::TPoint CursorPos() const override { return Position; }
    void ConfineCursor(const chart::TRect& screenRect) override { Confined = screenRect; }
    void ReleaseCursor() override { Confined.reset(); }
};

} // namespace korvid::test
