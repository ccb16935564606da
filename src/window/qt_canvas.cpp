#include "window/qt_canvas.h"

#include <algorithm>
#include <cstdlib>

#include <QPolygon>
#include <QString>

namespace korvid::window {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QRgb ToQRgb(chart::TColor color)
{
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

TQtCanvas::TQtCanvas(QSize size)
{
    Resize(size);
    SetFont(m_font);
}

TQtCanvas::~TQtCanvas()
{
    EndPainting();
}

void TQtCanvas::Resize(QSize size)
{
    EndPainting();
    m_image = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    if (!m_image.isNull())
        m_image.fill(Qt::white);
    m_metrics.reset();
}

const QImage& TQtCanvas::Image()
{
    EndPainting();
    return m_image;
}

QPainter* TQtCanvas::Painter()
{
    if (m_image.isNull())
        return nullptr;
    if (!m_painter.isActive()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        m_painter.setFont(m_qfont);
        ApplyPen();
        ApplyBrush();
    }
    return &m_painter;
}

void TQtCanvas::EndPainting()
{
    if (m_painter.isActive())
        m_painter.end();
}

void TQtCanvas::ApplyPen()
{
    if (!m_painter.isActive())
        return;
    QPen pen(QColor(ToQRgb(m_pen.Color)));
    pen.setWidth(std::max(1, m_pen.Width));
    pen.setStyle(m_pen.Style == chart::TPenStyle::Solid ? Qt::SolidLine : Qt::NoPen);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setCompositionMode(m_pen.Mode == chart::TPenMode::Xor
                                     ? QPainter::RasterOp_SourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::ApplyBrush()
{
    if (!m_painter.isActive())
        return;
    if (m_brush.Style == chart::TBrushStyle::Solid)
        m_painter.setBrush(QColor(ToQRgb(m_brush.Color)));
    else
        m_painter.setBrush(Qt::NoBrush);
}

void TQtCanvas::SetPen(const chart::TPen& pen)
{
    m_pen = pen;
    ApplyPen();
}

void TQtCanvas::SetBrush(const chart::TBrush& brush)
{
    m_brush = brush;
    ApplyBrush();
}

void TQtCanvas::SetFont(const chart::TFont& font)
{
    const bool sameFace = font.Name == m_font.Name && font.Size == m_font.Size &&
                          font.Bold == m_font.Bold && font.Italic == m_font.Italic;
    m_font = font;
    if (sameFace && m_metrics)
        return;
    m_qfont = QFont(QString::fromStdString(font.Name));
    m_qfont.setPointSize(std::max(1, font.Size));
    m_qfont.setBold(font.Bold);
    m_qfont.setItalic(font.Italic);
    m_qfont.setStyleStrategy(QFont::NoAntialias);
    m_metrics.reset();
    if (m_painter.isActive())
        m_painter.setFont(m_qfont);
}

const QFontMetrics& TQtCanvas::Metrics()
{
    if (!m_metrics)
        m_metrics.emplace(m_qfont, m_image.isNull() ? nullptr : &m_image);
    return *m_metrics;
}

void TQtCanvas::MoveTo(int x, int y)
{
    m_position = {x, y};
}

void TQtCanvas::LineTo(int x, int y)
{
    const QPoint from = m_position;
    m_position = {x, y};
    if (m_pen.Style == chart::TPenStyle::Clear || m_image.isNull())
        return;
    if (m_pen.Width <= 1) {
        ThinLine(from, m_position);
        return;
    }
    if (QPainter* painter = Painter())
        painter->drawLine(from, m_position);
}

// Qt's cosmetic stroker orders the end points itself, so which end it leaves out depends on the
// slope, and XOR figures lose corner pixels. Thin lines are therefore rasterised here (Bresenham)
// from the start towards the end, the end left out; XOR is what RasterOp_SourceXorDestination
// does, on the colour bits only.
void TQtCanvas::ThinLine(QPoint from, QPoint to)
{
    const int width = m_image.width();
    const int height = m_image.height();
    if ((from.x() < 0 && to.x() < 0) || (from.x() >= width && to.x() >= width) ||
        (from.y() < 0 && to.y() < 0) || (from.y() >= height && to.y() >= height))
        return;
    const QRgb rgb = ToQRgb(m_pen.Color) & 0x00FFFFFF;
    const bool exclusive = m_pen.Mode == chart::TPenMode::Xor;
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    while (x != to.x() || y != to.y()) {
        if (x >= 0 && x < width && y >= 0 && y < height) {
            QRgb* pixel = reinterpret_cast<QRgb*>(bits + y * stride) + x;
            *pixel = exclusive ? *pixel ^ rgb : 0xFF000000 | rgb;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void TQtCanvas::SetPixel(int x, int y, chart::TColor color)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = ToQRgb(color);
}

void TQtCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (right - left < 1 || bottom - top < 1)
        return;
    if (QPainter* painter = Painter())
        // A QRect outline covers width + 1 pixels; the box leaves right and bottom out.
        painter->drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void TQtCanvas::Polygon(std::span<const chart::TPoint> points)
{
    if (points.empty())
        return;
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const chart::TPoint& p : points)
        polygon.append(QPoint(p.X, p.Y));
    if (QPainter* painter = Painter())
        painter->drawPolygon(polygon);
}

void TQtCanvas::FillRect(int left, int top, int right, int bottom)
{
    if (m_brush.Style == chart::TBrushStyle::Clear || right <= left || bottom <= top)
        return;
    QPainter* painter = Painter();
    if (painter == nullptr)
        return;
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->fillRect(QRect(left, top, right - left, bottom - top), QColor(ToQRgb(m_brush.Color)));
    ApplyPen();
}

void TQtCanvas::TextOut(int x, int y, std::string_view text)
{
    if (text.empty())
        return;
    QPainter* painter = Painter();
    if (painter == nullptr)
        return;
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setPen(QColor(ToQRgb(m_font.Color)));
    if (m_font.Angle == 0) {
        painter->drawText(QPoint(x, y + Metrics().ascent()), FromUtf8(text));
    } else {
        painter->translate(x, y);
        painter->rotate(-m_font.Angle); // Qt turns clockwise on a y-down surface
        painter->drawText(QPoint(0, Metrics().ascent()), FromUtf8(text));
        painter->resetTransform();
    }
    ApplyPen();
}

int TQtCanvas::TextWidth(std::string_view text)
{
    return Metrics().horizontalAdvance(FromUtf8(text));
}

int TQtCanvas::TextHeight(std::string_view text)
{
    (void)text;
    return Metrics().height();
}

} // namespace korvid::window
