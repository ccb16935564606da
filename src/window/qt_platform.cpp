#include "window/qt_platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

#include "translation/text_encoding.h"
#include "util/date_time.h"

namespace korvid::window {
namespace {

// "[Ff][Aa][Hh]..." for "Fah...": Qt's wildcards follow the file system's case rules.
QString CaseInsensitiveGlob(const QString& pattern)
{
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString glob;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower != upper && c.unicode() < 0x80)
            glob += QLatin1Char('[') + upper + lower + QLatin1Char(']');
        else
            glob += c;
    }
    return glob;
}

} // namespace

QString ToQString(std::string_view bytes)
{
    if (translation::IsValidUtf8(bytes))
        return FromUtf8(bytes);
    return FromUtf8(translation::Windows1252ToUtf8(bytes));
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString FromPath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QDateTime ToQDateTime(double dateTime)
{
    const util::TDate date = util::DecodeDate(dateTime);
    const util::TTimeOfDay time = util::DecodeTime(dateTime);
    return QDateTime(QDate(date.Year, date.Month, date.Day),
                     QTime(time.Hour, time.Minute, time.Second, time.Millisecond));
}

double ToDays(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return util::EncodeDate(date.year(), date.month(), date.day()).value_or(0) +
           static_cast<double>(time.msecsSinceStartOfDay()) / 86'400'000.0;
}

double TQtClock::Now() const
{
    return ToDays(QDateTime::currentDateTime());
}

TQtRegionalSettings::TQtRegionalSettings(QLocale locale)
    : m_locale(std::move(locale)), m_timeFormat(m_locale.timeFormat(QLocale::ShortFormat))
{
    // Some locales (C among them) write seconds even in their short form.
    static const QRegularExpression seconds(QStringLiteral("[:.]ss?(?:[.,]z+)?"));
    m_timeFormat.remove(seconds);
}

// A date and a time alone: a QDateTime would consult the time zone for every unit of a tree.
std::string TQtRegionalSettings::FormatShortDate(double dateTime) const
{
    const util::TDate date = util::DecodeDate(dateTime);
    return ToUtf8(m_locale.toString(QDate(date.Year, date.Month, date.Day), QLocale::ShortFormat));
}

std::string TQtRegionalSettings::FormatShortTime(double dateTime) const
{
    const util::TTimeOfDay time = util::DecodeTime(dateTime);
    return ToUtf8(m_locale.toString(QTime(time.Hour, time.Minute, time.Second), m_timeFormat));
}

char TQtRegionalSettings::DecimalSeparator() const
{
    // Qt 6 gives a string; separators outside ASCII (the Arabic one) cannot travel as a char.
    const QString point = m_locale.decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 0x80 ? point.at(0).toLatin1() : '.';
}

char TQtRegionalSettings::ListSeparator() const
{
    return DecimalSeparator() == ',' ? ';' : ',';
}

std::filesystem::path TExecutableFolder::Path() const
{
    return ToPath(QCoreApplication::applicationDirPath());
}

std::string ExecutableBaseName()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QFile::encodeName(name).toStdString();
}

void TQtMessageBox::Inform(const std::string& text)
{
    QMessageBox::information(m_parent, m_caption, FromUtf8(text));
}

bool TQtMessageBox::Ask(const std::string& text)
{
    return QMessageBox::question(m_parent, m_caption, FromUtf8(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void TQtMessageBox::ShowError(const std::string& text)
{
    QMessageBox::critical(m_parent, m_caption, FromUtf8(text));
}

bool TQtMessageBox::InformWithFolder(const std::string& text, const std::string& openLabel)
{
    QMessageBox box(QMessageBox::Information, m_caption, FromUtf8(text), QMessageBox::Ok, m_parent);
    const QPushButton* open = box.addButton(FromUtf8(openLabel), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == open;
}

void TQtFolderOpener::OpenFolder(const std::filesystem::path& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(folder)));
}

QStringList ToQtNameFilters(std::string_view filter)
{
    const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns += CaseInsensitiveGlob(pattern.trimmed());
        // The name shows; the dialog hides the part in parentheses that it matches with.
        filters +=
            parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

std::optional<std::filesystem::path> TQtFileDialog::ChooseLog(const std::string& filter)
{
    QFileDialog dialog(m_parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(ToQtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToPath(dialog.selectedFiles().constFirst());
}

} // namespace korvid::window
