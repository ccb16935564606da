#include "window/frm_main.h"

#include <system_error>
#include <utility>
#include <vector>

#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "window/frm_main_parts.h"
#include "window/qt_platform.h"
#include "workunits/log_files.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

bool Everything(const TWU& /*wu*/)
{
    return true;
}

bool Incomplete(const TWU& wu)
{
    return !IsComplete(wu);
}

bool HoldsAny(const TWUs& wus, bool (*pick)(const TWU&))
{
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
        if (pick(*wus.Items(i)))
            return true;
    return false;
}

// Tab captions take "&" as a mnemonic; a file name may hold one.
QString Literal(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The files a log's text was read from, the rotated ones first; a folder of rotated logs is
// named as one.
QString LogSources(const std::filesystem::path& path,
                   const std::vector<std::filesystem::path>& earlier, bool fullPaths)
{
    auto name = [fullPaths](const std::filesystem::path& file) {
        return FromPath(fullPaths ? file : file.filename());
    };
    QString text;
    if (!earlier.empty())
        text = earlier.size() == 1 ? name(earlier.front()) + QStringLiteral(" + ")
                                   : name(earlier.front().parent_path()) + QStringLiteral("/ + ");
    return text + name(path);
}

} // namespace

void TfrmMain::LoadFahLog(const std::filesystem::path& requested)
{
    std::filesystem::path path = requested;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        const std::string filter = Message("msgFilterFAH") + "|Fahlog*.txt;log.txt;log-*.txt|" +
                                   Message("msgFilterAll") + "|*.*";
        auto chosen = m_fileDialog.ChooseLog(filter);
        if (!chosen)
            return;
        path = std::move(*chosen);
    }
    ReadFahLog(path, false);
}

void TfrmMain::ReadFahLog(const std::filesystem::path& path, bool following)
{
    const TBusyCursor busy;
    // Everything is read before anything changes: a log that cannot be read leaves the
    // previous one on display.
    auto fresh = std::make_unique<TWUs>();
    const workunits::TReadStats stats =
        fresh->ReadLogFreeing(workunits::ReadFahLogText(path), path.string(), m_clock);

    const auto earlier = workunits::EarlierLogs(path);
    m_lastFahLog = path;
    m_pcPages->setTabText(0, Literal(LogSources(path, earlier, false)));

    const QTreeWidgetItem* selected = Tree(TPage::Log).selectedItems().value(0);
    const QString selectedText = selected == nullptr ? QString() : selected->text(0);
    // Followed, the chart gets its unit back with the zoom it had.
    if (following) {
        LetGo(TPage::Log, {});
        if (const TWU* shown = m_pbGraph->CurrentWU();
            shown != nullptr && m_wusLog->IndexOf(shown) >= 0)
            m_pbGraph->FollowWU(nullptr);
    } else {
        LetGo(TPage::Log, Everything);
    }
    m_wusLog = std::move(fresh);
    if (!following)
        SetActivePage(TPage::Log);
    FillTree(TPage::Log);
    if (following) {
        SelectNodeByText(Tree(TPage::Log), selectedText, false);
        if (ActivePage() == TPage::Log && !LivePageShown())
            m_currentWU = View(TPage::Log).Selection;
        if (InfoToggle(ActivePage()).isChecked())
            UpdateWUInfo();
        ShowWUInfoPanel(ActivePage());
        m_pbGraph->FollowWU(m_currentWU);
    } else {
        // Whoever opens a log wants to see a chart: its first unit in the tree is shown.
        SelectFirstUnit(TPage::Log);
        PagesChange(false);
    }
    WatchLog();

    if (stats.UnconvertedLines > 0 && !following)
        Notify("msgLineSkipped", "msgLinesSkipped", stats.UnconvertedLines,
               ToUtf8(LogSources(path, earlier, true)));
    if (m_settings.AutoAddToHisto)
        AddWUsToHisto(true, !following);
}

