#pragma once

#include <vector>

#include <QColor>
#include <QIcon>

namespace korvid::window {

// The tree images, 18 x 18, in the order of wu_image (wu_tree.h).
[[nodiscard]] std::vector<QIcon> WUImages();

// The colour of the work-unit picture at an image index (4 to 17).
[[nodiscard]] QColor WUImageColour(int index);

enum class TGlyph {
    LoadLog,
    Language,
    Info,
    Sort,
    AddToHisto,
    DelFromHisto,
    LoadHisto,
    SaveHisto,
    Csv,
    Png,
    Projects,
};

// The small pictures of the speed buttons, 16 x 16.
[[nodiscard]] QIcon Glyph(TGlyph glyph);

} // namespace korvid::window
