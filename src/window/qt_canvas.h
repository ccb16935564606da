#pragma once

#include <optional>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSize>

#include "chart/canvas.h"

namespace korvid::window {

[[nodiscard]] QRgb ToQRgb(chart::TColor color);

// The chart's surface: a 32-bit image the view shows and the PNG export copies. It lives as long
// as the view, so the engine may keep drawing on it between paints (readout, zoom rectangle).
// Text is drawn without antialiasing, so writing it again in the background colour erases it.
class TQtCanvas final : public chart::ICanvas {
public:
    explicit TQtCanvas(QSize size = {});
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    // The contents are white until the next ChartInit fills them.
    void Resize(QSize size);
    // The picture so far; drawing resumes with the next call.
    [[nodiscard]] const QImage& Image();

    [[nodiscard]] int Width() const override { return m_image.width(); }
    [[nodiscard]] int Height() const override { return m_image.height(); }
    void SetPen(const chart::TPen& pen) override;
    void SetBrush(const chart::TBrush& brush) override;
    void SetFont(const chart::TFont& font) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void SetPixel(int x, int y, chart::TColor color) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Polygon(std::span<const chart::TPoint> points) override;
    void FillRect(int left, int top, int right, int bottom) override;
    void TextOut(int x, int y, std::string_view text) override;
    [[nodiscard]] int TextWidth(std::string_view text) override;
    [[nodiscard]] int TextHeight(std::string_view text) override;

private:
    // Begun on first use, so an unused or empty image never has a painter on it.
    [[nodiscard]] QPainter* Painter();
    void EndPainting();
    void ApplyPen();
    void ApplyBrush();
    [[nodiscard]] const QFontMetrics& Metrics();
    void ThinLine(QPoint from, QPoint to);

    QImage m_image;
    QPainter m_painter;
    chart::TPen m_pen;
    chart::TBrush m_brush;
    chart::TFont m_font;
    QFont m_qfont;
    std::optional<QFontMetrics> m_metrics;
    QPoint m_position;
};

} // namespace korvid::window
