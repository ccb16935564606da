#include "window/translate_form.h"

#include <string>
#include <vector>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include "window/qt_platform.h"

namespace korvid::window {
namespace {

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // An empty line would begin every name: it can only be a stray line break.
        if (!line.empty())
            lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

bool Excluded(const std::vector<std::string_view>& lines, std::string_view key)
{
    for (std::string_view line : lines)
        if (key.substr(0, line.size()) == line)
            return true;
    return false;
}

// A page of a tab widget: its tab shows the caption.
QTabWidget* TabOf(const QWidget& widget)
{
    const auto* stack = qobject_cast<const QStackedWidget*>(widget.parentWidget());
    auto* tabs = stack == nullptr ? nullptr : qobject_cast<QTabWidget*>(stack->parentWidget());
    return tabs != nullptr && tabs->indexOf(&widget) >= 0 ? tabs : nullptr;
}

} // namespace

TLanguageFont LanguageFont(const translation::TTranslation& translation)
{
    TLanguageFont font;
    const QString face = FromUtf8(translation.GetFontFace());
    if (!face.isEmpty() && QFontDatabase::hasFamily(face))
        font.Face = face;
    font.PointSize = translation.GetFontSize();
    font.CharSet = translation.GetCharSet();
    return font;
}

QFont WithLanguageFont(QFont font, const TLanguageFont& language)
{
    font.setFamily(language.Face.isEmpty()
                       ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()
                       : language.Face);
    // Only the low byte of the file's number is kept: 0 would be no size at all.
    if (language.PointSize > 0)
        font.setPointSize(language.PointSize);
    return font;
}

bool IsComponentName(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (const char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

void TranslateForm(QWidget& form, const translation::TTranslation& translation,
                   std::string_view exclusions)
{
    const std::vector<std::string_view> lines = Lines(exclusions);
    const std::string formName = ToUtf8(form.objectName());
    const TLanguageFont font = LanguageFont(translation);
    auto setFont = [&font](QWidget& widget) {
        widget.setFont(WithLanguageFont(widget.font(), font));
    };
    auto text = [&](const std::string& name) {
        return FromUtf8(translation.GetText(formName, name));
    };

    if (!Excluded(lines, formName)) {
        setFont(form);
        form.setWindowTitle(text(""));
    }
    for (QObject* component : form.findChildren<QObject*>()) {
        const std::string name = ToUtf8(component->objectName());
        // Qt names the parts it makes itself "qt_..."; they are not the window's components.
        if (!IsComponentName(name) || name.rfind("qt_", 0) == 0)
            continue;
        if (Excluded(lines, formName + "=" + name))
            continue;
        if (auto* action = qobject_cast<QAction*>(component)) {
            action->setText(text(name));
            continue;
        }
        auto* widget = qobject_cast<QWidget*>(component);
        if (widget == nullptr)
            continue;
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            setFont(*box);
            box->setTitle(text(name));
        } else if (QTabWidget* tabs = TabOf(*widget)) {
            setFont(*widget);
            tabs->setTabText(tabs->indexOf(widget), text(name));
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            setFont(*label);
            label->setText(text(name));
        } else if (widget->metaObject() == &QWidget::staticMetaObject) {
            // A panel: Qt's plain widget has no caption to show.
            setFont(*widget);
        } else if (auto* speed = qobject_cast<QToolButton*>(widget); speed && speed->autoRaise()) {
            setFont(*speed);
            speed->setText(text(name));
            speed->setToolTip(text(name + ".Hint"));
        } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
            setFont(*push);
            push->setText(text(name));
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            setFont(*check);
            check->setText(text(name));
        }
    }
    form.repaint();
}

bool AddLanguageMenuItem(QMenu& menu, const QString& name, const QString& caption,
                         const std::function<void(QAction*)>& onClick, bool checked)
{
    QObject* owner = menu.parent() != nullptr ? menu.parent() : &menu;
    if (!IsComponentName(ToUtf8(name)) || owner->objectName() == name ||
        owner->findChild<QObject*>(name) != nullptr)
        return false;
    auto* group = menu.findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (group == nullptr) {
        group = new QActionGroup(&menu);
        group->setExclusive(true);
    }
    QAction* item = menu.addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    item->setChecked(checked);
    group->addAction(item);
    if (onClick)
        QObject::connect(item, &QAction::triggered, item, [item, onClick] { onClick(item); });
    return true;
}

} // namespace korvid::window
