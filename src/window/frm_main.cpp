#include "window/frm_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "livenet/client_probe.h"
#include "livenet/qt_platform.h"
#include "window/failure_text.h"
#include "window/live_page.h"
#include "window/frm_main_parts.h"
#include "window/qt_event_sources.h"
#include "window/qt_platform.h"
#include "window/qt_tray.h"
#include "window/text_format.h"
#include "window/wu_images.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

// The client writes a line at a time: one read once the writes pause.
constexpr int FollowDelayMs = 1000;
constexpr int MsPerMinute = 60'000;

template <class TQt, class T> T& GivenOrOwn(T* given, std::unique_ptr<T>& own)
{
    if (given != nullptr)
        return *given;
    own = std::make_unique<TQt>();
    return *own;
}

} // namespace

TfrmMain::TfrmMain(const TWindowSeams& seams)
    : m_clock(seams.Clock), m_regional(seams.Regional), m_programFolder(seams.ProgramFolder.Path()),
      m_settingsFolder(seams.ProgramFolder.SettingsFolder()),
      m_languageFolders(seams.ProgramFolder.LanguageFolders()), m_messages(seams.Messages),
      m_fileDialog(seams.FileDialog), m_folderOpener(seams.FolderOpener),
      m_baseName(seams.ExecutableBaseName), m_translation(seams.ExecutableBaseName),
      m_exports(seams.ProgramFolder, m_translation, m_regional), m_wusLog(std::make_unique<TWUs>()),
      m_logWatcher(GivenOrOwn<TQtFileWatcher>(seams.LogWatcher, m_ownLogWatcher)),
      m_followTimer(GivenOrOwn<TQtTimer>(seams.FollowTimer, m_ownFollowTimer)),
      m_autoSaveTimer(GivenOrOwn<TQtTimer>(seams.AutoSaveTimer, m_ownAutoSaveTimer)),
      m_closeRequests(seams.CloseRequests),
      m_liveTimers(GivenOrOwn<livenet::TQtTimerFactory>(seams.LiveTimers, m_ownLiveTimers)),
      m_utcClock(GivenOrOwn<livenet::TQtUtcClock>(seams.UtcClock, m_ownUtcClock)),
      m_localClient(seams.LocalClient), m_history(m_programFolder, m_clock, seams.MaxHistoBytes),
      m_ilWUs(WUImages())
{
    setObjectName(FormName);
    if (seams.Tray == nullptr)
        m_ownTray = std::make_unique<TQtTray>(*this);
    m_tray = seams.Tray != nullptr ? seams.Tray : m_ownTray.get();
    BuildLayout();
    // The status line shows with its first notice: until then the layout is the usual one.
    statusBar()->setObjectName(QStringLiteral("stbAttention"));
    statusBar()->hide();
    BuildMenus();
    m_translation.SetFolders(m_languageFolders);
    m_translation.SetDefaults(ToUtf8(m_memLang->toPlainText()));
    ApplyDesignTexts();
    setAcceptDrops(true);
    m_logWatcher.OnChange([this] { m_followTimer.Start(FollowDelayMs); });
    m_followTimer.OnTimeout([this] { FollowLog(); });
    m_autoSaveTimer.OnTimeout([this] { AutoSaveHisto(); });
    // The window sees key presses before its controls do.
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The links use the timers and the clock the window owns, which go before the child widgets.
    m_live->Follow({});
}

void TfrmMain::Attention(const std::string& text)
{
    statusBar()->show();
    statusBar()->showMessage(FromUtf8(text));
    if (isMinimized() && m_tray->Available())
        m_tray->Notify(text);
}

std::filesystem::path TfrmMain::SettingsPath() const
{
    return m_settingsFolder / (m_baseName + ".ini");
}

void TfrmMain::FormCreate()
{
    // Once the history is read, a close cannot save an empty one over it. Qt answers a close
    // asked for during a close as done: the state says whether it was.
    auto listen = [this] {
        if (m_closeRequests != nullptr)
            m_closeRequests->Listen([this] {
                close();
                return m_closing == TClosing::Closed;
            });
    };
    try {
        LoadSettings();
        BuildLanguageMenu();
        ApplyStartLanguage();
        SetActivePage(TPage::Log);
        PagesChange(false);
        // A history of years takes seconds to read: the window is there first.
        ShowAndDraw();
        LoadHisto();
        listen();
        m_live->Follow(livenet::ParseClientList(m_settings.Clients));
        ProbeLocalClient();
        SetActivePage(TPage::Log);
        PagesChange(false);
    } catch (...) {
        listen();
        ShowAndDraw();
        ShowFailure(FromUtf8(Message("msgStartUp")));
        return;
    }
    Run(View(TPage::Log).LoadButton->toolTip(), [this] { LoadFahLog(m_lastFahLog); });
}

void TfrmMain::ShowAndDraw()
{
    show();
    ApplyPanelSizes();
    activateWindow();
    raise();
    // Drawn before the log is read, which may take a while.
    QCoreApplication::processEvents();
}

