#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvid::chart {

// 0x00BBGGRR: red in the low byte.
using TColor = std::uint32_t;
constexpr TColor ColorMask = 0x00FFFFFF;

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

// Right and bottom are outside the rectangle.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
};

enum class TPenStyle { Solid, Clear };
// Xor: each painted pixel becomes pixel ^ pen colour, so drawing a figure twice removes it.
enum class TPenMode { Copy, Xor };
enum class TBrushStyle { Solid, Clear };

struct TPen {
    TColor Color = 0;
    TPenStyle Style = TPenStyle::Solid;
    int Width = 1;
    TPenMode Mode = TPenMode::Copy;
    bool operator==(const TPen&) const = default;
};

struct TBrush {
    TColor Color = 0xFFFFFF;
    TBrushStyle Style = TBrushStyle::Solid;
    bool operator==(const TBrush&) const = default;
};

struct TFont {
    std::string Name = "Arial";
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    TColor Color = 0;
    int Angle = 0; // degrees anticlockwise: 90 reads upwards, -90 downwards
    bool operator==(const TFont&) const = default;
};

// The paint surface the chart draws on. Coordinates are pixels, y grows downwards.
struct ICanvas {
    virtual ~ICanvas() = default;
    [[nodiscard]] virtual int Width() const = 0;
    [[nodiscard]] virtual int Height() const = 0;

    virtual void SetPen(const TPen& pen) = 0;
    virtual void SetBrush(const TBrush& brush) = 0;
    virtual void SetFont(const TFont& font) = 0;

    virtual void MoveTo(int x, int y) = 0;
    // Paints from the current position towards (x, y), leaving (x, y) itself unpainted; the
    // current position becomes (x, y). A run of LineTo thus paints every shared pixel once.
    virtual void LineTo(int x, int y) = 0;
    // Always in copy mode, whatever the pen's mode.
    virtual void SetPixel(int x, int y, TColor color) = 0;
    // Outline with the pen, inside with the brush; the box excludes right and bottom.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    virtual void Polygon(std::span<const TPoint> points) = 0;
    // With the brush, in copy mode; excludes right and bottom.
    virtual void FillRect(int left, int top, int right, int bottom) = 0;
    // Top-left corner at (x, y), in the font's colour, on a transparent background; a font
    // angle turns the text about that corner.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    [[nodiscard]] virtual int TextWidth(std::string_view text) = 0;
    [[nodiscard]] virtual int TextHeight(std::string_view text) = 0;
};

} // namespace korvid::chart
