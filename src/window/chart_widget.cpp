#include "window/chart_widget.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include <QMouseEvent>
#include <QPainter>

namespace korvid::window {
namespace {

chart::TShiftState ShiftState(const QMouseEvent& event)
{
    chart::TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = event.modifiers();
    if (keys & Qt::ShiftModifier)
        shift |= chart::ShiftKey;
    if (keys & Qt::AltModifier)
        shift |= chart::AltKey;
    if (keys & Qt::ControlModifier)
        shift |= chart::CtrlKey;
    const Qt::MouseButtons buttons = event.buttons();
    if (buttons & Qt::LeftButton)
        shift |= chart::LeftButton;
    if (buttons & Qt::RightButton)
        shift |= chart::RightButton;
    if (buttons & Qt::MiddleButton)
        shift |= chart::MiddleButton;
    return shift;
}

std::optional<chart::TMouseButton> Button(const QMouseEvent& event)
{
    switch (event.button()) {
    case Qt::LeftButton:
        return chart::TMouseButton::Left;
    case Qt::RightButton:
        return chart::TMouseButton::Right;
    case Qt::MiddleButton:
        return chart::TMouseButton::Middle;
    default:
        return std::nullopt;
    }
}

} // namespace

TChartSurface::TChartSurface(QWidget* parent) : QWidget(parent), m_cursor(*this), m_chart(m_cursor)
{
    // Every pixel comes from the image: Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a button show what a press would do.
    setMouseTracking(true);
}

void TChartSurface::PaintCanvas()
{
    if (m_canvas.Width() != width() || m_canvas.Height() != height())
        m_canvas.Resize(size());
    PaintOn(m_chart, m_canvas);
    m_clean = true;
}

void TChartSurface::RepaintChart()
{
    PaintCanvas();
    repaint();
}

void TChartSurface::ShowNewData()
{
    m_chart.ChartResetZoom(0);
    RepaintChart();
}

png::TImage TChartSurface::RenderImage()
{
    if (!m_clean || m_canvas.Width() != width() || m_canvas.Height() != height()) {
        PaintCanvas();
        update();
    }
    return ToPngImage(m_canvas.Image());
}

TChartWidget::TChartWidget(const translation::TTranslation& translation,
                           const util::IRegionalSettings& regional, QWidget* parent)
    : TChartSurface(parent), m_translation(translation), m_view(translation, regional)
{
    setObjectName("pbGraph");
}

void TChartWidget::BuildPoints(const workunits::TWU* wu)
{
    m_view.BuildPoints(wu);
    setToolTip(QString::fromStdString(m_translation.GetText("", "msgChartHint")));
    ShowNewData();
}

void TChartWidget::FollowWU(const workunits::TWU* wu)
{
    m_view.BuildPoints(wu);
    RepaintChart();
}

void TChartWidget::PaintOn(chart::TChart& chart, chart::ICanvas& canvas) const
{
    m_view.Paint(chart, canvas);
}

Qt::CursorShape GestureCursor(chart::TGesture gesture)
{
    switch (gesture) {
    case chart::TGesture::Readout:
        return Qt::PointingHandCursor; // the readout's own cursor while it runs
    case chart::TGesture::Zoom:
        return Qt::CrossCursor;
    case chart::TGesture::None:
        break;
    }
    return Qt::ArrowCursor;
}

png::TImage ToPngImage(const QImage& image)
{
    const auto w = static_cast<std::uint32_t>(std::max(0, image.width()));
    const auto h = static_cast<std::uint32_t>(std::max(0, image.height()));
    png::TImage result(w, h);
    for (std::uint32_t y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
        std::span<std::uint32_t> row = result.Row(y);
        // The canvas is RGB32, 0xffRRGGBB already; forcing alpha keeps that true whatever it is.
        for (std::uint32_t x = 0; x < w; ++x)
            row[x] = line[x] | 0xFF000000U;
    }
    return result;
}

void TChartSurface::paintEvent(QPaintEvent*)
{
    if (m_canvas.Width() != width() || m_canvas.Height() != height())
        PaintCanvas();
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.Image());
}

void TChartSurface::mousePressEvent(QMouseEvent* event)
{
    const std::optional<chart::TMouseButton> button = Button(*event);
    if (!button)
        return;
    const QPoint at = event->position().toPoint();
    m_chart.ChartMouseDown(*button, ShiftState(*event), at.x(), at.y());
    m_clean = false;
    update();
}

void TChartSurface::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->buttons() == Qt::NoButton) {
        setCursor(GestureCursor(m_chart.GestureAt(ShiftState(*event), at.x(), at.y())));
        return;
    }
    m_chart.ChartMouseMove(ShiftState(*event), at.x(), at.y());
    m_clean = false;
    update();
}

void TChartSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const std::optional<chart::TMouseButton> button = Button(*event);
    if (!button)
        return;
    const QPoint at = event->position().toPoint();
    m_chart.ChartMouseUp(*button, ShiftState(*event), at.x(), at.y());
    // A readout released with Shift stays on screen until the next press; a paint would wipe it.
    if (m_chart.ReadoutHeld())
        update();
    else
        RepaintChart();
}

} // namespace korvid::window
