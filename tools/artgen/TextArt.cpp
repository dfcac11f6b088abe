#include "TextArt.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <map>

#ifndef ARTGEN_FONT_DIR
#define ARTGEN_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace artgen {

namespace {

QString FamilyOf(Face face) {
    static std::map<Face, QString> families;
    auto it = families.find(face);
    if (it != families.end())
        return it->second;
    const char *file = "DejaVuSans.ttf";
    switch (face) {
    case Face::Sans:
        break;
    case Face::SansBold:
        file = "DejaVuSans-Bold.ttf";
        break;
    case Face::SansBoldOblique:
        file = "DejaVuSans-BoldOblique.ttf";
        break;
    case Face::SansCondensedBold:
        file = "DejaVuSansCondensed-Bold.ttf";
        break;
    }
    const QString path = QStringLiteral(ARTGEN_FONT_DIR "/") + QString::fromLatin1(file);
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList names = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (names.isEmpty()) {
        std::fprintf(stderr, "artgen: cannot load the font %s (package fonts-dejavu-core)\n",
                     path.toLocal8Bit().constData());
        std::exit(1);
    }
    families[face] = names.front();
    return names.front();
}

} // namespace

QFont FontOf(Face face, double pixelSize) {
    QFont f(FamilyOf(face));
    f.setPixelSize(int(pixelSize));
    f.setBold(face == Face::SansBold || face == Face::SansBoldOblique ||
              face == Face::SansCondensedBold);
    f.setItalic(face == Face::SansBoldOblique);
    f.setStretch(face == Face::SansCondensedBold ? QFont::SemiCondensed : QFont::Unstretched);
    f.setKerning(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QFont LabelFont(int pixelSize) {
    return FontOf(Face::Sans, pixelSize);
}

QPainterPath TextPath(const QString &text, Face face, double pixelSize, double x, double y) {
    QPainterPath path;
    path.addText(QPointF(x, y), FontOf(face, pixelSize), text);
    return path;
}

std::vector<float> Coverage(const QPainterPath &path, int w, int h, int ss) {
    QImage img(w * ss, h * ss, QImage::Format_Grayscale8);
    img.fill(0);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(ss, ss);
        p.fillPath(path, Qt::white);
    }
    std::vector<float> out(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int j = 0; j < ss; ++j) {
                const uchar *row = img.constScanLine(y * ss + j);
                for (int i = 0; i < ss; ++i)
                    sum += row[x * ss + i];
            }
            out[size_t(y) * size_t(w) + size_t(x)] = float(sum) / float(255 * ss * ss);
        }
    return out;
}

} // namespace artgen
