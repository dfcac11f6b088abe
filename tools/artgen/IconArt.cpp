#include "IconArt.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace artgen {

namespace {

// The VGA colours by name.
const QColor kBlack(0, 0, 0), kDarkGreen(0, 128, 0), kDarkBlue(0, 0, 128), kDarkCyan(0, 128, 128),
    kLightGrey(192, 192, 192), kGrey(128, 128, 128), kRed(255, 0, 0), kGreen(0, 255, 0),
    kBlue(0, 0, 255), kCyan(0, 255, 255), kWhite(255, 255, 255);

// Half outline of the jet, nose up, x measured from the centre line.
const QPointF kJetHalf[] = {
    {0, 0.5},    {1.2, 3},  {2, 7},      {2.2, 10}, {3.4, 13}, {12.8, 20.5}, {12.8, 23},
    {4.4, 22.6}, {4.4, 24}, {8.6, 28.2}, {8.6, 30}, {3.6, 30}, {3.4, 31.2},  {0, 31.2},
};

// How the design's 32-unit grid maps onto the picture. The 32-pixel icon
// draws the units as pixels without smoothing; a smooth picture scales them,
// centres a one-pixel-wide outline on the pixel column the 32-pixel icon
// fills, and keeps outlines about one device pixel wide.
struct Grid {
    bool smooth = false;
    double scale = 1; // device pixels per unit

