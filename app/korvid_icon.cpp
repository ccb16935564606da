// Draws Korvid's icon, a chart trace of frame times, as SVG and as PNG at each size asked for,
// from one description so the two never drift apart.
//   korvid-icon OUT_FOLDER SIZE...   writes OUT_FOLDER/korvid.svg and OUT_FOLDER/korvid-SIZE.png
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

namespace {

// Drawn on a 256 × 256 canvas.
constexpr double Canvas = 256;
constexpr double Corner = 44;
constexpr double Inset = 12;
const char* const Background = "#1d3557";
const char* const Grid = "#36577f";
const char* const Axis = "#a8dadc";
const char* const Trace = "#f4a261";
const char* const LastFrame = "#e9c46a";
constexpr double GridY[] = {100, 136, 172};
constexpr double AxisLeft = 56, AxisTop = 52, AxisBottom = 204, AxisRight = 212;
constexpr double AxisWidth = 10, GridWidth = 6, TraceWidth = 16, DotRadius = 15;
// Minutes per frame, rising after a restart and settling.
constexpr QPointF Points[] = {{60, 176},  {88, 150}, {112, 164}, {138, 110},
                              {162, 124}, {186, 86}, {204, 80}};

std::string SvgText()
{
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                      "viewBox=\"0 0 256 256\">\n";
    char line[256];
    std::snprintf(line, sizeof line,
                  "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\"/>\n",
                  Inset, Inset, Canvas - 2 * Inset, Canvas - 2 * Inset, Corner, Background);
    svg += line;
    for (const double y : GridY) {
        std::snprintf(line, sizeof line,
                      "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" "
                      "stroke-width=\"%g\"/>\n",
                      AxisLeft, y, AxisRight, y, Grid, GridWidth);
        svg += line;
    }
    std::snprintf(line, sizeof line,
                  "  <polyline points=\"%g,%g %g,%g %g,%g\" fill=\"none\" stroke=\"%s\" "
                  "stroke-width=\"%g\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n",
                  AxisLeft, AxisTop, AxisLeft, AxisBottom, AxisRight, AxisBottom, Axis, AxisWidth);
    svg += line;
    svg += "  <polyline points=\"";
    for (const QPointF& point : Points) {
        std::snprintf(line, sizeof line, "%s%g,%g", &point == Points ? "" : " ", point.x(),
                      point.y());
        svg += line;
    }
    std::snprintf(line, sizeof line,
                  "\" fill=\"none\" stroke=\"%s\" stroke-width=\"%g\" stroke-linecap=\"round\" "
                  "stroke-linejoin=\"round\"/>\n",
                  Trace, TraceWidth);
    svg += line;
    const QPointF& last = Points[std::size(Points) - 1];
    std::snprintf(line, sizeof line, "  <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"%s\"/>\n",
                  last.x(), last.y(), DotRadius, LastFrame);
    svg += line;
    svg += "</svg>\n";
    return svg;
}

QImage Png(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Canvas, size / Canvas);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Background));
    painter.drawRoundedRect(QRectF(Inset, Inset, Canvas - 2 * Inset, Canvas - 2 * Inset), Corner,
                            Corner);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(Grid), GridWidth, Qt::SolidLine, Qt::FlatCap));
    for (const double y : GridY)
        painter.drawLine(QPointF(AxisLeft, y), QPointF(AxisRight, y));
    const auto round = [](const char* colour, double width) {
        return QPen(QColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    };
    painter.setPen(round(Axis, AxisWidth));
    painter.drawPolyline(QPolygonF({QPointF(AxisLeft, AxisTop), QPointF(AxisLeft, AxisBottom),
                                    QPointF(AxisRight, AxisBottom)}));
    painter.setPen(round(Trace, TraceWidth));
    painter.drawPolyline(Points, static_cast<int>(std::size(Points)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(LastFrame));
    painter.drawEllipse(Points[std::size(Points) - 1], DotRadius, DotRadius);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: korvid-icon OUT_FOLDER SIZE...\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream svg(folder + "/korvid.svg", std::ios::binary);
    svg << SvgText();
    if (!svg.flush()) {
        std::fprintf(stderr, "korvid-icon: cannot write %s/korvid.svg\n", folder.c_str());
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const std::string file = folder + "/korvid-" + std::to_string(size) + ".png";
        if (size <= 0 || size > 1024 || !Png(size).save(QString::fromStdString(file), "PNG")) {
            std::fprintf(stderr, "korvid-icon: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
