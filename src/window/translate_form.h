#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include <QFont>
#include <QString>

#include "translation/translation.h"

class QAction;
class QMenu;
class QWidget;

namespace korvid::window {

// The font a language asks for, as this platform can give it.
struct TLanguageFont {
    // Empty when the face is not installed: the system's interface font stands in.
    QString Face;
    int PointSize = 8;
    // The Windows GDI character set of the file: kept, but Qt picks scripts by itself.
    std::uint8_t CharSet = 1;
};

[[nodiscard]] TLanguageFont LanguageFont(const translation::TTranslation& translation);
// The font with the face and size changed, style kept (a bold title stays bold).
[[nodiscard]] QFont WithLanguageFont(QFont font, const TLanguageFont& language);

// A name a component may carry: letters, digits and "_", not starting with a digit.
[[nodiscard]] bool IsComponentName(std::string_view name);

// Sets the texts and fonts of a window and of the components it holds (those with a component
// name as their objectName) from the catalogue. Exclusions are lines "<form>" or
// "<form>=<component name start>"; whatever a line begins leaves alone.
void TranslateForm(QWidget& form, const translation::TTranslation& translation,
                   std::string_view exclusions);

// Appends a checkable item to the menu's radio group, named and owned by the menu's parent
// window. False, and nothing added, when the name is no component name or already taken there.
bool AddLanguageMenuItem(QMenu& menu, const QString& name, const QString& caption,
                         const std::function<void(QAction*)>& onClick, bool checked);

} // namespace korvid::window