bool TfrmMain::FormDestroy()
{
    switch (m_closing) {
    case TClosing::Closed:
        return true;
    // Asked again while the failed save's question waits: the answer decides.
    case TClosing::Underway:
        return false;
    case TClosing::Open:
        break;
    }
    m_closing = TClosing::Underway;
    m_autoSaveTimer.Stop();
    SaveSettings();
    if (m_settings.AutoSaveHisto) {
        try {
            SaveHisto(TSave::AtShutdown);
        } catch (const std::exception& e) {
            // Closing now loses every unit added since the last save: the user may delete some,
            // or export them, first.
            const std::string file = ToUtf8(FromPath(m_history.Store().HistoPath()));
            if (m_messages.Ask(
                    FileMessage("msgHistoNotSaved", {file, std::string(e.what())}, file))) {
                m_closing = TClosing::Open;
                HistoUnsaved();
                return false;
            }
        }
    }
    m_closing = TClosing::Closed;
    return true;
}

void TfrmMain::HistoUnsaved()
{
    if (m_settings.AutoSaveHisto && m_settings.AutoSaveMinutes > 0 && m_closing == TClosing::Open &&
        !m_autoSaveTimer.IsActive())
        m_autoSaveTimer.Start(m_settings.AutoSaveMinutes * MsPerMinute);
}

void TfrmMain::AutoSaveHisto()
{
    // Saved as a close would save; a failure is told, and the close tries again.
    const auto* button = findChild<QToolButton*>(QStringLiteral("sbSaveHisto"));
    Run(button == nullptr ? QString() : button->toolTip(),
        [this] { SaveHisto(TSave::AtShutdown); });
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (FormDestroy())
        event->accept();
    else
        event->ignore();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(key->key(), key->modifiers()))
                return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        for (const TPage page : {TPage::Log, TPage::Histo})
            if (watched == Tree(page).viewport())
                TreeMouse(page, *static_cast<QMouseEvent*>(event));
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (key != Qt::Key_F5 || (modifiers & held) || QGuiApplication::mouseButtons() != Qt::NoButton)
        return false;
    // The live page has no file to read again: its links keep it current.
    if (m_pcPages->currentWidget() == m_live)
        return false;
    const TPage page = ActivePage();
    RunBusy(View(page).LoadButton->toolTip(), [this, page] {
        QTreeWidget& tree = Tree(page);
        const QTreeWidgetItem* selected = tree.selectedItems().value(0);
        const QString text = selected == nullptr ? QString() : selected->text(0);
        if (page == TPage::Log)
            LoadFahLog(m_lastFahLog);
        else
            LoadHisto();
        if (!text.isEmpty())
            SelectNodeByText(tree, text);
    });
    return true;
}

void TfrmMain::PopupAtButton(QMenu& menu, QToolButton& button)
{
    menu.popup(button.mapToGlobal(QPoint(0, button.height())));
}

TPage TfrmMain::ActivePage() const
{
    return m_pcPages->currentIndex() == 1 ? TPage::Histo : TPage::Log;
}

void TfrmMain::SetActivePage(TPage page)
{
    // Turned by the program, not the user: the page-change handling runs without a sender.
    const QSignalBlocker blocker(m_pcPages);
    m_pcPages->setCurrentIndex(page == TPage::Log ? 0 : 1);
}

const TWUs& TfrmMain::Collection(TPage page) const
{
    return page == TPage::Log ? *m_wusLog : m_history.WUs();
}

void TfrmMain::ShowFailure(const QString& command)
{
    m_messages.ShowError(FailureText(std::current_exception(), ToUtf8(command), m_translation));
}

std::string TfrmMain::Message(std::string_view key) const
{
    return m_translation.GetText("", key);
}

std::string TfrmMain::FileMessage(std::string_view key, std::initializer_list<TFormatArg> args,
                                  const std::string& file) const
{
    std::string text = FormatText(Message(key), args);
    if (!file.empty() && text.find(file) == std::string::npos)
        text += "\n" + file;
    return text;
}

void TfrmMain::Notify(std::string_view oneKey, std::string_view manyKey, int count,
                      const std::string& file)
{
    if (count < 1)
        return;
    m_messages.Inform(
        FileMessage(count == 1 ? oneKey : manyKey, {static_cast<long long>(count), file}, file));
}

void TfrmMain::TellWritten(int count, const std::filesystem::path& folder,
                           const std::filesystem::path& file)
{
    if (count < 1)
        return;
    const std::string where = ToUtf8(FromPath(count == 1 && !file.empty() ? file : folder));
    const std::string text = FileMessage(count == 1 ? "msgFileWritten" : "msgFilesWritten",
                                         {static_cast<long long>(count), where}, where);
    if (m_messages.InformWithFolder(text, Message("msgOpenFolder")))
        m_folderOpener.OpenFolder(folder);
}

} // namespace korvid::window
