#include "ContactSheet.h"

#include "Palette.h"
#include "TextArt.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace artgen {

namespace {

// The picture as the screen shows it: the key colour (or an icon's masked
// pixels) let a grey checkerboard through, so transparency is visible.
QImage ToQImage(const Asset &a) {
    const IndexedImage &p = a.picture;
    QImage img(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const size_t i = size_t(y) * size_t(p.width) + size_t(x);
            const bool key = a.icon ? !p.covered[i] : p.index[i] == kKeyIndex;
            if (key) {
                const int c = ((x / 4 + y / 4) & 1) ? 150 : 110;
                img.setPixel(x, y, qRgb(c, c + 10, c));
                continue;
            }
            const PaletteEntry e =
                a.icon ? VgaColours()[p.index[i] & 15] : SharedColourTable()[p.index[i]];
            img.setPixel(x, y, qRgb(e.r, e.g, e.b));
        }
    return img;
}

} // namespace

bool WriteContactSheet(const std::vector<Asset> &assets, const std::string &pngPath, int scale) {
    constexpr int kGap = 16, kLabel = 18, kWidth = 1800;
    const int width = std::max(kWidth, kGap * 2 + 275 * scale);
    // Lay the pictures out in rows, left to right.
    struct Cell {
        const Asset *asset;
        int x, y;
    };
    std::vector<Cell> cells;
    int x = kGap, y = kGap, rowH = 0;
    for (const Asset &a : assets) {
        if (a.picture.index.empty())
            continue;
        const int w = a.picture.width * scale, h = a.picture.height * scale + kLabel;
        if (x + w + kGap > width) {
            x = kGap;
            y += rowH + kGap;
            rowH = 0;
        }
        cells.push_back({&a, x, y});
        x += w + kGap;
        rowH = std::max(rowH, h);
    }
    QImage sheet(width, y + rowH + kGap, QImage::Format_RGB32);
    sheet.fill(qRgb(60, 64, 70));
    QPainter painter(&sheet);
    painter.setPen(QColor(230, 230, 230));
    painter.setFont(LabelFont(11));
    for (const Cell &c : cells) {
        const QImage img = ToQImage(*c.asset);
        painter.drawImage(QRect(c.x, c.y + kLabel, img.width() * scale, img.height() * scale), img);
        const std::string name = c.asset->path.substr(c.asset->path.find('/') + 1);
        painter.drawText(c.x, c.y + kLabel - 5, QString::fromStdString(name));
    }
    painter.end();
    return sheet.save(QString::fromStdString(pngPath), "PNG");
}

} // namespace artgen
