#include "window/frm_main.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "util/ini_file.h"
#include "window/frm_main_parts.h"
#include "window/languages.h"
#include "window/qt_platform.h"
#include "window/text_format.h"
#include "window/translate_form.h"
#include "window/live_page.h"

namespace korvid::window {
namespace {

// The language items keep their own names in every language.
constexpr std::string_view TranslateExclusions = "frmMain=mnuLang_";
constexpr const char* LanguageItemPrefix = "mnuLang_";

} // namespace

void TfrmMain::BuildLanguageMenu()
{
    for (const TLanguageChoice& choice : FindLanguages(m_languageFolders, m_baseName)) {
        const QString name = QString::fromLatin1(LanguageItemPrefix) + FromUtf8(choice.Code);
        auto click = [this](QAction* item) {
            Run(item->text(), [this, item] { LanguageItemClick(item); });
        };
        if (AddLanguageMenuItem(*m_popLang, name, FromUtf8(choice.Name), click,
                                choice.Code == m_settings.Lang))
            m_languages.Add(choice.Code);
    }
}

void TfrmMain::ApplyStartLanguage()
{
    const QList<QAction*> items = m_popLang->actions();
    if (items.size() >= 2) {
        m_translation.LoadLanguage(m_settings.Lang);
        TranslateForm(*this, m_translation, TranslateExclusions);
        // The live page's headers were taken from the built-in texts.
        m_live->Retranslate();
        return;
    }
    // One language or none: nothing to choose from.
    if (items.size() == 1)
        LanguageItemClick(items.front());
    for (TPageView& view : m_pages)
        view.LanguageButton->hide();
}

void TfrmMain::LanguageItemClick(QAction* item)
{
    if (item == nullptr)
        return;
    item->setChecked(true);
    const std::string* code = m_languages.Items(m_popLang->actions().indexOf(item));
    if (code == nullptr)
        return;
    m_settings.Lang = *code;
    // Saved at the moment of the choice.
    UpdateSettingsFile(SettingsPath(), [this](util::TIniFile& ini) {
        ini.WriteString(settings_key::Section, settings_key::Lang, m_settings.Lang);
    });

    m_translation.LoadLanguage(m_settings.Lang);
    // The log page's caption names the loaded log, not a text of the language.
    const QString logCaption = m_pcPages->tabText(0);
    TranslateForm(*this, m_translation, TranslateExclusions);
    m_pcPages->setTabText(0, logCaption);
    m_live->Retranslate();
    UpdateWUInfo();
    BuildPoints();
}

} // namespace korvid::window