void TfrmMain::LoadHisto()
{
    const TBusyCursor busy;
    const history::THistoLoadResult result =
        m_history.Load([this] { LetGo(TPage::Histo, Everything); });
    switch (result.Outcome) {
    case history::THistoLoad::Missing:
        return;
    case history::THistoLoad::Damaged:
    case history::THistoLoad::TooLarge:
        // What is in memory stays; the file stays too, until the user says otherwise.
        m_messages.ShowError(result.Message);
        return;
    case history::THistoLoad::Loaded:
        break;
    }
    FillTree(TPage::Histo);
    SetActivePage(TPage::Histo);
    PagesChange(false);
    // A text cut at a zero byte loads, but the file holds more than we could read.
    if (!result.Message.empty())
        m_messages.ShowError(result.Message);
}

void TfrmMain::SaveHisto(TSave when)
{
    if (m_history.Guarded()) {
        if (when == TSave::AtShutdown)
            return;
        const std::string file = ToUtf8(FromPath(m_history.Store().HistoPath()));
        if (!m_messages.Ask(FileMessage("msgHistoOverwrite", {file}, file)))
            return;
    }
    m_history.Store().SetAutoBackup(m_settings.AutoBackupHisto);
    m_history.Save();
    m_autoSaveTimer.Stop();
}

void TfrmMain::HistoChanged()
{
    HistoUnsaved();
    FillTree(TPage::Histo);
    PagesChange(false);
}

bool TfrmMain::TellAdding(const history::THistory::TAdding& adding)
{
    if (!adding.NoRoom) {
        if (adding.Added > 0)
            HistoChanged();
        return true;
    }
    // Said now: at shutdown the save would fail, and everything added since the last save
    // would be at stake.
    const std::string file = ToUtf8(FromPath(m_history.Store().HistoPath()));
    m_messages.ShowError(FileMessage("msgHistoFull",
                                     {static_cast<long long>(adding.Candidates),
                                      static_cast<long long>(adding.Total),
                                      static_cast<long long>(m_history.MaxBytes()), file},
                                     file));
    return false;
}

int TfrmMain::AddWUsToHisto(bool onlyComplete, bool tell)
{
    const auto adding = m_history.Add(*m_wusLog, onlyComplete ? IsComplete : Everything);
    if (!TellAdding(adding))
        return 0;
    if (tell)
        Notify("msgWUAdded", "msgWUsAdded", adding.Added);
    return adding.Added;
}

int TfrmMain::DelWUsFromHisto(bool onlyIncomplete)
{
    std::ptrdiff_t removed = 0;
    if (!onlyIncomplete) {
        removed = m_history.WUs().Count();
        LetGo(TPage::Histo, Everything);
        m_history.Clear();
    } else if (HoldsAny(m_history.WUs(), Incomplete)) {
        // Otherwise the tree stays as it is, and so does its selection.
        LetGo(TPage::Histo, Incomplete);
        removed = m_history.DeleteWhere(Incomplete);
    }
    if (removed > 0 || !onlyIncomplete)
        HistoChanged();
    Notify("msgWUDeleted", "msgWUsDeleted", static_cast<int>(removed));
    return static_cast<int>(removed);
}

void TfrmMain::AddCurrentWUToHisto()
{
    if (m_currentWU == nullptr)
        return;
    if (m_history.WUs().Contains(*m_currentWU)) {
        m_messages.Inform(Message("msgWUInHistory"));
        return;
    }
    if (!IsComplete(*m_currentWU) && !m_messages.Ask(Message("msgWUIncomplete")))
        return;
    TellAdding(m_history.Add(*m_currentWU));
}

void TfrmMain::DelCurrentWUFromHisto()
{
    // The menu opens on the history page only, so the unit on display is the history's.
    const std::ptrdiff_t index = m_currentWU == nullptr ? -1 : m_history.WUs().IndexOf(m_currentWU);
    if (index < 0)
        return;
    const TWU* gone = m_history.WUs().Items(index);
    LetGo(TPage::Histo, [gone](const TWU& wu) { return &wu == gone; });
    m_currentWU = nullptr;
    m_history.Delete(index);
    HistoChanged();
}

} // namespace korvid::window
