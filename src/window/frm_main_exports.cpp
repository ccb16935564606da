#include "window/frm_main.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "window/frm_main_parts.h"
#include "window/project_table.h"
#include "window/qt_platform.h"
#include "window/text_format.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

} // namespace

// The PNG export's view of the chart: the unit it shows is the window's, so the page's
// selection and FCurrentWU follow each unit of a batch and come back with the one shown before.
class TfrmMain::TChartFollower final : public IChartImages {
public:
    TChartFollower(TfrmMain& window, TPage page) : m_window(window), m_page(page) {}
    [[nodiscard]] const TWU* ShownWU() const override { return m_window.m_currentWU; }
    void ShowWU(const TWU* wu) override
    {
        m_window.View(m_page).Selection = wu;
        m_window.m_currentWU = wu;
        m_window.BuildPoints();
    }
    [[nodiscard]] png::TImage RenderImage() override { return m_window.m_pbGraph->RenderImage(); }

private:
    TfrmMain& m_window;
    TPage m_page;
};

std::vector<const TWU*> TfrmMain::DisplayOrder(TPage page) const
{
    std::vector<const TWU*> units;
    units.reserve(static_cast<std::size_t>(Collection(page).Count()));
    for (QTreeWidgetItemIterator it(&Tree(page)); *it != nullptr; ++it)
        if (const TWU* wu = NodeWU(*it, page))
            units.push_back(wu);
    return units;
}

void TfrmMain::ExportWUsCsv(bool onlyComplete)
{
    TBatchProgress progress(*this);
    const TBatchResult result =
        m_exports.ExportWUsCsv(Collection(ActivePage()), onlyComplete, progress.Callback());
    TellWritten(result.Written, m_exports.CsvFolder(), result.LastFile);
}

void TfrmMain::SaveGraphPng()
{
    TChartFollower chart(*this, ActivePage());
    if (m_currentWU == nullptr)
        return;
    TellWritten(1, m_exports.PngFolder(), m_exports.SaveGraphPng(chart));
}

void TfrmMain::SaveGraphsPng(bool onlyComplete)
{
    const TPage page = ActivePage();
    TChartFollower chart(*this, page);
    TBatchProgress progress(*this);
    const TBatchResult result =
        m_exports.SaveGraphsPng(chart, DisplayOrder(page), onlyComplete, progress.Callback());
    TellWritten(result.Written, m_exports.PngFolder(), result.LastFile);
}

void TfrmMain::ShowProjectTable()
{
    const TWUs* collections[] = {&m_history.WUs(), m_wusLog.get()};
    auto* dialog = new TProjectTableDialog(
        workunits::TProjectTable(collections), m_translation, m_regional,
        [this](const std::string& csv) {
            Run(FromUtf8(Message("msgExportTable")),
                [&] { TellWritten(1, m_exports.CsvFolder(), m_exports.ExportProjectTable(csv)); });
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace korvid::window
