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
    if (a.picture.index.empty()) {
        // A true-colour PNG picture, over the same checkerboard.
        const QImage png = QImage::fromData(a.bytes.data(), int(a.bytes.size()), "PNG");
        QImage img(png.size(), QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int c = ((x / 4 + y / 4) & 1) ? 150 : 110;
                img.setPixel(x, y, qRgb(c, c + 10, c));
            }
        QPainter(&img).drawImage(0, 0, png);
        return img;
    }
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
    std::vector<QImage> images;
    for (const Asset &a : assets)
        images.push_back(a.picture.index.empty() && a.path.ends_with(".png") ? ToQImage(a)
                                                                             : QImage());
    for (size_t i = 0; i < assets.size(); ++i) {
        const Asset &a = assets[i];
        if (a.picture.index.empty() && images[i].isNull())
            continue;
        const QSize size =
            images[i].isNull() ? QSize(a.picture.width, a.picture.height) : images[i].size();
        const int w = size.width() * scale, h = size.height() * scale + kLabel;
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
        // "icons/hicolor/16x16/apps/vantorix.png" is labelled "16x16".
        std::string name = c.asset->path.substr(c.asset->path.find('/') + 1);
        if (name.starts_with("hicolor/"))
            name = name.substr(8, name.find('/', 8) - 8);
        painter.drawText(c.x, c.y + kLabel - 5, QString::fromStdString(name));
    }
    painter.end();
    return sheet.save(QString::fromStdString(pngPath), "PNG");
}

} // namespace artgen
