#include "window/wu_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "window/wu_tree.h"

namespace korvid::window {
namespace {

constexpr int ImageSize = 18;
constexpr int GlyphSize = 16;

QPixmap Blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A folded protein chain: a lumpy globule with the backbone winding across it.
void DrawBlob(QPainter& p, const QColor& colour)
{
    QPainterPath globule;
    globule.moveTo(9, 1.5);
    globule.cubicTo(14, 0.5, 17.5, 5, 16, 9);
    globule.cubicTo(17.5, 13.5, 13, 17.5, 8.5, 16);
    globule.cubicTo(4, 17.5, 0.5, 13, 2, 9);
    globule.cubicTo(0.5, 4.5, 4.5, 2.5, 9, 1.5);
    p.setPen(QPen(colour.darker(170), 1));
    p.setBrush(colour);
    p.drawPath(globule);

    QPainterPath chain;
    chain.moveTo(4, 6);
    chain.cubicTo(8, 2, 11, 9, 7, 10);
    chain.cubicTo(3, 11, 6, 15, 10, 13);
    chain.cubicTo(14, 11, 11, 6, 14, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour.lightness() > 200 ? QColor(90, 90, 90) : colour.lighter(180), 1.4));
    p.drawPath(chain);
}

void DrawQuestionMark(QPainter& p)
{
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, ImageSize, ImageSize), Qt::AlignCenter, QStringLiteral("?"));
}

// In the upper left corner, clear of the red incomplete mark: a card with its fan.
void DrawGraphicsCard(QPainter& p)
{
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(0.5, 0.5, 9, 6));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QPointF(4, 3.5), 2, 2);
    p.setPen(QPen(QColor(230, 190, 40), 1));
    p.drawLine(QPointF(2, 7.5), QPointF(7, 7.5)); // the contacts
}

// A chip with pins on every side, in the upper left corner.
void DrawProcessor(QPainter& p)
{
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (double at = 2.5; at < 8; at += 2) {
        p.drawLine(QPointF(at, 0), QPointF(at, 9));
        p.drawLine(QPointF(0, at), QPointF(9, at));
    }
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(QRectF(1.5, 1.5, 6, 6));
}

void DrawMolecule(QPainter& p)
{
    const QPointF atoms[] = {{5, 5}, {12, 4}, {9, 10}, {4, 14}, {14, 14}};
    p.setPen(QPen(QColor(80, 80, 80), 1.6));
    p.drawLine(atoms[0], atoms[2]);
    p.drawLine(atoms[1], atoms[2]);
    p.drawLine(atoms[2], atoms[3]);
    p.drawLine(atoms[2], atoms[4]);
    const QColor colours[] = {Qt::red, Qt::white, QColor(40, 40, 40), QColor(30, 90, 220),
                              Qt::white};
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    for (int i = 0; i < 5; ++i) {
        p.setBrush(colours[i]);
        const double r = i == 2 ? 3.2 : 2.5;
        p.drawEllipse(atoms[i], r, r);
    }
}

void DrawCalendar(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 13, 12));
    p.fillRect(QRectF(3, 4, 12, 3.5), QColor(200, 30, 30));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y = 10.5; y < 15; y += 2.5)
        p.drawLine(QPointF(4, y), QPointF(14, y));
    for (double x = 6.5; x < 14; x += 3)
        p.drawLine(QPointF(x, 8.5), QPointF(x, 14.5));
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.drawLine(QPointF(5.5, 2), QPointF(5.5, 5));
    p.drawLine(QPointF(12.5, 2), QPointF(12.5, 5));
}

void DrawArrow(QPainter& p)
{
    p.setPen(QPen(QColor(100, 100, 100), 1));
    p.setBrush(QColor(150, 150, 150));
    const QPointF triangle[] = {{6, 4}, {13, 9}, {6, 14}};
    p.drawPolygon(triangle, 3);
}

QIcon Picture(int size, const auto& draw)
{
    QPixmap pixmap = Blank(size);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return QIcon(pixmap);
}

void DrawFolder(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 6, 3));
    p.setBrush(colour);
    p.drawRect(QRectF(1.5, 5.5, 13, 9));
}

void DrawSheet(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
}

} // namespace

QColor WUImageColour(int index)
{
    switch ((index - wu_image::FirstWU) / 2) {
    case 0:
        return QColor(40, 170, 40); // Tinker
    case 1:
        return QColor(40, 80, 220); // Double Gromacs
    case 2:
        return QColor(200, 40, 200); // Amber
    case 3:
        return QColor(140, 140, 140); // QMD
    case 4:
        return QColor(230, 210, 30); // GB Gromacs
    case 5:
        return QColor(40, 200, 210); // Gromacs
    case 7:
        return QColor(245, 140, 20); // GPU cores
    case 8:
        return QColor(120, 70, 200); // SMP and later CPU cores
    default:
        return QColor(255, 255, 255); // unknown
    }
}

