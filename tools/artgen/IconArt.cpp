#include "IconArt.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

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

QPolygonF JetOutline() {
    QPolygonF p;
    for (const QPointF &q : kJetHalf)
        p << QPointF(16 + q.x(), q.y());
    for (int i = int(std::size(kJetHalf)) - 1; i >= 0; --i)
        p << QPointF(16 - kJetHalf[i].x(), kJetHalf[i].y());
    return p;
}

void DrawJet(QPainter &p) {
    const QPolygonF outline = JetOutline();
    p.setPen(Qt::NoPen);
    p.setBrush(kLightGrey);
    p.drawPolygon(outline);
    // Shaded right-hand side of the fuselage and the wings' trailing parts.
    p.setBrush(kGrey);
    p.drawRect(QRectF(16, 11, 3, 19));
    p.drawPolygon(QPolygonF({{19, 16}, {28.8, 22.6}, {28.8, 23}, {19, 22.6}}));
    p.drawPolygon(QPolygonF({{3.2, 22.6}, {13, 22.6}, {13, 23}, {3.2, 23}}));
    // Wingtip missiles with red noses.
    for (int x : {2, 29}) {
        p.setBrush(kWhite);
        p.drawRect(QRectF(x, 15, 1, 10));
        p.setBrush(kRed);
        p.drawRect(QRectF(x, 14, 1, 1));
    }
    // Canopy.
    p.setBrush(kDarkBlue);
    p.drawEllipse(QRectF(14.5, 5, 3, 7));
    p.setBrush(kCyan);
    p.drawRect(QRectF(15, 6, 1, 2));
    // Outline and nozzles.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlack, 1));
    p.drawPolygon(outline);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlack);
    p.drawRect(QRectF(13, 30, 2, 2));
    p.drawRect(QRectF(17, 30, 2, 2));
}

void DrawMonitor(QPainter &p, int id) {
    p.setPen(QPen(kBlack, 1));
    // Stand.
    p.setBrush(kGrey);
    p.drawRect(13, 24, 5, 2);
    p.drawRect(8, 26, 15, 3);
    // Cabinet and screen.
    p.setBrush(kLightGrey);
    p.drawRect(2, 2, 27, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(3, 3, 25, 1);
    p.drawRect(3, 3, 1, 20);
    p.setPen(QPen(kGrey, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(5, 5, 21, 16);
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
        break;
    case 145:
        p.fillRect(screen, kBlack);
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
}

void DrawSpeaker(QPainter &p, int id) {
    p.setPen(QPen(kBlack, 1));
    p.setBrush(kGrey);
    p.drawRect(2, 11, 6, 10);
    p.setBrush(kLightGrey);
    p.drawPolygon(QPolygonF({{8, 11}, {16, 3}, {16, 29}, {8, 21}}));
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawRect(3, 12, 1, 8);
    p.drawPolygon(QPolygonF({{9, 12}, {15, 5}, {15, 6}, {9, 13}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kDarkBlue, 2, Qt::SolidLine, Qt::FlatCap));
    // Sound waves: two short arcs close to the speaker, or three long ones
    // reaching to the icon's edge.
    const int arcs = id == 148 ? 2 : (id == 149 ? 3 : 0);
    const int span = id == 148 ? 60 : 100;
    for (int i = 0; i < arcs; ++i) {
        const int r = 5 + i * (id == 148 ? 4 : 5);
        p.drawArc(QRect(16 - r, 16 - r, 2 * r, 2 * r), -span * 16 / 2, span * 16);
    }
}

} // namespace

Image RenderIcon(int id) {
    QImage q(32, 32, QImage::Format_ARGB32);
    q.fill(Qt::transparent);
    {
        QPainter p(&q);
        p.setRenderHint(QPainter::Antialiasing, false);
        if (id == 128)
            DrawJet(p);
        else if (id >= 144 && id <= 146)
            DrawMonitor(p, id);
        else
            DrawSpeaker(p, id);
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
