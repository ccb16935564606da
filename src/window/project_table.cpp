#include "window/project_table.h"

#include <algorithm>
#include <cmath>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "util/duration_words.h"
#include "window/chart_paint.h"
#include "window/qt_platform.h"
#include "window/wu_tree.h"

namespace korvid::window {
namespace {

enum TColumn { Project, Protein, Units, Best, Average, Worst, Core, LastDate, Ppd, ColumnCount };

// Shown as text, sorted by the number behind it.
class TNumberItem final : public QTableWidgetItem {
public:
    TNumberItem(const QString& text, double number) : QTableWidgetItem(text)
    {
        setData(Qt::UserRole, number);
    }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

} // namespace

TProjectChart::TProjectChart(const translation::TTranslation& translation,
                             const util::IRegionalSettings& regional, QWidget* parent)
    : TChartSurface(parent), m_translation(translation), m_regional(regional)
{
    setObjectName("pbProject");
}

void TProjectChart::ShowProject(std::vector<workunits::TProjectPoint> points, std::string title)
{
    m_units = std::move(points);
    m_title = std::move(title);
    m_points.clear();
    if (!m_units.empty()) {
        m_points.push_back({0.0F, 1.0F});
        const double first = m_units.front().StartDate;
        for (const workunits::TProjectPoint& point : m_units)
            m_points.push_back({static_cast<float>(point.StartDate - first),
                                static_cast<float>(point.Benchmark / 60.0)});
    }
    ShowNewData();
}

void TProjectChart::PaintOn(chart::TChart& chart, chart::ICanvas& canvas) const
{
    std::optional<TChartPicture> picture;
    if (!m_units.empty()) {
        picture.emplace();
        picture->Title = m_title;
        picture->XCaption = m_translation.GetText("", "msgBenchAxisX");
        picture->YCaption = m_translation.GetText("", "msgAxisY");
        float days = 1;
        float minutes = 1;
        for (std::size_t row = 1; row < m_points.size(); ++row) {
            days = std::max(days, std::ceil(m_points[row][0]));
            minutes = std::max(minutes, m_points[row][1]);
        }
        picture->XMax = days;
        picture->YMax = std::ceil(minutes * 1.2F);
        picture->Points = &m_points;
    }
    const util::TDurationWords words = util::DurationWordsOf(
        [this](std::string_view key) { return m_translation.GetText("", key); });
    PaintChart(chart, canvas, picture ? &*picture : nullptr,
               [&, words](std::size_t row, std::size_t, std::string& text) {
                   if (row == 0 || row > m_units.size())
                       return;
                   const workunits::TProjectPoint& unit = m_units[row - 1];
                   text = DateTimeText(unit.StartDate, m_regional) + " : " +
                          util::DurationToText(unit.Benchmark, words);
               });
}

TProjectTableDialog::TProjectTableDialog(workunits::TProjectTable table,
                                         const translation::TTranslation& translation,
                                         const util::IRegionalSettings& regional,
                                         std::function<void(const std::string& csv)> exportCsv,
                                         QWidget* parent)
    : QDialog(parent), m_projects(std::move(table))
{
    const std::vector<workunits::TProjectRow>& rows = m_projects.Rows();
    setObjectName("frmProjects");
    auto label = [&](std::string_view key) { return translation.GetText("", key); };
    setWindowTitle(FromUtf8(label("msgProjectsTitle")));
    const util::TDurationWords words = util::DurationWordsOf(label);

    m_table = new QTableWidget(static_cast<int>(rows.size()), ColumnCount, this);
    m_table->setObjectName("tblProjects");
    QStringList headers;
    for (const char* key :
         {"msgProject", "msgProtein", "msgBenchUnits", "msgBenchBest", "msgBenchAverage",
          "msgBenchWorst", "msgCore", "msgBenchLastDate", "msgBenchPpd"})
        headers << FromUtf8(label(key));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const workunits::TProjectRow& row = rows[static_cast<std::size_t>(r)];
        auto duration = [&](double seconds) {
            return new TNumberItem(FromUtf8(util::DurationToText(seconds, words)), seconds);
        };
        auto* project = new TNumberItem(
            row.Project < 0 ? QStringLiteral("?") : QString::number(row.Project), row.Project);
        // The project sorts by number, and finds its row again after any sort.
        project->setData(Qt::UserRole + 1, row.Project);
        m_table->setItem(r, Project, project);
        m_table->setItem(r, Protein, new QTableWidgetItem(FromUtf8(DisplayText(row.Protein))));
        m_table->setItem(r, Units, new TNumberItem(QString::number(row.Units), row.Units));
        m_table->setItem(r, Best, duration(row.Best));
        m_table->setItem(r, Average, duration(row.Average));
        m_table->setItem(r, Worst, duration(row.Worst));
        m_table->setItem(r, Core, new QTableWidgetItem(FromUtf8(row.Core)));
        m_table->setItem(
            r, LastDate,
            new TNumberItem(FromUtf8(DateTimeText(row.LastDate, regional)), row.LastDate));
        m_table->setItem(
            r, Ppd,
            new TNumberItem(row.Ppd > 0 ? QString::number(std::llround(row.Ppd)) : QString(),
                            row.Ppd));
    }
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(Project, Qt::AscendingOrder);
    m_table->resizeColumnsToContents();

    m_chart = new TProjectChart(translation, regional, this);
    m_chart->setMinimumHeight(200);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_chart);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName("btnClose");
    // A language file older than the key keeps Qt's own text rather than a blank button.
    if (const std::string text = label("msgClose"); !text.empty())
        close->setText(FromUtf8(text));
    QPushButton* csv =
        buttons->addButton(FromUtf8(label("msgExportTable")), QDialogButtonBox::ActionRole);
    csv->setObjectName("btnExportTable");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(csv, &QPushButton::clicked, this, [this, exportCsv, label, &regional] {
        auto labels = [label](std::string_view key) { return label(key); };
        exportCsv(workunits::ProjectTableCsv(m_projects.Rows(), labels, regional));
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelectedProject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);
    resize(760, 560);
    if (m_table->rowCount() > 0)
        m_table->selectRow(0);
    else
        ShowSelectedProject();
}

void TProjectTableDialog::ShowSelectedProject()
{
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    if (selected.isEmpty()) {
        m_chart->ShowProject({}, {});
        return;
    }
    const int row = selected.front()->row();
    const int project = m_table->item(row, Project)->data(Qt::UserRole + 1).toInt();
    // Units of the GPU cores log no protein: their project names them, as in the trees.
    const QString protein = m_table->item(row, Protein)->text();
    m_chart->ShowProject(m_projects.Points(project),
                         protein.isEmpty() ? "p" + std::to_string(project) : ToUtf8(protein));
}

} // namespace korvid::window
