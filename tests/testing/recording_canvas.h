#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart/canvas.h"

namespace korvid::test {

// The calls that change pixels; the others only set what these draw with.
enum class TCallKind { LineTo, SetPixel, Ellipse, Polygon, FillRect, TextOut };

// One canvas call with the pen, brush and font in force when it came.
struct TCall {
    TCallKind Kind = TCallKind::LineTo;
    chart::TPoint At;        // SetPixel, TextOut: the point; Polygon: its first; LineTo: its start;
                             // Ellipse, FillRect: left and top
    chart::TPoint To;        // LineTo: its end; Ellipse, FillRect: right and bottom
    std::string Text;        // TextOut
    chart::TColor Color = 0; // SetPixel
    chart::TPen Pen;
    chart::TBrush Brush;
    chart::TFont Font;
};

// A canvas that only logs: every drawing call goes to Calls. Text is CharWidth pixels per UTF-8
// character and CharHeight pixels high, whatever the font.
struct TRecordingCanvas final : chart::ICanvas {
    int SurfaceWidth = 560;
    int SurfaceHeight = 400;
    int CharWidth = 6;
    int CharHeight = 13;
    std::vector<TCall> Calls;

    chart::TPen Pen;
    chart::TBrush Brush;
    chart::TFont Font;
    chart::TPoint Position;

    [[nodiscard]] int Width() const override { return SurfaceWidth; }
    [[nodiscard]] int Height() const override { return SurfaceHeight; }

    void SetPen(const chart::TPen& pen) override { Pen = pen; }
    void SetBrush(const chart::TBrush& brush) override { Brush = brush; }
    void SetFont(const chart::TFont& font) override { Font = font; }
    void MoveTo(int x, int y) override { Position = {x, y}; }
    void LineTo(int x, int y) override
    {
        Log(TCallKind::LineTo, Position, {x, y});
        Position = {x, y};
    }
    void SetPixel(int x, int y, chart::TColor color) override
    {
        Log(TCallKind::SetPixel, {x, y}).Color = color;
    }
    void Ellipse(int left, int top, int right, int bottom) override
    {
        Log(TCallKind::Ellipse, {left, top}, {right, bottom});
    }
    void Polygon(std::span<const chart::TPoint> points) override
    {
        Log(TCallKind::Polygon, points.empty() ? chart::TPoint{} : points[0]);
    }
    void FillRect(int left, int top, int right, int bottom) override
    {
        Log(TCallKind::FillRect, {left, top}, {right, bottom});
    }
    void TextOut(int x, int y, std::string_view text) override
    {
        Log(TCallKind::TextOut, {x, y}).Text = text;
    }
    [[nodiscard]] int TextWidth(std::string_view text) override
    {
        int characters = 0;
        for (const char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        return characters * CharWidth;
    }
    [[nodiscard]] int TextHeight(std::string_view) override { return CharHeight; }

    [[nodiscard]] std::vector<TCall> Of(TCallKind kind) const
    {
        std::vector<TCall> found;
        for (const TCall& call : Calls)
            if (call.Kind == kind)
                found.push_back(call);
        return found;
    }
    [[nodiscard]] const TCall* FindText(std::string_view text) const
    {
        for (const TCall& call : Calls)
            if (call.Kind == TCallKind::TextOut && call.Text == text)
                return &call;
        return nullptr;
    }

private:
    TCall& Log(TCallKind kind, chart::TPoint at = {}, chart::TPoint to = {})
    {
        return Calls.emplace_back(TCall{kind, at, to, {}, 0, Pen, Brush, Font});
    }
};

} // namespace korvid::test