std::vector<QIcon> WUImages()
{
    std::vector<QIcon> images;
    images.reserve(wu_image::Count);
    images.push_back(Picture(ImageSize, [](QPainter& p) { DrawBlob(p, QColor(210, 30, 30)); }));
    images.push_back(Picture(ImageSize, DrawMolecule));
    images.push_back(Picture(ImageSize, DrawCalendar));
    images.push_back(Picture(ImageSize, DrawArrow));
    for (int index = wu_image::FirstWU; index < wu_image::Count; ++index) {
        const bool incomplete = (index - wu_image::FirstWU) % 2 == 1;
        const bool unknown = index == wu_image::Unknown || index == wu_image::Unknown + 1;
        const bool gpu = index == wu_image::Gpu || index == wu_image::Gpu + 1;
        const bool cpu = index == wu_image::Cpu || index == wu_image::Cpu + 1;
        images.push_back(Picture(ImageSize, [&](QPainter& p) {
            DrawBlob(p, WUImageColour(index));
            if (unknown)
                DrawQuestionMark(p);
            if (gpu)
                DrawGraphicsCard(p);
            if (cpu)
                DrawProcessor(p);
            if (incomplete) {
                p.setPen(QPen(QColor(120, 0, 0), 1));
                p.setBrush(QColor(230, 0, 0));
                p.drawRect(QRectF(11.5, 11.5, 6, 6));
            }
        }));
    }
    return images;
}

QIcon Glyph(TGlyph glyph)
{
    return Picture(GlyphSize, [glyph](QPainter& p) {
        switch (glyph) {
        case TGlyph::LoadLog:
            DrawFolder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(60, 60, 60), 1));
            for (double y = 8.5; y < 14; y += 2)
                p.drawLine(QPointF(4, y), QPointF(12, y));
            break;
        case TGlyph::Language:
            p.setPen(QPen(QColor(20, 70, 160), 1));
            p.setBrush(QColor(120, 180, 240));
            p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(8, 8), 3, 6.5);
            p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
            p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
            break;
        case TGlyph::Info: {
            p.setPen(QPen(QColor(20, 60, 150), 1));
            p.setBrush(QColor(40, 100, 210));
            p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
            p.drawRect(QRectF(7, 7, 2, 5.5));
            break;
        }
        case TGlyph::Sort: {
            p.setPen(QPen(QColor(50, 50, 50), 1.5));
            for (int i = 0; i < 4; ++i)
                p.drawLine(QPointF(1.5, 3 + i * 3.3), QPointF(4 + i * 2.2, 3 + i * 3.3));
            p.setPen(QPen(QColor(30, 100, 30), 1.5));
            p.drawLine(QPointF(12.5, 2), QPointF(12.5, 13));
            const QPointF head[] = {{9.5, 10}, {12.5, 14.5}, {15.5, 10}};
            p.setBrush(QColor(30, 100, 30));
            p.drawPolygon(head, 3);
            break;
        }
        case TGlyph::AddToHisto:
            p.fillRect(QRectF(6.5, 2, 3, 12), QColor(30, 150, 30));
            p.fillRect(QRectF(2, 6.5, 12, 3), QColor(30, 150, 30));
            break;
        case TGlyph::DelFromHisto:
            p.setPen(QPen(QColor(200, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            break;
        case TGlyph::LoadHisto:
            DrawFolder(p, QColor(240, 200, 80));
            p.setPen(QPen(QColor(30, 60, 160), 1));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(9.5, 10), 3.5, 3.5);
            p.drawLine(QPointF(9.5, 10), QPointF(9.5, 7.8));
            p.drawLine(QPointF(9.5, 10), QPointF(11.3, 10));
            break;
        case TGlyph::SaveHisto:
            p.setPen(QPen(QColor(20, 20, 80), 1));
            p.setBrush(QColor(50, 70, 170));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.fillRect(QRectF(4, 2, 8, 5), Qt::white);
            p.fillRect(QRectF(4, 10, 8, 4.5), QColor(200, 200, 200));
            p.fillRect(QRectF(9, 3, 2, 3), QColor(50, 70, 170));
            break;
        case TGlyph::Csv:
            DrawSheet(p);
            p.setPen(QPen(QColor(30, 130, 60), 1));
            for (double y = 5.5; y < 14; y += 3)
                p.drawLine(QPointF(3, y), QPointF(13, y));
            p.drawLine(QPointF(6.5, 2), QPointF(6.5, 14));
            p.drawLine(QPointF(10, 2), QPointF(10, 14));
            break;
        case TGlyph::Png: {
            p.setPen(QPen(QColor(90, 90, 90), 1));
            p.setBrush(QColor(170, 220, 250));
            p.drawRect(QRectF(1.5, 2.5, 13, 11));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(250, 200, 30));
            p.drawEllipse(QPointF(11, 6), 1.8, 1.8);
            p.setBrush(QColor(40, 140, 40));
            const QPointF hills[] = {{2, 13}, {6, 7}, {9, 11}, {11, 9}, {14, 13}};
            p.drawPolygon(hills, 5);
            break;
        }
        case TGlyph::Projects: // bars side by side, as projects compare
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(50, 90, 190));
            p.drawRect(QRectF(2, 8, 3, 6));
            p.drawRect(QRectF(6.5, 3, 3, 11));
            p.drawRect(QRectF(11, 6, 3, 8));
            break;
        }
    });
}

} // namespace korvid::window
