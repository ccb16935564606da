#include "window/frm_main.h"

#include <QToolButton>

#include "livenet/client_probe.h"
#include "util/error.h"
#include "util/ini_file.h"
#include "window/clients_dialog.h"
#include "window/frm_main_parts.h"
#include "window/live_page.h"
#include "window/qt_platform.h"

namespace korvid::window {

void TfrmMain::ProbeLocalClient()
{
    // Only until the setting exists: a list the user emptied stays empty.
    const util::TIniFile ini(SettingsPath());
    if (!m_localClient || ini.LoadOutcome() == util::TIniLoad::Failed ||
        ini.Value(settings_key::Section, settings_key::Clients))
        return;
    m_localProbe = std::make_unique<livenet::TClientProbe>(
        *m_localClient, m_utcClock, m_liveTimers, [this](livenet::TProbeOutcome outcome) {
            // Not answering writes nothing: the next start looks again.
            if (outcome == livenet::TProbeOutcome::Answered)
                LocalClientAnswered();
        });
    m_localProbe->Start();
}

void TfrmMain::LocalClientAnswered()
{
    const std::string clients = m_localClient->Text();
    UpdateSettingsFile(SettingsPath(), [&clients](util::TIniFile& ini) {
        if (!ini.Value(settings_key::Section, settings_key::Clients))
            ini.WriteString(settings_key::Section, settings_key::Clients, clients);
    });
    m_settings.Clients = clients;
    m_live->Follow(livenet::ParseClientList(clients));
}

void TfrmMain::EditClients()
{
    auto* dialog = new TClientsDialog(
        livenet::ParseClientList(m_settings.Clients),
        [this](std::string_view key) { return Message(key); },
        [this](const std::string& clients) {
            Run(FromUtf8(Message("msgClientsTitle")), [&] { SaveClients(clients); });
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void TfrmMain::SaveClients(const std::string& clients)
{
    // The user's list from now on, whatever a first start's look-out finds.
    m_localProbe.reset();
    m_settings.Clients = clients;
    m_live->Follow(livenet::ParseClientList(clients));
    const std::filesystem::path path = SettingsPath();
    util::TIniFile ini(path);
    // Written over, a file we could not read would lose every other setting it holds.
    if (ini.LoadOutcome() == util::TIniLoad::Failed) {
        const std::string file = ToUtf8(FromPath(path));
        throw util::TError(FileMessage("msgClientsUnsaved", {file}, file));
    }
    ini.WriteString(settings_key::Section, settings_key::Clients, clients);
    ini.UpdateFile();
}

} // namespace korvid::window
