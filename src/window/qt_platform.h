#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <QDateTime>
#include <QLocale>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "util/platform.h"
#include "window/window_seams.h"

namespace korvid::window {

// Bytes from a log or a history: UTF-8 when they are valid UTF-8, Windows-1252 otherwise, the
// code page the client's logs were written in.
[[nodiscard]] QString ToQString(std::string_view bytes);
[[nodiscard]] QString FromUtf8(std::string_view text);
[[nodiscard]] std::string ToUtf8(const QString& text);
// File names travel as the file system's own bytes, not as UTF-8 guesses.
[[nodiscard]] std::filesystem::path ToPath(const QString& path);
[[nodiscard]] QString FromPath(const std::filesystem::path& path);
// Days since 1899-12-30 and back; to the millisecond.
[[nodiscard]] QDateTime ToQDateTime(double dateTime);
[[nodiscard]] double ToDays(const QDateTime& dateTime);

struct TQtClock final : util::IClock {
    [[nodiscard]] double Now() const override;
};

// The user's regional settings as the locale gives them; the short time without seconds.
class TQtRegionalSettings final : public util::IRegionalSettings {
public:
    explicit TQtRegionalSettings(QLocale locale = QLocale::system());
    [[nodiscard]] std::string FormatShortDate(double dateTime) const override;
    [[nodiscard]] std::string FormatShortTime(double dateTime) const override;
    [[nodiscard]] char DecimalSeparator() const override;
    // ";" where the decimal separator is a comma, so numbers and fields never share it.
    [[nodiscard]] char ListSeparator() const override;

private:
    QLocale m_locale;
    QString m_timeFormat;
};

// The folder of the running executable.
struct TExecutableFolder final : util::IProgramFolder {
    [[nodiscard]] std::filesystem::path Path() const override;
};

// The executable's file name without its extension: settings and language files take it.
[[nodiscard]] std::string ExecutableBaseName();

class TQtMessageBox final : public IMessageBox {
public:
    explicit TQtMessageBox(QString caption) : m_caption(std::move(caption)) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    void Inform(const std::string& text) override;
    [[nodiscard]] bool Ask(const std::string& text) override;
    void ShowError(const std::string& text) override;
    [[nodiscard]] bool InformWithFolder(const std::string& text,
                                        const std::string& openLabel) override;

private:
    QString m_caption;
    QPointer<QWidget> m_parent;
};

// The desktop's own file manager, through its URL handler.
struct TQtFolderOpener final : IFolderOpener {
    void OpenFolder(const std::filesystem::path& folder) override;
};

// "Name|pattern|Name|pattern" as Qt's name filters. Patterns match without regard to case, as
// the client's log names vary in case, and "*.*" means every file, dot or none.
[[nodiscard]] QStringList ToQtNameFilters(std::string_view filter);

class TQtFileDialog final : public IFileDialog {
public:
    void SetParent(QWidget* parent) { m_parent = parent; }
    [[nodiscard]] std::optional<std::filesystem::path>
    ChooseLog(const std::string& filter) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace korvid::window
