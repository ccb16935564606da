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
        if (ActivePage() == TPage::Log)
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
    history::THistoLoadResult result = m_store.LoadHisto();
    switch (result.Outcome) {
    case history::THistoLoad::Missing:
        return;
    case history::THistoLoad::Damaged:
    case history::THistoLoad::TooLarge:
        // What is in memory stays; the file stays too, until the user says otherwise.
        m_histoFileGuarded = true;
        m_messages.ShowError(result.Message);
        return;
    case history::THistoLoad::Loaded:
        break;
    }
    auto fresh = std::make_unique<TWUs>();
    fresh->ReadLogFreeing(std::move(result.Text), {}, m_clock);
    LetGo(TPage::Histo, Everything);
    m_wusHisto = std::move(fresh);
    // A text cut at a zero byte loads, but the file holds more than we could read.
    m_histoFileGuarded = !result.Message.empty();
    FillTree(TPage::Histo);
    SetActivePage(TPage::Histo);
    PagesChange(false);
    if (!result.Message.empty())
        m_messages.ShowError(result.Message);
}

void TfrmMain::SaveHisto(TSave when)
{
    if (m_histoFileGuarded) {
        if (when == TSave::AtShutdown)
            return;
        const std::string file = ToUtf8(FromPath(m_store.HistoPath()));
        if (!m_messages.Ask(FileMessage("msgHistoOverwrite", {file}, file)))
            return;
    }
    m_store.SetAutoBackup(m_settings.AutoBackupHisto);
    m_store.SaveHisto(m_wusHisto->AllText());
    m_histoFileGuarded = false;
    m_autoSaveTimer.Stop();
}

void TfrmMain::HistoChanged()
{
    HistoUnsaved();
    FillTree(TPage::Histo);
    PagesChange(false);
}

bool TfrmMain::HistoHasRoomFor(std::size_t bytes, int units)
{
    std::size_t total = bytes;
    for (std::ptrdiff_t i = 0; i < m_wusHisto->Count(); ++i)
        total += m_wusHisto->Items(i)->Text.size();
    if (total <= m_maxHistoBytes)
        return true;
    // Said now: at shutdown the save would fail, and everything added since the last save
    // would be at stake.
    const std::string file = ToUtf8(FromPath(m_store.HistoPath()));
    m_messages.ShowError(FileMessage("msgHistoFull",
                                     {static_cast<long long>(units), static_cast<long long>(total),
                                      static_cast<long long>(m_maxHistoBytes), file},
                                     file));
    return false;
}

int TfrmMain::AddWUsToHisto(bool onlyComplete, bool tell)
{
    // The texts are read in one go, as the history file is: every log unit's text starts with
    // its header lines, so the reader cuts them apart again, and it adds no unit twice.
    std::string texts;
    int candidates = 0;
    for (std::ptrdiff_t i = 0; i < m_wusLog->Count(); ++i) {
        const TWU& wu = *m_wusLog->Items(i);
        if ((!onlyComplete || IsComplete(wu)) && !m_wusHisto->Contains(wu)) {
            texts += wu.Text;
            ++candidates;
        }
    }
    if (!HistoHasRoomFor(texts.size(), candidates))
        return 0;
    // Counted as the reader added them: a text that reads as no unit is no addition.
    const int added = texts.empty() ? 0 : m_wusHisto->ReadLog(texts, {}, m_clock).Added;
    if (added > 0)
        HistoChanged();
    if (tell)
        Notify("msgWUAdded", "msgWUsAdded", added);
    return added;
}

int TfrmMain::DelWUsFromHisto(bool onlyIncomplete)
{
    std::ptrdiff_t removed = 0;
    if (!onlyIncomplete) {
        removed = m_wusHisto->Count();
        LetGo(TPage::Histo, Everything);
        m_wusHisto->Clear();
    } else if (HoldsAny(*m_wusHisto, Incomplete)) {
        // Otherwise the tree stays as it is, and so does its selection.
        LetGo(TPage::Histo, Incomplete);
        removed = m_wusHisto->DeleteWhere(Incomplete);
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
    if (m_wusHisto->Contains(*m_currentWU)) {
        m_messages.Inform(Message("msgWUInHistory"));
        return;
    }
    if (!IsComplete(*m_currentWU) && !m_messages.Ask(Message("msgWUIncomplete")))
        return;
    if (!HistoHasRoomFor(m_currentWU->Text.size(), 1))
        return;
    m_wusHisto->ReadLog(m_currentWU->Text, {}, m_clock);
    HistoChanged();
}

void TfrmMain::DelCurrentWUFromHisto()
{
    // The menu opens on the history page only, so the unit on display is the history's.
    const std::ptrdiff_t index = m_currentWU == nullptr ? -1 : m_wusHisto->IndexOf(m_currentWU);
    if (index < 0)
        return;
    const TWU* gone = m_wusHisto->Items(index);
    LetGo(TPage::Histo, [gone](const TWU& wu) { return &wu == gone; });
    m_currentWU = nullptr;
    m_wusHisto->Delete(index);
    HistoChanged();
}

} // namespace korvid::window
