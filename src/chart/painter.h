#pragma once

#include "chart/canvas.h"

namespace korvid::chart {

// The drawing state the engine keeps in step with its canvas: the parts of the engine that draw
// change a field and apply it.
struct TPainter {
    ICanvas* Canvas = nullptr; // none before the first ChartInit
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TColor Background = 0xFFFFFF;
    TColor Foreground = 0;

    void ApplyPen() const
    {
        if (Canvas != nullptr)
            Canvas->SetPen(Pen);
    }
    void ApplyBrush() const
    {
        if (Canvas != nullptr)
            Canvas->SetBrush(Brush);
    }
    void ApplyFont() const
    {
        if (Canvas != nullptr)
            Canvas->SetFont(Font);
    }
};

} // namespace korvid::chart
