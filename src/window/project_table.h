#pragma once

#include <filesystem>
#include <functional>

#include <QDialog>

#include "translation/translation.h"
#include "util/platform.h"
#include "window/chart_widget.h"
#include "workunits/project_bench.h"

class QTableWidget;

namespace korvid::window {

// One project's benchmark over time: a point per unit, days since its first unit against
// minutes per frame.
class TProjectChart final : public TChartSurface {
public:
    TProjectChart(const translation::TTranslation& translation,
                  const util::IRegionalSettings& regional, QWidget* parent = nullptr);
    // Shown from the first point's day; none for the blank chart.
    void ShowProject(std::vector<workunits::TProjectPoint> points, std::string title);
    [[nodiscard]] const chart::TDataArray& Points() const { return m_points; }

protected:
    void PaintOn(chart::TChart& chart, chart::ICanvas& canvas) const override;

private:
    const translation::TTranslation& m_translation;
    const util::IRegionalSettings& m_regional;
    std::vector<workunits::TProjectPoint> m_units;
    chart::TDataArray m_points;
    std::string m_title;
};

// The benchmark per project over the history and the open log: a sortable table and, for the
// selected project, the chart of its units. The export button hands the table's CSV text to
// whoever writes it.
class TProjectTableDialog final : public QDialog {
public:
    TProjectTableDialog(workunits::TProjectTable table,
                        const translation::TTranslation& translation,
                        const util::IRegionalSettings& regional,
                        std::function<void(const std::string& csv)> exportCsv,
                        QWidget* parent = nullptr);

    [[nodiscard]] QTableWidget& Table() const { return *m_table; }
    [[nodiscard]] const TProjectChart& Chart() const { return *m_chart; }

private:
    void ShowSelectedProject();

    // Read at construction: the units may go while the dialog is open; their figures stay.
    workunits::TProjectTable m_projects;
    QTableWidget* m_table = nullptr;
    TProjectChart* m_chart = nullptr;
};

} // namespace korvid::window
