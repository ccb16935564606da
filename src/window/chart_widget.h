#pragma once

#include <QWidget>

#include "chart/chart.h"
#include "png/image.h"
#include "window/chart_view.h"
#include "window/exports.h"
#include "window/qt_canvas.h"
#include "window/qt_cursor.h"

namespace korvid::window {

// A chart surface: paints its chart into an image of its own size and shows it, and hands the
// mouse to the engine, which draws its readout and zoom frame into the same image between
// paints. Hovering shows by the cursor what a press would start.
class TChartSurface : public QWidget {
public:
    explicit TChartSurface(QWidget* parent = nullptr);

    // Paints the chart again and shows it before returning; zoom and data stay.
    void RepaintChart();
    [[nodiscard]] const chart::TChart& Chart() const { return m_chart; }
    // The chart as the paint draws it at the widget's current size, without the mouse's
    // figures; made off screen, so it works hidden or covered too.
    [[nodiscard]] png::TImage RenderImage();

protected:
    // The whole chart, from ChartInit to ChartFinish.
    virtual void PaintOn(chart::TChart& chart, chart::ICanvas& canvas) const = 0;
    // New data: the full ranges, painted before returning.
    void ShowNewData();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintCanvas();

    TQtCursor m_cursor;
    chart::TChart m_chart;
    TQtCanvas m_canvas;
    // The image holds exactly the paint's picture: no readout or zoom frame drawn since.
    bool m_clean = false;
};

// The chart of the unit on display.
class TChartWidget final : public TChartSurface, public IChartImages {
public:
    TChartWidget(const translation::TTranslation& translation,
                 const util::IRegionalSettings& regional, QWidget* parent = nullptr);

    // Shows the unit (none: the blank chart) at its full ranges and paints it before returning.
    // Also after a language change, for the axis captions and the gesture hint.
    void BuildPoints(const workunits::TWU* wu);
    [[nodiscard]] const workunits::TWU* CurrentWU() const { return m_view.CurrentWU(); }
    // The same unit read again, with more frames: the zoom stays.
    void FollowWU(const workunits::TWU* wu);

    // IChartImages, for the PNG export.
    [[nodiscard]] const workunits::TWU* ShownWU() const override { return CurrentWU(); }
    void ShowWU(const workunits::TWU* wu) override { BuildPoints(wu); }
    [[nodiscard]] png::TImage RenderImage() override { return TChartSurface::RenderImage(); }

protected:
    void PaintOn(chart::TChart& chart, chart::ICanvas& canvas) const override;

private:
    const translation::TTranslation& m_translation;
    TChartView m_view;
};

// A 32-bit image of the canvas's pixels, every alpha 255, as the PNG export writes it.
[[nodiscard]] png::TImage ToPngImage(const QImage& image);

// The cursor that tells what a left press would start there.
[[nodiscard]] Qt::CursorShape GestureCursor(chart::TGesture gesture);

} // namespace korvid::window