    // The width in units of an outline that is `units` wide at 32 pixels.
    double Line(double units) const {
        if (!smooth)
            return units;
        return Pixels(units) / scale;
    }
    double Pixels(double units) const { return std::max(1.0, std::round(units * scale * 0.6)); }
    // Runs `draw` with one-unit strokes placed where the 32-pixel icon puts
    // them (and whatever must sit against such a stroke).
    template <typename F> void Stroke(QPainter &p, F draw) const {
        if (!smooth) {
            draw();
            return;
        }
        // Inside the unit's pixel column, with a one-pixel line's centre on
        // a device pixel's centre.
        const double line = Pixels(1);
        const double centre = std::floor(scale / 2) + std::fmod(line, 2.0) / 2;
        p.save();
        p.translate(centre / scale, centre / scale);
        draw();
        p.restore();
    }
};

QPolygonF JetOutline() {
    QPolygonF p;
    for (const QPointF &q : kJetHalf)
        p << QPointF(16 + q.x(), q.y());
    for (int i = int(std::size(kJetHalf)) - 1; i >= 0; --i)
        p << QPointF(16 - kJetHalf[i].x(), kJetHalf[i].y());
    return p;
}

void DrawJet(QPainter &p, const Grid &g) {
    const QPolygonF outline = JetOutline();
    p.setPen(Qt::NoPen);
    p.setBrush(kLightGrey);
    p.drawPolygon(outline);
    // Shaded right-hand side of the fuselage and the wings' trailing parts.
    p.setBrush(kGrey);
    p.drawRect(QRectF(16, 11, 3, 19));
    p.drawPolygon(QPolygonF({{19, 16}, {28.8, 22.6}, {28.8, 23}, {19, 22.6}}));
    p.drawPolygon(QPolygonF({{3.2, 22.6}, {13, 22.6}, {13, 23}, {3.2, 23}}));
    // Wingtip missiles with red noses, placed as the outline is: right
    // against the wingtips.
    g.Stroke(p, [&] {
        for (int x : {2, 29}) {
            p.setBrush(kWhite);
            p.drawRect(QRectF(x, 15, 1, 10));
            p.setBrush(kRed);
            p.drawRect(QRectF(x, 14, 1, 1));
        }
    });
    // Canopy.
    p.setBrush(kDarkBlue);
    p.drawEllipse(QRectF(14.5, 5, 3, 7));
    p.setBrush(kCyan);
    p.drawRect(QRectF(15, 6, 1, 2));
    if (g.smooth) {
        // Panel lines and the intakes' shadows, too fine for 32 pixels.
        p.setPen(QPen(kGrey, g.Line(0.5)));
        p.drawLine(QPointF(16, 12), QPointF(16, 29.5));
        p.drawLine(QPointF(5, 21.2), QPointF(13.6, 15.2));
        p.drawLine(QPointF(27, 21.2), QPointF(18.4, 15.2));
        p.setPen(Qt::NoPen);
        p.setBrush(kDarkBlue);
        p.drawRect(QRectF(13.6, 12.2, 0.9, 3));
        p.drawRect(QRectF(17.5, 12.2, 0.9, 3));
        p.setBrush(kWhite);
        p.drawEllipse(QRectF(15.1, 5.6, 0.8, 2.6));
    }
    // Outline and nozzles.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlack, g.Line(1)));
    g.Stroke(p, [&] { p.drawPolygon(outline); });
    p.setPen(Qt::NoPen);
    p.setBrush(kBlack);
    p.drawRect(QRectF(13, 30, 2, 2));
    p.drawRect(QRectF(17, 30, 2, 2));
}

void DrawMonitor(QPainter &p, int id, const Grid &g) {
    p.setPen(QPen(kBlack, g.Line(1)));
    // Stand.
    p.setBrush(kGrey);
    g.Stroke(p, [&] {
        p.drawRect(13, 24, 5, 2);
        p.drawRect(8, 26, 15, 3);
    });
    // Cabinet and screen.
    p.setBrush(kLightGrey);
    g.Stroke(p, [&] { p.drawRect(2, 2, 27, 22); });
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(3, 3, 25, 1);
    p.drawRect(3, 3, 1, 20);
    p.setPen(QPen(kGrey, g.Line(1)));
    p.setBrush(Qt::NoBrush);
    g.Stroke(p, [&] { p.drawRect(5, 5, 21, 16); });
    p.setPen(Qt::NoPen);
    const QRect screen(6, 6, 20, 15);
    switch (id) {
    case 144:
        // The desktop with two windows on it.
        p.fillRect(screen, kDarkCyan);
        p.fillRect(QRect(8, 8, 10, 8), kWhite);
        p.fillRect(QRect(8, 8, 10, 2), kDarkBlue);
        p.fillRect(QRect(14, 12, 10, 7), kLightGrey);
        p.fillRect(QRect(14, 12, 10, 2), kBlue);
        p.fillRect(QRect(15, 15, 8, 1), kGrey);
        p.fillRect(QRect(15, 17, 5, 1), kGrey);
        p.fillRect(QRect(9, 11, 6, 1), kGrey);
        p.fillRect(QRect(9, 13, 4, 1), kGrey);
        if (g.smooth) {
            // The windows' title-bar buttons and the lines of text they hold.
            for (double x : {16.6, 15.3})
                p.fillRect(QRectF(x, 8.5, 0.9, 0.9), kLightGrey);
            for (double x : {22.6, 21.3})
                p.fillRect(QRectF(x, 12.5, 0.9, 0.9), kLightGrey);
            p.fillRect(QRectF(15, 15.9, 7, 0.5), kGrey);
            p.fillRect(QRectF(9, 11.9, 7.5, 0.5), kGrey);
        }
        break;
    case 145:
        p.fillRect(screen, kBlack);
        if (g.smooth) {
            // A faint reflection across the dark glass.
            p.setBrush(QColor(255, 255, 255, 40));
            p.drawPolygon(QPolygonF({{6, 6}, {15, 6}, {6, 13}}));
        }
        break;
    default:
        // Green checks.
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                p.fillRect(QRect(screen.x() + x, screen.y() + y, 1, 1),
                           ((x / 3 + y / 3) & 1) ? kGreen : kDarkGreen);
        break;
    }
    // Power light.
    p.fillRect(QRect(24, 22, 2, 1), kGreen);
    if (g.smooth) {
        // Ventilation slots on the foot.
        for (double x : {10.0, 12.0, 18.0, 20.0})
            p.fillRect(QRectF(x, 27.2, 1, 0.6), kBlack);
    }
}

void DrawSpeaker(QPainter &p, int id, const Grid &g) {
    p.setPen(QPen(kBlack, g.Line(1)));
    p.setBrush(kGrey);
    g.Stroke(p, [&] {
        p.drawRect(2, 11, 6, 10);
        p.setBrush(kLightGrey);
        p.drawPolygon(QPolygonF({{8, 11}, {16, 3}, {16, 29}, {8, 21}}));
    });
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(3, 12, 1, 8);
    p.drawPolygon(QPolygonF({{9, 12}, {15, 5}, {15, 6}, {9, 13}}));
    if (g.smooth) {
        // The cone's rim.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kGrey, g.Line(0.5)));
        p.drawLine(QPointF(12.5, 8), QPointF(12.5, 24.6));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kDarkBlue, 2, Qt::SolidLine, g.smooth ? Qt::RoundCap : Qt::FlatCap));
    // Sound waves: two short arcs close to the speaker, or three long ones
    // reaching to the icon's edge.
    const int arcs = id == 148 ? 2 : (id == 149 ? 3 : 0);
    const int span = id == 148 ? 60 : 100;
    for (int i = 0; i < arcs; ++i) {
        const int r = 5 + i * (id == 148 ? 4 : 5);
        p.drawArc(QRect(16 - r, 16 - r, 2 * r, 2 * r), -span * 16 / 2, span * 16);
    }
}

void Draw(QPainter &p, int id, const Grid &g) {
    if (id == 128)
        DrawJet(p, g);
    else if (id >= 144 && id <= 146)
        DrawMonitor(p, id, g);
    else
        DrawSpeaker(p, id, g);
}

} // namespace

QImage RenderIconAt(int id, int size) {
    QImage q(size, size, QImage::Format_ARGB32_Premultiplied);
    q.fill(Qt::transparent);
    {
        QPainter p(&q);
        p.setRenderHint(QPainter::Antialiasing, true);
        Grid g;
        g.smooth = true;
        g.scale = size / 32.0;
        p.scale(g.scale, g.scale);
        Draw(p, id, g);
    }
    return q.convertToFormat(QImage::Format_ARGB32);
}

Image RenderIcon(int id) {
    QImage q(32, 32, QImage::Format_ARGB32);
    q.fill(Qt::transparent);
    {
        QPainter p(&q);
        p.setRenderHint(QPainter::Antialiasing, false);
        Draw(p, id, Grid());
    }
    Image img(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = q.pixel(x, y);
            const float a = qAlpha(c) / 255.f;
            img.At(x, y) = {qRed(c) / 255.f * a, qGreen(c) / 255.f * a, qBlue(c) / 255.f * a, a};
        }
    return img;
}

} // namespace artgen
